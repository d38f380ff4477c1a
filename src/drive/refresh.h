#pragma once

namespace torvel {

class DeviceChannel;
class TraceLog;
struct DriveTables;

struct RefreshOptions {
  // A disk in standby is read anyway (spun up) instead of left asleep.
  bool wakeSleeping = false;
  // 0 or more: only that drive is read; the others are left as they are,
  // sent nothing. For a report of one drive, which reads nothing else.
  int onlyDrive = -1;
};

// Reads every drive: an ATA disk's power mode first (a disk in standby is
// left asleep and keeps what was read before), then enable S.M.A.R.T.,
// identify, status verdict, attribute and threshold tables; an NVMe drive's
// identify pages and health log. Every failure is traced; the refresh goes
// on.
void RefreshDrives(DriveTables& tables, DeviceChannel& channel, TraceLog& trace,
                   RefreshOptions options = {});

}  // namespace torvel
