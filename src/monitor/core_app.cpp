#include "monitor/core_app.h"

#include <cstdio>
#include <ctime>

#include "config/sqlite_settings_store.h"
#include "monitor/alert_texts.h"
#include "monitor/main_frame.h"
#include "notify/event_log_file.h"
#include "base/debug_trace.h"
#include "base/time_format.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/sound.h"
#include "platform/termination_signals.h"

namespace torvel {

namespace {

// A settings store that cannot be used as it should is the user's business:
// said on standard error and in the log; a damaged file also in a box, once
// for each damage (a note beside the file remembers it).
void ReportStoreProblem(SqliteSettingsStore& store, TraceLog& trace, Desktop& desktop) {
  if (store.IsOpen() && !store.ReadOnly()) return;
  const std::string problem = "Settings store: " + store.LastError();
  std::fprintf(stderr, "torvelCore: %s\n", problem.c_str());
  EventLogFile(trace).WriteLogEntry(kLogCategoryAlert, problem + "\r\n\r\n");
  if (!store.Corrupt()) return;
  const std::string note = store.path() + ".reported";
  std::string told;
  if (std::FILE* f = std::fopen(note.c_str(), "rb")) {
    char buf[1024];
    told.assign(buf, std::fread(buf, 1, sizeof buf, f));
    std::fclose(f);
  }
  if (told == problem) return;
  desktop.MessageBox(problem + "\n\nTorvel runs with its default settings until the file is "
                     "repaired or removed.", kBoxCaption, kMbOk | kMbIconError);
  if (std::FILE* f = std::fopen(note.c_str(), "wb")) {
    std::fwrite(problem.data(), 1, problem.size(), f);
    std::fclose(f);
  }
}

}  // namespace

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
  ReportStoreProblem(store, trace, *desktop);
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
  if (!store.IsOpen() || store.ReadOnly())
    trace.DebugTrace("Settings store: %s\n", store.LastError().c_str());
  if (resident) windows.loop().RunUntil([&frame] { return frame.Destroyed(); });
  return 0;
}

}  // namespace torvel
