// Torvel: the launcher. Started by the desktop's autostart entry, it shows
// the tray icon, starts torvelCore on the schedule of the Preferences tab
// and serves the window the core reports to. One per user.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QSystemTrayIcon>

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/sqlite_settings_store.h"
#include "base/version.h"
#include "launcher/dbus_notifier.h"
#include "launcher/instance_lock.h"
#include "launcher/launcher.h"
#include "launcher/screenshots.h"
#include "launcher/tray_view.h"
#include "platform/desktop.h"
#include "platform/window_messages.h"
#include "ui/qt_event_loop.h"

namespace {

using namespace torvel;
namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: Torvel [--print-state] [--screenshot DIR]\n"
    "       Torvel --help | --version\n"
    "\n"
    "Shows the tray icon and runs torvelCore (from beside this program) at\n"
    "start and then every PollEvery hours or minutes (Options/TimeType) while\n"
    "Options/AutoCheck is on. Without a tray it opens the main window at start.\n"
    "A second start while one runs asks that one to open the main window and\n"
    "ends. Alerts become desktop notifications (Options/DesktopNotifications).\n"
    "Without a display it runs on Qt's offscreen platform, without a tray.\n"
    "\n"
    "  --print-state     write a 'state ...' line to standard output on every\n"
    "                    change and take the tray menu's commands 'open',\n"
    "                    'check' and 'exit' as lines on standard input (tests)\n"
    "  --screenshot DIR  draw the tray menu and tooltip into\n"
    "                    DIR/launcher-menu.png and DIR/launcher-tooltip.png,\n"
    "                    and the icons into DIR/launcher-icons.png\n"
    "\n"
    "TORVEL_LAUNCHER_MINUTE_MS=N makes a minute of the schedule last N ms.\n"
    "TORVEL_LAUNCHER_DESKTOP=notray|tray: act as on a display without or with\n"
    "a tray, whatever there is (tests).\n";

// Signals become a byte in a pipe the event loop watches.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(gSignalPipe[1], &byte, 1);
}

std::int64_t MinuteMs() {
  const char* text = std::getenv("TORVEL_LAUNCHER_MINUTE_MS");
  std::int64_t ms = 0;
  if (text == nullptr) return 60000;
  const auto [end, ec] = std::from_chars(text, text + std::strlen(text), ms);
  return ec == std::errc{} && *end == '\0' && ms > 0 ? ms : 60000;
}

fs::path CorePath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return (ec ? fs::path(".") : self.parent_path()) / "torvelCore";
}

// What the launcher finds of the desktop, or what a test says it finds.
struct DesktopSeen {
  bool display = false;
  std::function<bool()> trayAvailable;
};

DesktopSeen SeeDesktop() {
  const char* stub = std::getenv("TORVEL_LAUNCHER_DESKTOP");
  const std::string said = stub != nullptr ? stub : "";
  if (said == "notray" || said == "tray") return {true, [tray = said == "tray"] { return tray; }};
  return {HaveDisplay(), [] { return QSystemTrayIcon::isSystemTrayAvailable(); }};
}

// A second start asks the running launcher to open the main window. The
// lock holder may not have made its window yet, so it is looked for a
// little while.
int HandOver(WindowSystem& windows) {
  using namespace std::chrono_literals;
  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  for (;;) {
    const WindowHandle running = windows.FindWindow(kLauncherClass, kLauncherTitle);
    if (running != kNoWindow) {
      if (windows.SendMessage(running, {kMsgOpenMainWindowRequest, 0, 0, {}}, 10s)) return 0;
      break;
    }
    if (std::chrono::steady_clock::now() >= giveUp) break;
    std::this_thread::sleep_for(100ms);
  }
  std::fputs("Torvel: already running, but it does not answer\n", stderr);
  return 1;
}

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// The menu's commands from standard input, for tests.
struct StdinCommands {
  Launcher& launcher;
  EventLoop& loop;
  std::string pending{};

  void OnReadable() {
    char buffer[256];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      loop.Unwatch(STDIN_FILENO);
      return;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string word = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (word == "open") launcher.OpenMainWindow();
      if (word == "check") launcher.CheckNow();
      if (word == "exit") launcher.Exit();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool printState = false;
  std::string screenshotDir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--print-state") {
      printState = true;
    } else if (a == "--screenshot" && i + 1 < argc) {
      screenshotDir = argv[++i];
    } else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--version") {
      std::fputs(torvel::VersionLine("Torvel").c_str(), stdout);
      return 0;
    } else {
      std::fprintf(stderr, "Torvel: unknown option '%s'\n%s", a.c_str(), kUsage);
      return 64;
    }
  }

  // Without a display the launcher still schedules cores: Qt's offscreen
  // platform needs none, and the tray simply stays unavailable. Given as an
  // argument, not in the environment, so the cores do not inherit it.
  std::vector<char*> qtArgs(argv, argv + 1);
  char platformOption[] = "-platform";
  char offscreen[] = "offscreen";
  if ((!HaveDisplay() && std::getenv("QT_QPA_PLATFORM") == nullptr) || !screenshotDir.empty()) {
    qtArgs.push_back(platformOption);
    qtArgs.push_back(offscreen);
  }
  // Pictures for the documentation are drawn at twice the size, for
  // sharp text on today's screens.
  if (!screenshotDir.empty()) qputenv("QT_SCALE_FACTOR", "2");
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  QApplication app(qtArgc, qtArgs.data());
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QStringLiteral("Torvel"));

  if (!screenshotDir.empty()) return RenderScreenshots(screenshotDir);

  QtEventLoop loop;
  WindowSystem windows(loop);
  if (!windows.FolderError().empty()) {
    // Without the folder the monitor cannot report to the launcher: no
    // check would ever show. Nothing is opened inside a refused folder.
    std::fprintf(stderr, "Torvel: %s; the launcher and the monitor cannot reach each other\n",
                 windows.FolderError().c_str());
    return 1;
  }
  // The lock makes two simultaneous starts safe; the lookup also catches a
  // launcher of ours that holds no lock file (another runtime folder's).
  // Either way this start hands over to the running one.
  InstanceLock lock(windows.folder() / "launcher.lock");
  if (lock.HeldElsewhere() || windows.FindWindow(kLauncherClass, kLauncherTitle) != kNoWindow)
    return HandOver(windows);

  SqliteSettingsStore store(SqliteSettingsStore::DefaultSettingsPath());
  TrayView view;
  LauncherOptions options;
  options.corePath = CorePath();
  options.minuteMs = MinuteMs();
  if (printState) options.printState = PrintLine;
  options.quit = [](int status) { QCoreApplication::exit(status); };
  DesktopSeen desktop = SeeDesktop();
  options.display = desktop.display;
  options.trayAvailable = std::move(desktop.trayAvailable);
  // Lines, not boxes: a desktop without a notification service is no error.
  DbusNotifier notifier(QDBusConnection::sessionBus(), [](const std::string& line) {
    std::fprintf(stderr, "Torvel: %s\n", line.c_str());
  });
  options.notifier = &notifier;
  Launcher launcher(windows, store, view, options);
  view.SetActions({[&] { launcher.OpenMainWindow(); }, [&] { launcher.CheckNow(); },
                   [&] { launcher.Exit(); }, [&] { launcher.OpenMainWindow(); }});

  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    loop.Watch(gSignalPipe[0], [&] {
      char drain[16];
      while (read(gSignalPipe[0], drain, sizeof drain) > 0) {
      }
      launcher.Shutdown();
    });
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
  }
  StdinCommands commands{launcher, loop};
  if (printState) loop.Watch(STDIN_FILENO, [&] { commands.OnReadable(); });

  if (!launcher.Start()) {
    std::fputs("Torvel: cannot create the launcher window\n", stderr);
    return 1;
  }
  const int status = QApplication::exec();
  loop.Unwatch(STDIN_FILENO);
  if (gSignalPipe[0] >= 0) loop.Unwatch(gSignalPipe[0]);
  return status;
}
