#include "drive/drive_source.h"

#include <cstdlib>
#include <string_view>

#include "drive/helper_backend.h"
#include "drive/sgio_backend.h"
#include "drive/simulated_backend.h"

namespace torvel {

DriveSource SelectDriveSource(const TraceLog& helperTrace) {
  DriveSource source;
  const char* folder = std::getenv("TORVEL_DRIVES");
  source.simulated = folder && *folder;
  if (source.simulated)
    source.backend = std::make_unique<SimulatedBackend>(folder);
  else
    // Real disks only: without CAP_SYS_RAWIO the commands go through torvel-ata.
    source.backend = MakeHelperBackend(MakeSgioBackend(), DefaultAtaHelper(), helperTrace);

  const char* platform = std::getenv("TORVEL_PLATFORM");
  if (source.simulated && platform && std::string_view(platform) == "9x")
    source.system = std::make_unique<FixedSystemInfo>(SimulatedWin9xVersion(),
                                                      LinuxSystemInfo().GetSystemInfo());
  else
    source.system = std::make_unique<LinuxSystemInfo>();
  return source;
}

}  // namespace torvel
