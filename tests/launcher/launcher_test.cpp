// The launcher in the test's own process: a stand-in core (a script that
// only sleeps), a frame window of the test's own that records what the
// launcher sends it, and a recording notifier. Messages from the core are
// handed to the launcher's window as the core would send them.
#include "launcher/launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/keys.h"
#include "config/settings_store.h"
#include "launcher/desktop_notifier.h"
#include "launcher/tray_view.h"
#include "support/temp_dir.h"
#include "ui/qt_event_loop.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

class RecordingNotifier final : public DesktopNotifier {
 public:
  void Notify(const DesktopNotice& notice) override { notices.push_back(notice); }
  void SetOpenAction(std::function<void()> action) override { open = std::move(action); }

  std::vector<DesktopNotice> notices;
  std::function<void()> open;
};

bool PumpLauncherUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::string StatusBytes(const std::string& summary) {
  std::string bytes = summary;
  bytes.resize(256, '\0');
  return bytes;
}

constexpr const char* kOkSummary = "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]";
constexpr const char* kTecSummary =
    "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART reported CRITICAL DRIVE CONDITION! A failure may be imminent!]";

struct LauncherInProcess : ::testing::Test {
  void SetUp() override {
    const fs::path core = dir.path() / "core";
    test::WriteFile(core, "#!/bin/sh\nexec sleep 60\n");
    fs::permissions(core, fs::perms::owner_all, fs::perm_options::replace);
    options.corePath = core;
    options.quit = [this](int status) { quitWith = status; };
    options.notifier = &notifier;
    frame = windows.CreateWindow("Test Frame", "frame", [this](const WindowMessage& m) {
      received.push_back(m);
      return std::int64_t{0};
    }, false);
  }
  void StartLauncher(bool display, bool tray) {
    options.display = display;
    options.trayAvailable = [this, tray] {
      ++trayAsked;
      return tray;
    };
    launcher.emplace(windows, store, view, options);
    ASSERT_TRUE(launcher->Start());
  }
  std::int64_t Send(const WindowMessage& m) {
    return windows.SendMessage(windows.FindWindow(kLauncherClass, kLauncherTitle), m).value_or(-1);
  }
  void Announce(WindowHandle handle) { EXPECT_EQ(Send({kMsgAnnounceWindow, 0, handle, {}}), 0); }
  void Report(TrayState state, const std::string& summary) {
    EXPECT_EQ(Send({kWmCopyData, frame, TrayStateWord(state), {StatusBytes(summary)}}), 0);
  }
  // Everything posted so far has run once a task posted now has.
  void Settle() {
    bool done = false;
    loop.Post([&done] { done = true; });
    ASSERT_TRUE(PumpLauncherUntil([&done] { return done; }));
  }
  int Opens() const {
    int n = 0;
    for (const WindowMessage& m : received) n += m.message == kWmCommand && m.wParam == kCmdOpenMainWindow;
    return n;
  }

  test::TempDir dir;
  QtEventLoop loop;
  WindowSystem windows{loop, dir.path() / "windows"};
  MemorySettingsStore store;
  TrayView view;
  RecordingNotifier notifier;
  LauncherOptions options;
  std::optional<Launcher> launcher;
  WindowHandle frame = kNoWindow;
  std::vector<WindowMessage> received;
  std::optional<int> quitWith;
  int trayAsked = 0;
};

TEST_F(LauncherInProcess, WithoutATrayTheMainWindowOpensWhenTheFirstCoreAnnouncesItself) {
  StartLauncher(true, false);
  EXPECT_EQ(trayAsked, 0) << "not before the core announces: the panel may start late";
  Announce(frame);
  ASSERT_TRUE(PumpLauncherUntil([&] { return Opens() == 1; }));
  EXPECT_EQ(trayAsked, 1);
  // The next core (a scheduled check) does not open it again.
  Announce(frame);
  Settle();
  EXPECT_EQ(Opens(), 1);
}

TEST_F(LauncherInProcess, WithATrayOrWithoutADisplayNothingOpensAtStart) {
  for (const bool display : {true, false}) {
    SCOPED_TRACE(display ? "a display and a tray" : "no display, no tray");
    launcher.reset();
    received.clear();
    StartLauncher(display, display);
    Announce(frame);
    Settle();
    EXPECT_EQ(Opens(), 0);
  }
  // OpenAtStartup still opens it.
  launcher.reset();
  store.WriteProfileInt(keys::kOptions, keys::kOpenAtStartup, 1);
  StartLauncher(true, true);
  Announce(frame);
  ASSERT_TRUE(PumpLauncherUntil([&] { return Opens() == 1; }));
}

TEST_F(LauncherInProcess, ASecondStartsRequestOpensTheMainWindow) {
  StartLauncher(true, true);
  // Before the core announced its frame: it opens once it does.
  EXPECT_EQ(Send({kMsgOpenMainWindowRequest, 0, 0, {}}), 0);
  Settle();
  EXPECT_EQ(Opens(), 0);
  Announce(frame);
  ASSERT_TRUE(PumpLauncherUntil([&] { return Opens() == 1; }));
  // With the frame known: at once.
  EXPECT_EQ(Send({kMsgOpenMainWindowRequest, 0, 0, {}}), 0);
  ASSERT_TRUE(PumpLauncherUntil([&] { return Opens() == 2; }));
  EXPECT_EQ(quitWith, std::nullopt);
}

TEST_F(LauncherInProcess, AlertsAndStateChangesBecomeNoticesWhoseActionOpensTheMainWindow) {
  StartLauncher(true, true);
  Announce(frame);
  Report(TrayState::Ok, kOkSummary);
  EXPECT_TRUE(notifier.notices.empty()) << "all well at the first check";
  Report(TrayState::Bad, kTecSummary);
  ASSERT_EQ(notifier.notices.size(), 1u);
  EXPECT_EQ(notifier.notices[0].summary, "A disk reports a critical condition");
  EXPECT_EQ(notifier.notices[0].body, kTecSummary);
  EXPECT_EQ(notifier.notices[0].urgency, 2);
  Report(TrayState::Bad, kTecSummary);
  EXPECT_EQ(notifier.notices.size(), 1u) << "the same alert again";
  // The user asked for the main window during a check: no new state.
  EXPECT_EQ(Send({kWmCopyData, frame, 0, {std::string()}}), 0);
  Report(TrayState::Ok, kOkSummary);
  ASSERT_EQ(notifier.notices.size(), 2u);
  EXPECT_EQ(notifier.notices[1].summary, "The disks are OK again");

  ASSERT_TRUE(notifier.open);
  notifier.open();
  ASSERT_TRUE(PumpLauncherUntil([&] { return Opens() == 1; }));

  store.WriteProfileInt(keys::kOptions, keys::kDesktopNotifications, 0);
  Report(TrayState::Bad, kTecSummary);
  EXPECT_EQ(notifier.notices.size(), 2u) << "DesktopNotifications 0";
  store.WriteProfileInt(keys::kOptions, keys::kDesktopNotifications, 1);
  Report(TrayState::Ok, kOkSummary);
  EXPECT_EQ(notifier.notices.size(), 3u) << "read each time, never cached";

  launcher.reset();
  EXPECT_FALSE(notifier.open) << "the launcher took its action back";
}

}  // namespace
}  // namespace torvel
