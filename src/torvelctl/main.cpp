// torvelctl: the command-line companion for servers and scripts.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>

#include "config/sqlite_settings_store.h"
#include "drive/drive_source.h"
#include "base/debug_trace.h"
#include "base/time_format.h"
#include "torvelctl/commands.h"

int main(int argc, char** argv) {
  using namespace torvel;
  std::vector<std::string> args(argv + 1, argv + argc);

  DriveSource source = SelectDriveSource();

  TraceLog trace;
  std::unique_ptr<SqliteSettingsStore> store;
  auto settings = [&store]() -> SettingsStore& {
    if (!store) {
      store = std::make_unique<SqliteSettingsStore>(SqliteSettingsStore::DefaultSettingsPath());
      // Read-only still reads; either way the user hears why.
      if (!store->IsOpen() || store->ReadOnly())
        std::cerr << "torvelctl: settings store: " << store->LastError() << "\n";
    }
    return *store;
  };
  CtlContext ctx{*source.backend, *source.system, trace, LocalNow, isatty(STDOUT_FILENO) == 1, source.simulated,
                 settings};
  const int rc = RunTorvelctl(args, ctx, std::cout, std::cerr);
  std::cout.flush();
  if (store) {
    const std::string failed = store->TakeWriteFailures();
    if (!failed.empty()) std::cerr << "torvelctl: settings store: " << failed << "\n";
  }
  return rc;
}
