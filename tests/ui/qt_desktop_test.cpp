// The Qt module as the program loads it, through MakeDesktop, on Qt's
// offscreen platform. This binary does not link Qt; the module brings it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/gui_module.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"
#include "support/window_env.h"

namespace torvel {
namespace {

struct Pipe {
  Pipe() { EXPECT_EQ(pipe(fds), 0); }
  ~Pipe() {
    close(fds[0]);
    close(fds[1]);
  }
  int in() const { return fds[0]; }
  void Put(const std::string& bytes) const { EXPECT_GT(write(fds[1], bytes.data(), bytes.size()), 0); }
  char TakeOne() const {
    char c = 0;
    EXPECT_EQ(read(fds[0], &c, 1), 1);
    return c;
  }
  int fds[2] = {-1, -1};
};

class QtDesktopTest : public testing::Test {
 protected:
  QtDesktopTest() {
    // Every test of this binary wants these; nothing here needs them undone.
    setenv("DISPLAY", ":99", 1);  // never opened: the platform is offscreen
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TORVEL_UI_MODULE", TORVEL_UI_MODULE_PATH, 1);
    // A locale whose LC_NUMERIC is not "C", and UTF-8, without which Qt complains.
    setenv("LC_ALL", "C.UTF-8", 1);
    desktop = MakeDesktop(windows, capture.trace);
  }
  ~QtDesktopTest() override { desktop.reset(); }  // before the windows

  // Shows a box and clicks `click` in it from a task on the toolkit's loop,
  // which exec() serves once the box is up. Returns how the box looked.
  std::optional<ShownBox> ShowAndAnswer(const std::string& text, unsigned style, int click,
                                        int& answer) {
    if (!desktop->StartToolkit()) return std::nullopt;
    GuiModule* module = desktop->module();
    std::optional<ShownBox> shown;
    module->loop().Post([&] {
      shown = module->ActiveBox();
      if (shown && !module->AnswerActiveBox(click)) module->AnswerActiveBox(shown->defaultAnswer);
    });
    answer = desktop->MessageBox(text, "Torvel - Temperature", style);
    return shown;
  }

  test::TempDir folder;
  test::TraceCapture capture;
  std::unique_ptr<EventLoop> pollLoop = MakePollEventLoop();
  WindowSystem windows{*pollLoop, folder.path() / "w"};
  std::unique_ptr<Desktop> desktop;
};

TEST_F(QtDesktopTest, BoxesAreRealBoxesWithTitleTextIconAndButtons) {
  struct Case {
    unsigned style;
    int click;
    int expectedDefault;
  };
  for (const Case c : {Case{kMbYesNo | kMbIconWarning | kMbSystemModal, kIdYes, kIdNo},
                       Case{kMbYesNo | kMbIconWarning, kIdNo, kIdNo},
                       Case{kMbOk | kMbIconInformation, kIdOk, kIdOk},
                       Case{kMbOk | kMbIconError, kIdOk, kIdOk}}) {
    SCOPED_TRACE(c.style);
    int answer = 0;
    const auto shown = ShowAndAnswer("Drive at 50\xB0" "C.\r\nShut down?", c.style, c.click, answer);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title, "Torvel - Temperature");
    EXPECT_EQ(shown->text, "Drive at 50\xC2\xB0" "C.\nShut down?");
    EXPECT_EQ(shown->style, c.style);
    EXPECT_EQ(shown->defaultAnswer, c.expectedDefault);
    EXPECT_EQ(answer, c.click);
  }
}

TEST_F(QtDesktopTest, QtsLoopServesWatchesPostsAndMessagesUntilTheDesktopGoes) {
  int handled = 0;
  const WindowHandle window = windows.CreateWindow(
      "Torvel Test", "Probe", [&handled](const WindowMessage& m) {
        ++handled;
        return static_cast<std::int64_t>(m.wParam) + 1;
      });
  ASSERT_NE(window, kNoWindow);
  ASSERT_TRUE(desktop->StartToolkit());
  EventLoop& loop = windows.loop();
  ASSERT_EQ(&loop, &desktop->module()->loop());

  Pipe pipe;
  std::string read;
  loop.Watch(pipe.in(), [&] { read += pipe.TakeOne(); });
  std::atomic<int> posted{0};
  std::atomic<bool> replied{false};
  std::optional<std::int64_t> reply;
  std::thread other([&] {
    pipe.Put("xy");
    for (int i = 0; i < 3; ++i) loop.Post([&posted] { ++posted; });
    // A system of its own, as another process has: the request comes over
    // the window's socket, which only Qt's loop watches now.
    const auto otherLoop = MakePollEventLoop();
    WindowSystem elsewhere(*otherLoop, folder.path() / "w");
    reply = elsewhere.SendMessage(window, WindowMessage{kWmUser + 1, 41, 0, {}});
    replied = true;
    loop.Post([] {});  // wakes the loop to see `replied`
  });
  loop.RunUntil([&] { return read == "xy" && posted == 3 && replied; });
  other.join();
  loop.Unwatch(pipe.in());
  EXPECT_EQ(reply, 42);
  EXPECT_EQ(handled, 1);

  desktop.reset();
  // Back on the loop the windows had, which outlives them.
  EXPECT_EQ(&windows.loop(), pollLoop.get());
}

TEST_F(QtDesktopTest, ACallbackMayChangeItsOwnWatchAndRunANestedLoop) {
  ASSERT_TRUE(desktop->StartToolkit());
  EventLoop& loop = windows.loop();
  Pipe a, b;
  std::string got;
  int bCalls = 0;
  bool nestedDone = false;
  loop.Watch(a.in(), [&] {
    got += a.TakeOne();
    loop.Watch(a.in(), [&] {  // replaced: the new one hears the rest
      got += a.TakeOne();
      loop.Unwatch(a.in());  // gone, then watched anew
      loop.Watch(a.in(), [&] {
        got += a.TakeOne();
        loop.Unwatch(a.in());
        b.Put("!");
      });
    });
  });
  loop.Watch(b.in(), [&] {
    // As a box inside a handler would, before its byte is read: the nested
    // loop must not call this again.
    ++bCalls;
    loop.Post([&nestedDone] { nestedDone = true; });
    loop.RunUntil([&] { return nestedDone; });
    loop.Unwatch(b.in());  // its byte stays unread and must not call again either
  });
  a.Put("123");
  loop.RunUntil([&] { return nestedDone; });
  bool drained = false;
  loop.Post([&drained] { drained = true; });
  loop.RunUntil([&] { return drained; });
  EXPECT_EQ(got, "123");
  EXPECT_EQ(bCalls, 1);
}

TEST_F(QtDesktopTest, NumbersKeepAFullStopOnceQtHasSetTheLocale) {
  // What the first QApplication of a process does; this may not be the first.
  ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
  ASSERT_TRUE(desktop->StartToolkit());
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1.5");
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");  // only numbers
  std::setlocale(LC_ALL, "C");
}

TEST_F(QtDesktopTest, TheMainWindowRunsInTheModuleAndTheToolkitComesUpAgainLater) {
  test::WindowWorld world;
  world.AddDrive(2, "Disk", "S2");
  world.env.windows = &windows;
  // The preferences page writes the autostart entry under it.
  setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);
  ASSERT_TRUE(desktop->StartToolkit());
  // Once the window runs, the hide request reaches it by its title.
  desktop->module()->loop().Post([&] {
    const WindowHandle window = windows.FindWindow(kDialogClass, "Torvel 2.41");
    EXPECT_NE(window, kNoWindow);
    windows.SendMessage(window, {kMsgMainWindowOk, 0, 0, {}});
  });
  EXPECT_EQ(desktop->RunMainWindow(1, world.env), kIdOk);
  // It moved the selection to the first drive in use.
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 2);
  EXPECT_EQ(windows.FindWindow(kDialogClass, "Torvel 2.41"), kNoWindow);

  // A second QApplication once the first has gone.
  desktop = MakeDesktop(windows, capture.trace);
  int answer = 0;
  ASSERT_TRUE(ShowAndAnswer("Again.", kMbOk, kIdOk, answer));
  EXPECT_EQ(answer, kIdOk);
}

}  // namespace
}  // namespace torvel
