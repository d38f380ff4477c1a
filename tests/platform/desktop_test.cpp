#include "platform/desktop.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/sound.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"
#include "support/window_env.h"

namespace torvel {
namespace {

using Env = std::map<std::string, std::optional<std::string>>;

// Sets or removes variables. Each test sets all it depends on, so nothing
// is put back.
void SetEnv(const Env& changes) {
  for (const auto& [name, value] : changes) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
  }
}

bool Mapped(const std::string& library) {
  return test::ReadFile("/proc/self/maps").find(library) != std::string::npos;
}

TEST(HeadlessBoxLine, CaptionTextAndAnswerOnOneLine) {
  EXPECT_EQ(HeadlessBoxLine("Cannot reach the server.", "Torvel - SMTP Client", kIdNo),
            "Torvel - SMTP Client: Cannot reach the server. [answered No]");
  EXPECT_EQ(HeadlessBoxLine("Go on?", "", kIdYes), "Torvel: Go on? [answered Yes]");
  EXPECT_EQ(HeadlessBoxLine("x", "Torvel", 2), "Torvel: x [answered 2]");
  // Each run of breaks is one separator; none at either end.
  EXPECT_EQ(HeadlessBoxLine("\r\na\r\n\r\nb\nc\rd\r\n", "Torvel", kIdOk),
            "Torvel: a / b / c / d [answered OK]");
}

TEST(LinuxModuleVersions, ControlsAndShellAreSixAnyCase) {
  const LinuxModuleVersions versions;
  EXPECT_EQ(versions.GetModuleVersion("comctl32.dll"), 0x60000u);
  EXPECT_EQ(versions.GetModuleVersion("SHELL32.Dll"), 0x60000u);
  EXPECT_EQ(versions.GetModuleVersion("user32.dll"), 0u);
  EXPECT_EQ(versions.GetModuleVersion("comctl32"), 0u);
}

TEST(HaveDisplay, EitherVariableSetAndNotEmpty) {
  const std::optional<std::string> unset;
  const std::pair<Env, bool> cases[] = {{{{"DISPLAY", unset}, {"WAYLAND_DISPLAY", unset}}, false},
                                        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
                                        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", unset}}, true},
                                        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", "wayland-0"}}, true}};
  for (const auto& [env, expected] : cases) {
    SetEnv(env);
    EXPECT_EQ(HaveDisplay(), expected) << testing::PrintToString(env);
  }
}

TEST(HeadlessDesktop, BoxesGoToStandardErrorAndTraceWithTheSafeAnswer) {
  test::TraceCapture capture;
  const auto desktop = MakeHeadlessDesktop(capture.trace);

  testing::internal::CaptureStderr();
  EXPECT_EQ(desktop->MessageBox("50\xB0" "C\r\nCheck the fan.", "Torvel", kMbOk | kMbIconWarning),
            kIdOk);
  EXPECT_EQ(desktop->MessageBox("Shut down?", "Torvel - Alert", kMbYesNo | kMbSystemModal), kIdNo);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Torvel: 50\xC2\xB0" "C / Check the fan. [answered OK]\n"
            "Torvel - Alert: Shut down? [answered No]\n");
  test::WindowWorld world;
  EXPECT_NE(desktop->RunMainWindow(0, world.env), kIdOk);
  EXPECT_FALSE(desktop->StartToolkit());

  // The trace keeps the program's own Windows-1252.
  const std::vector<std::string> expected = {
      "MessageBox: Torvel: 50\xB0" "C / Check the fan. [answered OK]\n",
      "MessageBox: Torvel - Alert: Shut down? [answered No]\n",
      "The main window cannot be shown without a display\n"};
  EXPECT_EQ(capture.Messages(), expected);
}

TEST(MakeDesktop, AModuleThatWillNotLoadLeavesItHeadless) {
  SetEnv({{"DISPLAY", ":99"}, {"TORVEL_UI_MODULE", "/nonexistent/libtorvel-qtui.so"}});
  test::TempDir folder;
  test::TraceCapture capture;
  const auto loop = MakePollEventLoop();
  WindowSystem windows(*loop, folder.path() / "w");
  const auto desktop = MakeDesktop(windows, capture.trace);

  testing::internal::CaptureStderr();
  EXPECT_EQ(desktop->MessageBox("Saved.", "Torvel", kMbOk), kIdOk);
  EXPECT_EQ(desktop->MessageBox("Again?", "Torvel", kMbYesNo), kIdNo);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Torvel: Saved. [answered OK]\nTorvel: Again? [answered No]\n");
  EXPECT_FALSE(desktop->ToolkitUp());
  EXPECT_EQ(&windows.loop(), loop.get());
  // Tried once, saying why.
  const auto lines = capture.Messages();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Cannot load the desktop module: /nonexistent/libtorvel-qtui.so", 0), 0u)
      << lines[0];
}

TEST(MakeDesktop, WithoutDisplayItIsHeadlessAndNeverMapsQt) {
  // In a child, so this process's maps stay clean; the module is the real
  // one, so a desktop that wrongly loaded it would map Qt.
  const auto run = [](bool display) {
    const pid_t pid = fork();
    if (pid == 0) {
      SetEnv({{"DISPLAY", display ? std::optional<std::string>(":99") : std::nullopt},
                     {"WAYLAND_DISPLAY", std::nullopt},
                     {"QT_QPA_PLATFORM", "offscreen"},
                     {"TORVEL_UI_MODULE", TORVEL_UI_MODULE_PATH}});
      test::TempDir folder;
      const auto loop = MakePollEventLoop();
      WindowSystem windows(*loop, folder.path() / "w");
      auto trace = TraceLog::Off();
      const auto desktop = MakeDesktop(windows, trace);
      test::WindowWorld world;
      if (display) desktop->StartToolkit();
      else if (desktop->MessageBox("Hello", "Torvel", kMbOk) != kIdOk || desktop->ToolkitUp()) _exit(2);
      // With a display the window would wait for the user.
      if (!display && desktop->RunMainWindow(0, world.env) == kIdOk) _exit(3);
      desktop->OpenHelpTopic("Torvel Help.chm::\\html\\Languges.htm");
      _exit(Mapped("libQt6") || Mapped("libtorvel-qtui") ? 1 : 0);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(false), 0);
  EXPECT_EQ(run(true), 1);  // the check does see Qt when it is there
}

TEST(CanberraSound, LoadsNothingUntilPlayedAndTracesAFailureOnce) {
  test::TraceCapture capture;
  const auto sound = MakeCanberraSound(capture.trace);
  EXPECT_FALSE(Mapped("libcanberra"));
  for (int i = 0; i < 3; ++i) sound->PlayFileAsync("no such sound.wav");
  // Whether a sound server is there depends on the machine; either way an
  // alert every minute must not add a trace line each time.
  EXPECT_LE(capture.Messages().size(), 1u);
}

}  // namespace
}  // namespace torvel
