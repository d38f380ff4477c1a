#include "drive/refresh.h"

#include <array>
#include <cerrno>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/identify.h"
#include "drive/nvme.h"
#include "drive/sections.h"
#include "drive/smart_data.h"
#include "base/debug_trace.h"

namespace torvel {

namespace {

// A disk that refused a command for want of rights is not one that speaks
// neither command set.
void NoteUnanswered(DriveTables& tables, const DeviceChannel& channel, const DriveRecord& rec) {
  const std::uint32_t error = channel.LastError();
  if (rec.InUse() || rec.device.empty() || error == EACCES || error == EPERM) return;
  tables.unanswered.push_back(rec.device);
}

void RefreshNvme(DriveTables& tables, DeviceChannel& channel, TraceLog& trace, int n) {
  if (!channel.NvmeIdentify(n)) {
    trace.DebugTrace("NVMe Identify Command Failed on Drive: %d\n", n);
    return;
  }
  const NvmeIdentity identity = ParseNvmeIdentify(channel.nvmeController(), channel.nvmeNamespace());
  trace.DebugTrace("\tModel number: %s\n", identity.model.c_str());
  trace.DebugTrace("\tSerial number: %s\n", identity.serial.c_str());
  if (!channel.NvmeReadSmartLog(n)) {
    trace.DebugTrace("NVMe SMART Log Command Failed on Drive: %d\n", n);
    // Known by name, with no health data to judge.
    StoreNvmeIdentity(tables, n, identity);
    return;
  }
  const NvmeHealth health = ParseNvmeHealth(channel.nvmeSmartLog());
  StoreNvmeData(tables, n, identity, health);
  if (health.criticalWarning)
    trace.DebugTrace("*** NVMe critical warning 0x%02X on drive %d\n", health.criticalWarning, n);
  else
    trace.DebugTrace("*** S.M.A.R.T. is OK on drive %d\n", n);
}

}  // namespace

void RefreshDrives(DriveTables& tables, DeviceChannel& channel, TraceLog& trace,
                   RefreshOptions options) {
  // The attribute names are a constant table; nothing to refill.
  channel.SelectPath();
  const DeviceHandle first = channel.OpenDrives();
  tables.notChecked = channel.DisksBeyondProbe();
  for (const std::string& disk : tables.notChecked)
    trace.DebugTrace("Disk %s not checked: only %d drives are\n", disk.c_str(), kMaxDrives);
  tables.unanswered.clear();
  if (first == kInvalidHandle) {
    trace.DebugTrace("Couldn't open physical IDE drives\n");
    return;
  }
  if (!channel.perDrive()) channel.QueryVersion(first);

  const unsigned map = channel.ideDeviceMap();
  std::array<bool, kMaxDrives> skip{};  // asleep or NVMe: no ATA S.M.A.R.T. pass
  for (int n = 0; n < channel.probeCount(); ++n) {
    const bool present = ((map >> n) & 1u) != 0;
    if (!present && !(channel.perDrive() && channel.handle(n) != kNoHandle)) continue;
    if (options.onlyDrive >= 0 && n != options.onlyDrive) {
      skip[static_cast<std::size_t>(n)] = true;
      continue;
    }
    const bool packet = ((static_cast<std::uint8_t>(map >> n) >> 4) & 1u) != 0;
    DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];
    const DriveLocation where = channel.Locate(n);
    rec.device = where.device;
    rec.transport = where.transport;
    rec.asleep = false;

    if (where.kind == DriveKind::Nvme) {
      skip[static_cast<std::size_t>(n)] = true;
      RefreshNvme(tables, channel, trace, n);
      NoteUnanswered(tables, channel, rec);
      continue;
    }
    // Before anything else: every other command would spin the disk up.
    if (channel.perDrive() && !options.wakeSleeping &&
        channel.CheckPowerMode(n) == DeviceChannel::Power::Standby) {
      trace.DebugTrace("Drive %d is in standby: left asleep, not checked\n", n);
      rec.asleep = true;
      skip[static_cast<std::size_t>(n)] = true;
      continue;
    }

    if (!(packet && !channel.perDrive())) {
      if (channel.EnableSmart(n)) {
        trace.DebugTrace("SMART Enabled on Drive: %d\n", n);
        tables.enableHistory = tables.enableHistory | (1u << n);
        rec.smartEnabled = 1;
        rec.smartSupported = 1;
      } else {
        rec.smartEnabled = 0;
        trace.DebugTrace("SMART Enable Command Failed, Drive: %d.\n", n);
      }
    }

    const std::uint8_t command =
        (packet && !channel.perDrive()) ? ata::kIdentifyPacketDevice : ata::kIdentifyDevice;
    if (channel.Identify(n, command)) {
      ParseIdentify(tables, n, channel.identifySector(), command, trace);
      // libata serves both: word 76 (Serial ATA capabilities) tells them apart.
      if (rec.transport == "ATA") {
        const std::uint16_t w76 = IdentifyWord(channel.identifySector(), 76);
        rec.transport = (w76 != 0 && w76 != 0xFFFF) ? "SATA" : "PATA";
      }
    } else {
      trace.DebugTrace("Identify Command Failed on Drive: %d\n", n);
      NoteUnanswered(tables, channel, rec);
    }
  }

  for (int n = 0; n < channel.probeCount(); ++n) {
    DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];
    if (skip[static_cast<std::size_t>(n)]) continue;
    if (!rec.smartEnabled && !tables.EnabledBefore(n)) continue;

    switch (channel.ReturnStatus(n)) {
      case StatusVerdict::Good:
        rec.tec = 0;
        trace.DebugTrace("*** S.M.A.R.T. is OK on drive %d\n", n);
        break;
      case StatusVerdict::ThresholdExceeded:
        rec.tec = 1;
        trace.DebugTrace("*** T.E.C. detected on drive %d\n", n);
        break;
      case StatusVerdict::None: break;
    }

    if (!channel.ReadSmartData(n)) {
      trace.DebugTrace("\nSMART Read Attr Command Failed on Drive: %d.\n", n);
      continue;
    }
    if (!channel.ReadThresholds(n))
      trace.DebugTrace("\nSMART Read Thrsh Command Failed on Drive: %d.\n", n);
    StoreSmartData(tables, n, channel.dataSector(), channel.thresholdSector());
  }

  channel.CloseDrives();
  AssignSections(tables);
}

}  // namespace torvel
