// The real torvelCore beside the test launcher, both talking through the
// window-message sockets of a private runtime folder.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <signal.h>

#include "config/keys.h"
#include "config/sqlite_settings_store.h"
#include "monitor/baseline.h"
#include "monitor/schedule.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// "msg=74 w=5 l=0 s0=4469..." -> its fields.
std::map<std::string, std::string> Fields(const std::string& line) {
  std::map<std::string, std::string> fields;
  std::size_t p = 0;
  while (p < line.size()) {
    std::size_t end = line.find(' ', p);
    if (end == std::string::npos) end = line.size();
    const std::string word = line.substr(p, end - p);
    const std::size_t eq = word.find('=');
    if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
    p = end + 1;
  }
  return fields;
}

struct CoreProtocol : ::testing::Test {
  void SetUp() override {
    fs::create_directories(dir.path() / "runtime");
    fs::permissions(dir.path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(dir.path() / "config");
    fs::create_directories(dir.path() / "drives");
    fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "0", dir.path() / "drives" / "0",
             fs::copy_options::recursive);
  }
  std::map<std::string, std::optional<std::string>> Env() const {
    return {{"XDG_RUNTIME_DIR", (dir.path() / "runtime").string()},
            {"XDG_CONFIG_HOME", (dir.path() / "config").string()},
            {"TORVEL_DRIVES", (dir.path() / "drives").string()},
            {"TORVEL_SYSLOG_SOCKET", (dir.path() / "no-syslog").string()},
            {"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt}};
  }
  std::unique_ptr<ChildProcess> StartLauncher() {
    auto launcher = std::make_unique<ChildProcess>(std::vector<std::string>{TEST_LAUNCHER_PATH},
                                                   dir.path(), Env());
    EXPECT_EQ(launcher->ReadLine(), "ready");
    return launcher;
  }
  std::unique_ptr<ChildProcess> StartCore(std::vector<std::string> args = {},
                                          std::map<std::string, std::optional<std::string>> extra = {}) {
    args.insert(args.begin(), TORVEL_CORE_PATH);
    auto env = Env();
    for (auto& [k, v] : extra) env[k] = v;
    return std::make_unique<ChildProcess>(args, dir.path(), env);
  }
  SqliteSettingsStore Settings() const {
    return SqliteSettingsStore((dir.path() / "config" / "Ostrana" / "Torvel" / "settings.sqlite3").string());
  }
  std::string Log() const { return test::ReadFile(dir.path() / "torvel.log"); }

  // Starts a resident core and returns the frame handle it announced.
  std::string StartResident(ChildProcess& launcher, std::unique_ptr<ChildProcess>& core) {
    core = StartCore();
    auto copy = launcher.ReadUntil("msg=74 ");
    EXPECT_TRUE(copy);
    summary = Unhex(Fields(copy.value_or(""))["s0"]);
    auto announce = launcher.ReadUntil("msg=1149 ");
    EXPECT_TRUE(announce);
    auto f = Fields(announce.value_or(""));
    EXPECT_EQ(f["w"], "0");
    EXPECT_EQ(f["l"], Fields(*copy)["w"]) << "WM_COPYDATA carries the frame's handle";
    return f["l"];
  }

  test::TempDir dir;
  std::string summary;
};

TEST_F(CoreProtocol, ResidentStartReportsThenServesTheLauncher) {
  auto launcher = StartLauncher();
  std::unique_ptr<ChildProcess> core;
  StartResident(*launcher, core);
  ASSERT_EQ(summary.size(), 256u);
  EXPECT_EQ(summary.substr(0, summary.find('\0')),
            "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]");
  EXPECT_TRUE(core->Running());

  launcher->WriteLine("send 1152");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  launcher->WriteLine("send 1135 0 0 Remote hello");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  EXPECT_NE(Log().find("Remote\r\nhello\r\n\r\n"), std::string::npos);

  launcher->WriteLine("send 273 32773");  // the exit question, answered No
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  EXPECT_TRUE(core->Running());

  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), kNoBaseline);
  launcher->WriteLine("send 16");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), 117)
      << "WM_CLOSE stores the baseline";
}

TEST_F(CoreProtocol, TheStatusCarriesTheTrayStateTheFindingsGive) {
  auto launcher = StartLauncher();
  auto core = StartCore();
  const auto copy = launcher->ReadUntil("msg=74 ");
  ASSERT_TRUE(copy);
  EXPECT_EQ(Fields(*copy)["l"], std::to_string(TrayStateWord(TrayState::Ok)));
  EXPECT_EQ(TrayStateOfWord(TrayStateWord(TrayState::Bad)), TrayState::Bad);
  EXPECT_EQ(TrayStateOfWord(0), std::nullopt) << "an older core's zero: the launcher reads the text";
  ASSERT_TRUE(launcher->ReadUntil("msg=1149 "));
  launcher->WriteLine("send 16");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  EXPECT_EQ(core->Wait(), 0);
}

TEST_F(CoreProtocol, TerminationSignalsEndAResidentCoreAsWmCloseDoes) {
  const fs::path folder = dir.path() / "runtime" / "torvel";
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    auto launcher = StartLauncher();
    const auto entries = [&folder] {
      return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    const auto withLauncherAlone = entries();
    std::unique_ptr<ChildProcess> core;
    StartResident(*launcher, core);
    EXPECT_GT(entries(), withLauncherAlone);
    ASSERT_EQ(kill(core->pid(), signal), 0);
    EXPECT_EQ(core->Wait(), 0);
    EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), 117)
        << "the session's baseline is kept";
    EXPECT_EQ(entries(), withLauncherAlone) << "the frame's sockets are gone";
    Settings().WriteProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline);
  }
}

TEST_F(CoreProtocol, ATerminationSignalClosesAnOpenMainWindow) {
  auto launcher = StartLauncher();
  auto core = StartCore({"-o"}, {{"DISPLAY", ":99"}, {"QT_QPA_PLATFORM", "offscreen"}});
  ASSERT_TRUE(launcher->ReadUntil("msg=1149 "));
  ASSERT_EQ(kill(core->pid(), SIGTERM), 0);
  EXPECT_TRUE(launcher->ReadUntil("msg=1150 ")) << "closed as if hidden with OK";
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), 117);
}

TEST_F(CoreProtocol, ExitConfirmedWithYesEndsTheCore) {
  auto launcher = StartLauncher();
  auto core = StartCore({}, {{"TORVEL_HEADLESS_ANSWER", "yes"}});
  ASSERT_TRUE(launcher->ReadUntil("msg=1149 "));
  launcher->WriteLine("send 273 32773");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), kNoBaseline)
      << "leaving by the exit command saves nothing";
}

TEST_F(CoreProtocol, OpenSmartPageAndEndClosesLauncherAndCore) {
  auto launcher = StartLauncher();
  std::unique_ptr<ChildProcess> core;
  StartResident(*launcher, core);
  launcher->WriteLine("send 1154");
  // Without a display the main window ends at once, not with OK.
  EXPECT_TRUE(launcher->ReadUntil("msg=16 "));
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", BaselineKey(1), kNoBaseline), 117);
}

TEST_F(CoreProtocol, OnADesktopOpenModeShowsTheMainWindowUntilItIsHidden) {
  auto launcher = StartLauncher();
  auto core = StartCore({"-o"}, {{"DISPLAY", ":99"}, {"QT_QPA_PLATFORM", "offscreen"}});
  // The main window announces its own handle, then takes a hide request.
  const auto announce = launcher->ReadUntil("msg=1149 ");
  ASSERT_TRUE(announce);
  const auto f = Fields(*announce);
  EXPECT_EQ(f.at("l"), "0");
  EXPECT_TRUE(core->Running());
  launcher->WriteLine("sendto " + f.at("w") + " 1150");
  EXPECT_EQ(launcher->ReadUntil("result="), "result=0");
  // Hidden with OK: the frame tells the launcher, then open mode ends.
  EXPECT_TRUE(launcher->ReadUntil("msg=1150 "));
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_EQ(Settings().GetProfileInt(keys::kOptions, keys::kSelectedDrive, -1), 0);
}

TEST_F(CoreProtocol, WithoutLauncherTheCoreRunsAlone) {
  auto core = StartCore({"-o"});
  EXPECT_EQ(core->Wait(), 0);
  EXPECT_NE(Log().find("SMART monitoring started - ST3500418AS [5VM1ABCD]"), std::string::npos);
  EXPECT_EQ(Settings().GetProfileInt(keys::kOptions, keys::kOnce, 0), 1);
  EXPECT_EQ(Settings().GetProfileInt("5VM1ABCD", keys::kLastCheck, 0), 0) << "open mode";
}

TEST_F(CoreProtocol, ARefusedWindowFolderIsTracedAndTheCheckStillRuns) {
  const fs::path runtime = dir.path() / "open-runtime";
  fs::create_directories(runtime / "torvel");
  fs::permissions(runtime / "torvel", fs::perms::all, fs::perm_options::replace);
  auto core = StartCore({"-o"}, {{"XDG_RUNTIME_DIR", runtime.string()}});
  EXPECT_EQ(core->Wait(), 0);
  const std::string trace = test::ReadFile(dir.path() / "debug.log");
  EXPECT_NE(trace.find((runtime / "torvel").string() +
                       ": others may write in it; the monitor cannot reach the launcher"),
            std::string::npos)
      << trace;
  EXPECT_NE(Log().find("SMART monitoring started - ST3500418AS [5VM1ABCD]"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(runtime / "torvel")) << "nothing is made in a refused folder";
}

// A port that takes connections and never says a word.
struct SilentServer {
  SilentServer() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd, 8);
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    port = ntohs(a.sin_port);
  }
  ~SilentServer() { close(fd); }
  int fd = -1;
  int port = 0;
};

TEST_F(CoreProtocol, AFailedAlertMailIsLoggedInEveryMode) {
  fs::remove_all(dir.path() / "drives" / "0");
  fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "1", dir.path() / "drives" / "1",
           fs::copy_options::recursive);
  SilentServer server;
  const std::string host = "127.0.0.1:" + std::to_string(server.port);
  {
    SqliteSettingsStore s = Settings();
    s.WriteProfileInt(keys::kOptions, keys::kEmail, 1);
    s.WriteProfileString(keys::kOptions, keys::kSmtpServer, host);
  }
  const std::map<std::string, std::optional<std::string>> env = {
      {"TORVEL_SMTP_MODULE", TORVEL_SMTP_MODULE_PATH}, {"TORVEL_SMTP_TIMEOUT", "1"}};

  // The worker reports to the frame while start-up waits for it: the wait
  // must serve that message, or the core never ends.
  auto open = StartCore({"/o"}, env);
  ASSERT_EQ(open->Wait(std::chrono::seconds(30)), 0);
  const std::string log = Log();
  const std::size_t info = log.find("INFO\r\nAlert mail sent to ");
  const std::size_t result = log.find("SMTP Client\r\nFailed to");
  ASSERT_NE(info, std::string::npos);
  ASSERT_NE(result, std::string::npos);
  EXPECT_LT(info, result);
  EXPECT_NE(log.find("(\'" + host + "\')", result), std::string::npos);

  fs::remove(dir.path() / "torvel.log");
  auto resident = StartCore({}, env);
  ASSERT_TRUE(fs::exists(dir.path() / "runtime"));
  // Resident: stays; the attempt is logged beforehand, and a failure after
  // it, as in open mode (nobody else would hear of it).
  for (int i = 0; i < 500 && Log().find("SMTP Client") == std::string::npos; ++i) usleep(10000);
  EXPECT_NE(Log().find("Alert mail sent to"), std::string::npos);
  EXPECT_LT(Log().find("Alert mail sent to"), Log().find("SMTP Client\r\nFailed to"));
}

}  // namespace
}  // namespace torvel
