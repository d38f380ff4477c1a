// torvelctl: the command-line companion for servers and scripts.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/debug_trace.h"
#include "base/text_out.h"
#include "base/time_format.h"
#include "base/xdg_paths.h"
#include "config/sqlite_settings_store.h"
#include "drive/drive_source.h"
#include "notify/event_log_file.h"
#include "torvelctl/commands.h"

namespace {

namespace fs = std::filesystem;

bool IsJournal(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 &&
         torvel::JournalStreamIs(std::getenv("JOURNAL_STREAM"), st.st_dev, st.st_ino);
}

// The data folder, made private when torvelctl makes it. Empty when there
// is none, with the reason on standard error.
fs::path DataFolder(torvel::TextOut& err) {
  const fs::path folder = torvel::ProgramDataFolder();
  if (folder.empty()) {
    err << "torvelctl: no folder for debug.log and torvel.log: set TORVEL_HOME or HOME\n";
    return {};
  }
  std::error_code ec;
  fs::create_directories(folder.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    err << "torvelctl: cannot make " << folder.string() << " for debug.log and torvel.log: "
              << std::strerror(errno) << "\n";
    return {};
  }
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace torvel;
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool quiet = !args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help" ||
                                       args[0] == "--version");

  FdOut out(STDOUT_FILENO);
  // Unbuffered in effect, as standard error is, and after what standard
  // output holds so far.
  FdOut err(STDERR_FILENO, FdOut::Buffering::kLines, &out);
  // "<4>" before every line, so the journal files each at its priority.
  if (IsJournal(STDERR_FILENO)) err.SetLinePrefix("<4>");

  // Never the current folder: it may be anyone's, /etc included.
  const fs::path data = quiet ? fs::path() : DataFolder(err);
  TraceLog trace = data.empty() ? TraceLog::Off() : TraceLog((data / TraceLog::kFileName).string());
  DriveSource source = SelectDriveSource(trace);
  std::unique_ptr<SqliteSettingsStore> store;
  auto settings = [&store, &err]() -> SettingsStore& {
    if (!store) {
      store = std::make_unique<SqliteSettingsStore>(SqliteSettingsStore::DefaultSettingsPath());
      // Read-only still reads; either way the user hears why.
      if (!store->IsOpen() || store->ReadOnly())
        err << "torvelctl: settings store: " << store->LastError() << "\n";
    }
    return *store;
  };
  auto existing = [&store, &settings]() -> SettingsStore* {
    if (store) return store.get();
    struct stat st {};
    const std::string path = SqliteSettingsStore::DefaultSettingsPath();
    // Only a store that is plainly not there is skipped; any other trouble
    // is the store's to report.
    if (!path.empty() && ::stat(path.c_str(), &st) != 0 && errno == ENOENT) return nullptr;
    return &settings();
  };
  CtlContext ctx{*source.backend, *source.system, trace, LocalNow, isatty(STDOUT_FILENO) == 1, source.simulated,
                 settings, existing};
  // Without a data folder (said above) the log's writes fail, in no one's folder.
  if (!data.empty()) ctx.logPath = (data / EventLogFile::kFileName).string();
  else ctx.logPath.clear();
  if (const char* dir = std::getenv("TORVEL_TEXTFILE_DIR")) ctx.textfileDir = dir;
  ctx.outputIsJournal = IsJournal(STDOUT_FILENO);
  int rc = RunTorvelctl(args, ctx, out, err);
  out.Flush();
  // A metrics file or report cut short by a full disk is a failure.
  if (!out.Good()) {
    err << "torvelctl: standard output could not be written: " << std::strerror(out.Error()) << "\n";
    if (rc == 0) rc = 1;
  }
  if (store) {
    const std::string failed = store->TakeWriteFailures();
    if (!failed.empty()) err << "torvelctl: settings store: " << failed << "\n";
  }
  err.Flush();
  return rc;
}
