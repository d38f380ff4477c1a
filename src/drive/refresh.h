#pragma once

namespace torvel {

class DeviceChannel;
class TraceLog;
struct DriveTables;

// Reads every drive: enable S.M.A.R.T., identify, status verdict, attribute
// and threshold tables. Every failure is traced; the refresh goes on.
void RefreshDrives(DriveTables& tables, DeviceChannel& channel, TraceLog& trace);

}  // namespace torvel
