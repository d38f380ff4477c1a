// torvelctl: the command-line companion for servers and scripts.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>

#include "config/sqlite_settings_store.h"
#include "drive/sgio_backend.h"
#include "drive/simulated_backend.h"
#include "notify/debug_trace.h"
#include "notify/time_format.h"
#include "platform/system_info.h"
#include "torvelctl/commands.h"

int main(int argc, char** argv) {
  using namespace torvel;
  std::vector<std::string> args(argv + 1, argv + argc);

  const char* folder = std::getenv("TORVEL_DRIVES");
  const bool simulated = folder && *folder;
  std::unique_ptr<DriveBackend> backend;
  if (simulated)
    backend = std::make_unique<SimulatedBackend>(folder);
  else
    backend = MakeSgioBackend();

  // Simulated drives may stand on the 9x shared device, to show packet devices.
  const char* platform = std::getenv("TORVEL_PLATFORM");
  std::unique_ptr<SystemInfo> system;
  if (simulated && platform && std::string_view(platform) == "9x")
    system = std::make_unique<FixedSystemInfo>(SimulatedWin9xVersion(),
                                               LinuxSystemInfo().GetSystemInfo());
  else
    system = std::make_unique<LinuxSystemInfo>();

  TraceLog trace;
  std::unique_ptr<SqliteSettingsStore> store;
  auto settings = [&store]() -> SettingsStore& {
    if (!store) {
      store = std::make_unique<SqliteSettingsStore>(SqliteSettingsStore::DefaultSettingsPath());
      if (!store->IsOpen()) std::cerr << "torvelctl: settings store: " << store->LastError() << "\n";
    }
    return *store;
  };
  CtlContext ctx{*backend, *system, trace, LocalNow, isatty(STDOUT_FILENO) == 1, simulated,
                 settings};
  const int rc = RunTorvelctl(args, ctx, std::cout, std::cerr);
  std::cout.flush();
  return rc;
}
