#include "drive/refresh.h"

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/identify.h"
#include "drive/sections.h"
#include "drive/smart_data.h"
#include "base/debug_trace.h"

namespace torvel {

void RefreshDrives(DriveTables& tables, DeviceChannel& channel, TraceLog& trace) {
  // The attribute names are a constant table; nothing to refill.
  channel.SelectPath();
  const DeviceHandle first = channel.OpenDrives();
  if (first == kInvalidHandle) {
    trace.DebugTrace("Couldn't open physical IDE drives\n");
    return;
  }
  if (!channel.perDrive()) channel.QueryVersion(first);

  const unsigned map = channel.ideDeviceMap();
  for (int n = 0; n < channel.probeCount(); ++n) {
    const bool present = ((map >> n) & 1u) != 0;
    if (!present && !(channel.perDrive() && channel.handle(n) != kNoHandle)) continue;
    const bool packet = ((static_cast<std::uint8_t>(map >> n) >> 4) & 1u) != 0;
    DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];

    if (!(packet && !channel.perDrive())) {
      if (channel.EnableSmart(n)) {
        trace.DebugTrace("SMART Enabled on Drive: %d\n", n);
        tables.enableHistory = static_cast<std::uint16_t>(tables.enableHistory | (1u << n));
        rec.smartEnabled = 1;
        rec.smartSupported = 1;
      } else {
        rec.smartEnabled = 0;
        trace.DebugTrace("SMART Enable Command Failed, Drive: %d.\n", n);
      }
    }

    const std::uint8_t command =
        (packet && !channel.perDrive()) ? ata::kIdentifyPacketDevice : ata::kIdentifyDevice;
    if (channel.Identify(n, command))
      ParseIdentify(tables, n, channel.identifySector(), command, trace);
    else
      trace.DebugTrace("Identify Command Failed on Drive: %d\n", n);
  }

  for (int n = 0; n < channel.probeCount(); ++n) {
    DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];
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
