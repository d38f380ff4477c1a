// Where torvelctl writes: its data folder, never the folder it runs in, and
// the metrics textfile after a check when asked.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/version.h"
#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(TorvelctlFiles, SomeoneElsesDebugLogInTheCurrentFolderStaysUntouched) {
  TempDir home, cwd;
  const fs::path theirs = cwd.path() / "debug.log";
  WriteFile(theirs, "their trace\n");
  // Someone else's, as far as this machine lets us say so.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
  }
  struct stat before {};
  ASSERT_EQ(::stat(theirs.c_str(), &before), 0);

  const fs::path data = home.path() / "data";
  for (const char* command : {"drives", "check", "report"}) {
    std::vector<std::string> argv{TORVEL_CTL_PATH, command};
    if (std::string(command) == "report") argv.push_back("0");
    const ProcessResult r = RunProcess(argv, cwd.path(),
                                       {{"TORVEL_DRIVES", DrivesDir().string()},
                                        {"TORVEL_HOME", std::nullopt},
                                        {"HOME", home.path().string()},
                                        {"XDG_CONFIG_HOME", home.path().string()},
                                        {"XDG_DATA_HOME", data.string()}});
    EXPECT_LE(r.exitCode, 2) << command << ": " << r.err;
  }
  EXPECT_EQ(Names(cwd.path()), std::vector<std::string>{"debug.log"});
  EXPECT_EQ(ReadFile(theirs), "their trace\n");
  struct stat after {};
  ASSERT_EQ(::stat(theirs.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  // The trace and the check's log went to $XDG_DATA_HOME/Torvel, kept private.
  const fs::path ours = data / "Torvel";
  EXPECT_NE(ReadFile(ours / "debug.log").find("Drive"), std::string::npos);
  EXPECT_NE(ReadFile(ours / "torvel.log").find("ALERT"), std::string::npos);
  EXPECT_EQ(fs::status(ours).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(TorvelctlFiles, TorvelHomeWinsAndTheCheckWritesTheTextfile) {
  TempDir home, cwd, textfile;
  const std::map<std::string, std::optional<std::string>> env{
      {"TORVEL_DRIVES", DrivesDir().string()},
      {"TORVEL_HOME", home.path().string()},
      {"XDG_CONFIG_HOME", home.path().string()},
      {"XDG_DATA_HOME", (cwd.path() / "not-here").string()},
      {"TORVEL_TEXTFILE_DIR", textfile.path().string()}};
  const ProcessResult r = RunProcess({TORVEL_CTL_PATH, "check"}, cwd.path(), env);
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_TRUE(Names(cwd.path()).empty());
  EXPECT_TRUE(fs::exists(home.path() / "debug.log"));
  const std::string metrics = ReadFile(textfile.path() / "torvel.prom");
  EXPECT_NE(metrics.find("torvel_last_check_timestamp_seconds{drive=\"1\",serial=\"WD-WCAV51234567\"} "),
            std::string::npos)
      << metrics;
  EXPECT_EQ(fs::status(textfile.path() / "torvel.prom").permissions() & fs::perms::all,
            fs::perms(0644));
  EXPECT_EQ(Names(textfile.path()), std::vector<std::string>{"torvel.prom"});

  // A textfile folder that is not there is a wrong command line, found
  // before anything is checked or alerted.
  const ProcessResult bad =
      RunProcess({TORVEL_CTL_PATH, "check", "--textfile", (cwd.path() / "gone").string()}, cwd.path(), env);
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("is not a folder"), std::string::npos) << bad.err;
  EXPECT_TRUE(bad.out.empty());
}

// Reading commands make no settings store where there is none, and honour
// the one that is there.
TEST(TorvelctlFiles, ReadingCommandsMakeNoStoreButReadAnExistingOne) {
  TempDir home, cwd, drives;
  fs::copy(DrivesDir(), drives.path(), fs::copy_options::recursive);
  WriteFile(drives.path() / "0" / "power", "standby\n");
  const std::map<std::string, std::optional<std::string>> env{
      {"TORVEL_DRIVES", drives.path().string()},
      {"TORVEL_HOME", home.path().string()},
      {"XDG_CONFIG_HOME", home.path().string()}};
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), TORVEL_CTL_PATH);
    return RunProcess(args, cwd.path(), env);
  };
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"drives"}, {"report", "1"}, {"identify", "1"}, {"metrics"}}) {
    const ProcessResult r = run(args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
    EXPECT_TRUE(r.err.empty()) << args[0] << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(home.path() / "Ostrana")) << "a reading command made a settings store";
  EXPECT_NE(run({"drives"}).out.find("Drive 0: ATA disk, asleep (standby): not read"), std::string::npos);

  ASSERT_EQ(run({"settings", "set", "Options", "WakeSleeping", "int", "1"}).exitCode, 0);
  const ProcessResult woken = run({"drives"});
  EXPECT_EQ(woken.out.find("asleep"), std::string::npos) << woken.out;
  EXPECT_NE(woken.out.find("Drive 0: ATA disk\n"), std::string::npos) << woken.out;
}

#ifdef TORVEL_SQLITE_LINKED
// Its own SQLite reads and writes the store; the system's is never loaded
// (the loader names every library it maps under LD_DEBUG=files).
TEST(TorvelctlFiles, TheStoreIsReadWithTheLinkedSqlite) {
  TempDir home, cwd;
  std::map<std::string, std::optional<std::string>> env{
      {"TORVEL_DRIVES", DrivesDir().string()}, {"TORVEL_HOME", home.path().string()},
      {"XDG_CONFIG_HOME", home.path().string()}, {"LD_DEBUG", "files"}};
  const ProcessResult set =
      RunProcess({TORVEL_CTL_PATH, "settings", "set", "Options", "PollEvery", "int", "7"}, cwd.path(), env);
  ASSERT_EQ(set.exitCode, 0) << set.err;
  const ProcessResult shown = RunProcess({TORVEL_CTL_PATH, "settings", "Options"}, cwd.path(), env);
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.out.find("PollEvery (int) = 7"), std::string::npos) << shown.out;
  ASSERT_NE(shown.err.find("libc.so.6"), std::string::npos) << "LD_DEBUG said nothing";
  EXPECT_EQ(set.err.find("libsqlite3"), std::string::npos);
  EXPECT_EQ(shown.err.find("libsqlite3"), std::string::npos);
}
#endif

TEST(TorvelctlFiles, HelpAndVersionPrintAndStartNothing) {
  TempDir home, cwd;
  const std::map<std::string, std::optional<std::string>> env{
      {"TORVEL_HOME", (home.path() / "data").string()}, {"TORVEL_DRIVES", DrivesDir().string()}};
  const ProcessResult version = RunProcess({TORVEL_CTL_PATH, "--version"}, cwd.path(), env);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("torvelctl ") + kVersionText + "\n");
  const ProcessResult help = RunProcess({TORVEL_CTL_PATH, "-h"}, cwd.path(), env);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: torvelctl drives", 0), 0u);
  EXPECT_FALSE(fs::exists(home.path() / "data"));
  const ProcessResult wrong = RunProcess({TORVEL_CTL_PATH, "--frob"}, cwd.path(), env);
  EXPECT_EQ(wrong.exitCode, 64);
  EXPECT_NE(wrong.err.find("unknown command '--frob'"), std::string::npos);
  EXPECT_TRUE(Names(cwd.path()).empty());
}

// A report cut short by a full disk fails, and says so at the journal's
// warning priority when standard error is the journal's stream.
TEST(TorvelctlFiles, OutputThatCannotBeWrittenFailsAndTellsTheJournal) {
  TempDir home, cwd;
  const fs::path errFile = cwd.path() / "stderr";
  const ProcessResult r = RunProcess(
      {"/bin/sh", "-c", ": > \"$1\"; JOURNAL_STREAM=$(stat -c %d:%i \"$1\") exec \"$0\" report 0 >/dev/full 2>>\"$1\"",
       TORVEL_CTL_PATH, errFile.string()},
      cwd.path(), {{"TORVEL_DRIVES", DrivesDir().string()}, {"TORVEL_HOME", home.path().string()}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(ReadFile(errFile), "<4>torvelctl: standard output could not be written: No space left on device\n");
}

TEST(ProgramConventions, EveryProgramAnswersHelpAndVersionAndRefusesWrongOptions) {
  TempDir cwd;
  // No display and no launcher: a program that started anything would hang
  // or leave files here.
  const std::map<std::string, std::optional<std::string>> env{
      {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt},
      {"XDG_RUNTIME_DIR", cwd.path().string()}, {"TORVEL_DRIVES", DrivesDir().string()}};
  const std::pair<const char*, const char*> programs[] = {{TORVEL_CTL_PATH, "torvelctl"},
                                                          {TORVEL_CORE_PROGRAM, "torvelCore"},
                                                          {TORVEL_LAUNCHER_PROGRAM, "Torvel"},
                                                          {TORVEL_ATA_PROGRAM, "torvel-ata"}};
  for (const auto& [path, name] : programs) {
    SCOPED_TRACE(name);
    const ProcessResult version = RunProcess({path, "--version"}, cwd.path(), env);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string(name) + " " + kVersionText + "\n");
    for (const char* help : {"--help", "-h"}) {
      const ProcessResult r = RunProcess({path, help}, cwd.path(), env);
      EXPECT_EQ(r.exitCode, 0);
      EXPECT_EQ(r.out.rfind("usage: " + std::string(name), 0), 0u) << r.out;
      EXPECT_TRUE(r.err.empty()) << r.err;
    }
    if (std::string(name) != "torvel-ata") {
      const ProcessResult wrong = RunProcess({path, "--no-such-option"}, cwd.path(), env);
      EXPECT_EQ(wrong.exitCode, 64);
      EXPECT_NE(wrong.err.find("--no-such-option"), std::string::npos) << wrong.err;
    }
  }
  EXPECT_TRUE(Names(cwd.path()).empty());
}

}  // namespace
}  // namespace torvel::test
