#include "monitor/core_app.h"

#include <cstdio>
#include <ctime>

#include "config/sqlite_settings_store.h"
#include "monitor/main_frame.h"
#include "base/debug_trace.h"
#include "base/time_format.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/sound.h"
#include "platform/termination_signals.h"

namespace torvel {

int CCoreApp::Run(const std::vector<std::string>& args) {
  // First, before any thread starts, so that every thread blocks them.
  TerminationSignals signals;
  TraceLog trace;
  SqliteSettingsStore store(SqliteSettingsStore::DefaultSettingsPath());
  if (!store.IsOpen()) trace.DebugTrace("Settings store: %s\n", store.LastError().c_str());
  std::unique_ptr<EventLoop> loop = MakePollEventLoop();
  WindowSystem windows(*loop);
  // The check still runs and its boxes still show; only the launcher
  // cannot hear of it.
  const std::string unreachable =
      windows.FolderError().empty()
          ? std::string()
          : windows.FolderError() + "; the monitor cannot reach the launcher";
  if (!unreachable.empty()) std::fprintf(stderr, "torvelCore: %s\n", unreachable.c_str());
  // Declared after the windows: it hands them back to a poll loop when it goes.
  std::unique_ptr<Desktop> desktop = MakeDesktop(windows, trace);
  std::unique_ptr<SoundService> sound = MakeCanberraSound(trace);
  LinuxModuleVersions versions;

  CoreParts parts{store,
                  trace,
                  backend_,
                  system_,
                  windows,
                  *desktop,
                  *sound,
                  versions,
                  [] { return static_cast<std::int64_t>(std::time(nullptr)); },
                  LocalNow};
  CMainFrame frame(parts, args);
  // Served whenever a loop runs: at once while resident, after the drive
  // commands in flight during the start-up.
  signals.Watch(windows, [&frame](int signal) { frame.OnTerminationSignal(signal); });
  const bool resident = frame.OnCreate() == 0;
  // After the start-up, which begins the trace afresh.
  if (!unreachable.empty()) trace.DebugTrace("%s\n", unreachable.c_str());
  if (resident) windows.loop().RunUntil([&frame] { return frame.Destroyed(); });
  return 0;
}

}  // namespace torvel
