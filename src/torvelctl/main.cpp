// torvelctl: the command-line companion for servers and scripts.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <streambuf>

#include "base/debug_trace.h"
#include "base/time_format.h"
#include "base/xdg_paths.h"
#include "config/sqlite_settings_store.h"
#include "drive/drive_source.h"
#include "notify/event_log_file.h"
#include "torvelctl/commands.h"

namespace {

namespace fs = std::filesystem;

// Puts "<N>" before every line, so the journal files each at its priority.
class LinePrefixBuffer final : public std::streambuf {
 public:
  LinePrefixBuffer(std::streambuf* target, std::string prefix)
      : target_(target), prefix_(std::move(prefix)) {}

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    if (lineStart_ && target_->sputn(prefix_.data(), static_cast<std::streamsize>(prefix_.size())) !=
                          static_cast<std::streamsize>(prefix_.size()))
      return traits_type::eof();
    lineStart_ = c == '\n';
    return target_->sputc(static_cast<char>(c));
  }
  int sync() override { return target_->pubsync(); }

 private:
  std::streambuf* target_;
  std::string prefix_;
  bool lineStart_ = true;
};

bool IsJournal(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 &&
         torvel::JournalStreamIs(std::getenv("JOURNAL_STREAM"), st.st_dev, st.st_ino);
}

// The data folder, made private when torvelctl makes it. Empty when there
// is none, with the reason on standard error.
fs::path DataFolder() {
  const fs::path folder = torvel::ProgramDataFolder();
  if (folder.empty()) {
    std::cerr << "torvelctl: no folder for debug.log and torvel.log: set TORVEL_HOME or HOME\n";
    return {};
  }
  std::error_code ec;
  fs::create_directories(folder.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    std::cerr << "torvelctl: cannot make " << folder.string() << " for debug.log and torvel.log: "
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

  std::streambuf* const errBuffer = std::cerr.rdbuf();
  std::unique_ptr<LinePrefixBuffer> errPrefix;
  if (IsJournal(STDERR_FILENO)) {
    errPrefix = std::make_unique<LinePrefixBuffer>(errBuffer, "<4>");
    std::cerr.rdbuf(errPrefix.get());
  }

  // Never the current folder: it may be anyone's, /etc included.
  const fs::path data = quiet ? fs::path() : DataFolder();
  TraceLog trace = data.empty() ? TraceLog::Off() : TraceLog((data / TraceLog::kFileName).string());
  DriveSource source = SelectDriveSource(trace);
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
  const int rc = RunTorvelctl(args, ctx, std::cout, std::cerr);
  std::cout.flush();
  if (store) {
    const std::string failed = store->TakeWriteFailures();
    if (!failed.empty()) std::cerr << "torvelctl: settings store: " << failed << "\n";
  }
  std::cerr.flush();
  std::cerr.rdbuf(errBuffer);
  return rc;
}
