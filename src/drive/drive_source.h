// Where the programs' drives come from: the disks through SG_IO, or the
// simulated drive folders named by TORVEL_DRIVES (TORVEL_PLATFORM=9x puts
// them on the 9x shared device, to show packet devices).
#pragma once

#include <memory>

#include "base/debug_trace.h"
#include "drive/backend.h"
#include "platform/system_info.h"

namespace torvel {

struct DriveSource {
  std::unique_ptr<DriveBackend> backend;
  std::unique_ptr<SystemInfo> system;
  bool simulated = false;
};

// `helperTrace` is where the helper backend traces (the program's own trace).
DriveSource SelectDriveSource(const TraceLog& helperTrace = TraceLog());

}  // namespace torvel
