// Torvel, the launcher, run as a program beside the real torvelCore with
// simulated drives, on Qt's offscreen platform (no tray) and without a
// display for the cores, whose boxes then answer on standard error.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "config/keys.h"
#include "config/sqlite_settings_store.h"
#include "drive/helper_backend.h"
#include "monitor/baseline.h"
#include "base/codepage.h"
#include "platform/event_loop.h"
#include "platform/window_messages.h"
#include "platform/window_wire.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using State = std::map<std::string, std::string>;

constexpr const char* kSerial = "5VM1ABCD";  // sample drive 0

// "state pid=1 cores=1 ..." -> its fields.
State Parse(const std::string& line) {
  State fields;
  std::size_t p = 0;
  while (p < line.size()) {
    std::size_t end = line.find(' ', p);
    if (end == std::string::npos) end = line.size();
    const std::string word = line.substr(p, end - p);
    if (const std::size_t eq = word.find('='); eq != std::string::npos)
      fields[word.substr(0, eq)] = word.substr(eq + 1);
    p = end + 1;
  }
  return fields;
}

bool Gone(const std::string& pid) { return kill(std::stoi(pid), 0) != 0 && errno == ESRCH; }

struct LauncherProgram : ::testing::Test {
  void SetUp() override {
    fs::create_directories(dir.path() / "runtime");
    fs::permissions(dir.path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(dir.path() / "config");
    fs::create_directories(dir.path() / "drives");
    AddDrive(0);
  }
  void AddDrive(int n) {
    fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / std::to_string(n),
             dir.path() / "drives" / std::to_string(n), fs::copy_options::recursive);
  }
  std::map<std::string, std::optional<std::string>> Environment(
      const std::map<std::string, std::optional<std::string>>& extra) const {
    std::map<std::string, std::optional<std::string>> env = {
        {"XDG_RUNTIME_DIR", (dir.path() / "runtime").string()},
        {"XDG_CONFIG_HOME", (dir.path() / "config").string()},
        {"TORVEL_DRIVES", (dir.path() / "drives").string()},
        {"TORVEL_SYSLOG_SOCKET", (dir.path() / "no-syslog").string()},
        {"TORVEL_LAUNCHER_MINUTE_MS", "1500"},
        {"TORVEL_HEADLESS_ANSWER", std::nullopt},
        // The launcher runs offscreen; the cores, without a display, never
        // bring Qt up and answer their boxes themselves.
        {"QT_QPA_PLATFORM", "offscreen"},
        {"DISPLAY", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
        // Never the desktop's own bus: no test notice shows on it.
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir.path() / "no-bus").string()},
        {"TORVEL_LAUNCHER_DESKTOP", std::nullopt}};
    for (auto& [k, v] : extra) env[k] = v;
    return env;
  }
  std::unique_ptr<ChildProcess> Start(std::map<std::string, std::optional<std::string>> extra = {}) {
    return std::make_unique<ChildProcess>(std::vector<std::string>{TORVEL_LAUNCHER_PATH, "--print-state"},
                                          dir.path(), Environment(extra));
  }
  // A start that is not to stay: its exit status and standard error.
  ProgramRun RunOnce(std::map<std::string, std::optional<std::string>> extra = {}) {
    std::vector<std::string> env;
    for (const auto& [k, v] : Environment(extra))
      if (v) env.push_back(k + "=" + *v);
    ProgramLimits limits;
    limits.timeout = std::chrono::seconds(40);
    limits.maxError = 4096;
    return RunProgram({TORVEL_LAUNCHER_PATH}, env, {}, limits);
  }
  // Reads state lines until one satisfies `wanted`; every line is kept.
  State Await(ChildProcess& launcher, const std::function<bool(State&)>& wanted) {
    while (auto line = launcher.ReadUntil("state ")) {
      State s = Parse(*line);
      seen.push_back(s);
      if (wanted(s)) return s;
    }
    ADD_FAILURE() << "no such state; last: " << (seen.empty() ? "none" : seen.back()["pid"]);
    return {};
  }
  State AwaitFrame(ChildProcess& launcher, int cores) {
    return Await(launcher, [cores](State& s) { return s["frame"] != "0" && s["cores"] == std::to_string(cores); });
  }
  SqliteSettingsStore Settings() const {
    return SqliteSettingsStore((dir.path() / "config" / "Ostrana" / "Torvel" / "settings.sqlite3").string());
  }
  int Baseline() const { return Settings().GetProfileInt(kSerial, BaselineKey(1), kNoBaseline); }
  // The core's support trace holds a line once it has it.
  bool TraceGets(const std::string& line) const {
    for (int i = 0; i < 100; ++i, usleep(100000))
      if (fs::exists(dir.path() / "debug.log") &&
          test::ReadFile(dir.path() / "debug.log").find(line) != std::string::npos)
        return true;
    return false;
  }
  std::optional<std::int64_t> SendToLauncher(std::uint32_t message) {
    auto loop = MakePollEventLoop();
    WindowSystem windows(*loop, dir.path() / "runtime" / "torvel");
    return windows.SendMessage(windows.FindWindow(kLauncherClass, kLauncherTitle), {message, 0, 0, {}});
  }

  test::TempDir dir;
  std::vector<State> seen;
};

TEST_F(LauncherProgram, StartsTheCoreShowsItsSummaryAndClosesItAtSessionEnd) {
  auto launcher = Start();
  State s = AwaitFrame(*launcher, 1);
  EXPECT_EQ(s["icon"], "ok");
  EXPECT_EQ(s["flash"], "0");
  EXPECT_EQ(s["tooltip"], wire::Hex(Cp1252ToUtf8("Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]")))
      << "the tooltip is the WM_COPYDATA summary";
  EXPECT_TRUE(fs::exists(dir.path() / "torvel.log")) << "the core runs in the launcher's folder";
  EXPECT_EQ(Baseline(), kNoBaseline);

  kill(launcher->pid(), SIGTERM);
  EXPECT_EQ(launcher->Wait(), 0);
  EXPECT_TRUE(Gone(s["pid"]));
  EXPECT_EQ(Baseline(), 117) << "the core was closed with WM_CLOSE, which saves the baseline";
}

TEST_F(LauncherProgram, WithoutARuntimeFolderTheyMeetInTheUsersCacheFolder) {
  const fs::path cache = dir.path() / "cache";
  auto launcher = Start({{"XDG_RUNTIME_DIR", std::nullopt}, {"XDG_CACHE_HOME", cache.string()}});
  State s = AwaitFrame(*launcher, 1);
  EXPECT_EQ(s["icon"], "ok") << "the core reported to the launcher";
  EXPECT_TRUE(fs::exists(cache / "torvel-windows" / "launcher.lock"));
  kill(launcher->pid(), SIGTERM);
  EXPECT_EQ(launcher->Wait(), 0);
}

TEST_F(LauncherProgram, ARefusedFolderIsSaidAndTheLauncherOpensNothingInIt) {
  const fs::path runtime = dir.path() / "open-runtime";
  fs::create_directories(runtime / "torvel");
  fs::permissions(runtime / "torvel", fs::perms::all, fs::perm_options::replace);
  const ProgramRun run = RunProgram(
      {TORVEL_LAUNCHER_PATH}, {"XDG_RUNTIME_DIR=" + runtime.string(),
                              "XDG_CONFIG_HOME=" + (dir.path() / "config").string(),
                              "HOME=" + dir.path().string(), "QT_QPA_PLATFORM=offscreen"},
      {}, ProgramLimits{});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.error.find("others may write in it; the launcher and the monitor cannot reach each other"),
            std::string::npos)
      << run.error;
  EXPECT_TRUE(fs::is_empty(runtime / "torvel"));
}

TEST_F(LauncherProgram, ATecDriveMakesTheIconBadAndFlash) {
  AddDrive(1);
  auto launcher = Start();
  State s = AwaitFrame(*launcher, 1);
  EXPECT_EQ(s["icon"], "bad");
  EXPECT_EQ(s["flash"], "1");
  Settings().WriteProfileInt(keys::kOptions, keys::kShowTrayStatus, 0);
  Settings().WriteProfileInt(keys::kOptions, keys::kFlashIcon, 0);
  launcher->WriteLine("check");
  s = AwaitFrame(*launcher, 2);
  EXPECT_EQ(s["icon"], "bad");
  EXPECT_EQ(s["flash"], "0") << "FlashIcon 0";
  EXPECT_EQ(s["tooltip"], wire::Hex("Torvel")) << "ShowTrayStatus 0";
}

TEST_F(LauncherProgram, ScheduleChangeRestartsTheCoreAfterClosingTheOld) {
  Settings().WriteProfileInt(keys::kOptions, keys::kPollEvery, 240);  // hours: never, here
  auto launcher = Start();
  State first = AwaitFrame(*launcher, 1);
  EXPECT_EQ(first["interval"], std::to_string(240 * 3600));
  EXPECT_EQ(Baseline(), kNoBaseline);

  Settings().WriteProfileInt(keys::kOptions, keys::kTimeType, 1);
  Settings().WriteProfileInt(keys::kOptions, keys::kPollEvery, 1);
  EXPECT_EQ(SendToLauncher(kMsgScheduleChanged), 0);
  State second = AwaitFrame(*launcher, 2);
  EXPECT_EQ(second["interval"], "60");
  EXPECT_NE(second["pid"], first["pid"]);
  EXPECT_TRUE(Gone(first["pid"]));
  EXPECT_EQ(Baseline(), 117) << "WM_CLOSE went to the first core before the second started";
  // The launcher waited for the first core to end before starting the next.
  bool idleBetween = false;
  for (State& s : seen) idleBetween = idleBetween || (s["pid"] == "0" && s["cores"] == "1");
  EXPECT_TRUE(idleBetween);
  // And the one-minute schedule keeps going.
  AwaitFrame(*launcher, 3);
}

TEST_F(LauncherProgram, ExitAsksTheCoreThenEndsWithIt) {
  auto launcher = Start({{"TORVEL_HEADLESS_ANSWER", "yes"}});
  State s = AwaitFrame(*launcher, 1);
  launcher->WriteLine("exit");
  EXPECT_EQ(launcher->Wait(), 0);
  EXPECT_TRUE(Gone(s["pid"]));
  EXPECT_EQ(Baseline(), kNoBaseline) << "the core left by its exit command, not by WM_CLOSE";
}

TEST_F(LauncherProgram, OnlyOneLauncherRunsPerUser) {
  auto first = Start();
  State s = AwaitFrame(*first, 1);
  auto second = Start();
  EXPECT_EQ(second->Wait(), 0);
  EXPECT_EQ(second->ReadLine(), std::nullopt) << "the second started nothing";
  EXPECT_TRUE(first->Running());
  EXPECT_FALSE(Gone(s["pid"]));
  EXPECT_EQ(SendToLauncher(kMsgMainWindowOk), 0) << "the first still owns the window";
  kill(first->pid(), SIGTERM);
  EXPECT_EQ(first->Wait(), 0);

  // Two at once: the lock lets exactly one through.
  auto a = Start();
  auto b = Start();
  for (int i = 0; i < 200 && a->Running() && b->Running(); ++i) usleep(100000);
  EXPECT_NE(a->Running(), b->Running());
  ChildProcess& winner = a->Running() ? *a : *b;
  ChildProcess& loser = a->Running() ? *b : *a;
  EXPECT_EQ(loser.Wait(), 0);
  AwaitFrame(winner, 1);
  kill(winner.pid(), SIGTERM);
  EXPECT_EQ(winner.Wait(), 0);
}

constexpr const char* kNotShown = "The main window cannot be shown without a display";

TEST_F(LauncherProgram, WithoutATrayTheMainWindowOpensAtStart) {
  auto launcher = Start({{"TORVEL_LAUNCHER_DESKTOP", "notray"}});
  State s = Await(*launcher, [](State& st) { return st["frame"] != "0" && st["opens"] == "1"; });
  EXPECT_EQ(s["cores"], "1") << "the resident core got 32771, as with OpenAtStartup";
  EXPECT_TRUE(TraceGets(kNotShown)) << "the core was asked for its main window (it has no display here)";
  EXPECT_TRUE(launcher->Running()) << "and stays resident";
  kill(launcher->pid(), SIGTERM);
  EXPECT_EQ(launcher->Wait(), 0);
}

TEST_F(LauncherProgram, ASecondStartHandsOverToTheRunningOne) {
  // With a tray nothing opens at start; the second start opens the window.
  auto first = Start({{"TORVEL_LAUNCHER_DESKTOP", "tray"}});
  State s = AwaitFrame(*first, 1);
  EXPECT_EQ(s["opens"], "0");
  const ProgramRun second = RunOnce({{"TORVEL_LAUNCHER_DESKTOP", "tray"}});
  EXPECT_EQ(second.exitStatus, 0);
  EXPECT_EQ(second.error, "");
  s = Await(*first, [](State& st) { return st["opens"] == "1"; });
  EXPECT_EQ(s["cores"], "1") << "the running core opened it";
  EXPECT_TRUE(TraceGets(kNotShown));

  // Without a tray too, the running one opens it again.
  EXPECT_EQ(RunOnce({{"TORVEL_LAUNCHER_DESKTOP", "notray"}}).exitStatus, 0);
  Await(*first, [](State& st) { return st["opens"] == "2"; });
  kill(first->pid(), SIGTERM);
  EXPECT_EQ(first->Wait(), 0);
}

TEST_F(LauncherProgram, ASecondStartWithoutAnAnswerSaysSoAndFails) {
  // The lock held, but no launcher window appears.
  const fs::path folder = dir.path() / "runtime" / "torvel";
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
  const int lock = open((folder / "launcher.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
  ProgramRun run = RunOnce();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.error, "Torvel: already running, but it does not answer\n");
  close(lock);

  // A launcher that is there but does not answer (stopped).
  auto first = Start();
  AwaitFrame(*first, 1);
  kill(first->pid(), SIGSTOP);
  run = RunOnce();
  kill(first->pid(), SIGCONT);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.error, "Torvel: already running, but it does not answer\n");
  kill(first->pid(), SIGTERM);
  EXPECT_EQ(first->Wait(), 0);
}

}  // namespace
}  // namespace torvel
