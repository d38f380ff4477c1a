// The desktop side of the core, reached through small interfaces so the
// engine never includes Qt: boxes (UiServices), the main window, the
// versions of system libraries, and the GUI toolkit's start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui_services.h"

namespace torvel {

class EventLoop;
class GuiModule;
struct MainWindowEnv;
class TraceLog;
class WindowSystem;

// Runs the main window modally over the objects `env` lends it; startTab -1
// leaves the first page. kIdOk when the user closed it with OK.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  virtual int RunMainWindow(int startTab, MainWindowEnv& env) = 0;
};

// GetModuleVersion: (major << 16) | minor, 0 when unknown.
class ModuleVersions {
 public:
  virtual ~ModuleVersions() = default;
  virtual std::uint32_t GetModuleVersion(const std::string& library) const = 0;
};

// Today's controls and shell: "comctl32.dll" and "shell32.dll" are 6.0.
class LinuxModuleVersions final : public ModuleVersions {
 public:
  std::uint32_t GetModuleVersion(const std::string& library) const override;
};

// True when a display is there to show windows on (DISPLAY or WAYLAND_DISPLAY).
bool HaveDisplay();

// The desktop as the core sees it. Nothing of the GUI toolkit is loaded
// until the first box, window or help topic; without a display it never is,
// boxes become lines on standard error and in the trace (answered OK or No;
// Yes with TORVEL_HEADLESS_ANSWER=yes, for scripts and tests)
// and the main window is not shown (RunMainWindow returns 2, IDCANCEL).
// Calls on the user-interface thread only.
class Desktop : public UiServices, public MainWindowHost {
 public:
  // True once the toolkit runs (its loop then serves `windows`).
  virtual bool ToolkitUp() const = 0;
  // Brings the toolkit up now rather than at the first box; true when it
  // runs. Loading is tried once: after a failure the desktop stays headless.
  virtual bool StartToolkit() = 0;
  // The toolkit module while it runs, else nullptr (tests answer boxes
  // through it).
  virtual GuiModule* module() = 0;
};

// Without a display, MakeHeadlessDesktop(trace). Otherwise the toolkit comes
// from the module $TORVEL_UI_MODULE, or libtorvel-qtui.so beside the
// program (/proc/self/exe); once it is up, `windows` is switched onto its
// loop. The desktop owns the toolkit: destroy it before `windows` and
// `trace`. Its destructor switches `windows` back onto the loop it had
// before, then tears the toolkit down, so that loop must outlive `windows`
// (WindowSystem asks as much of the loop it was made with).
std::unique_ptr<Desktop> MakeDesktop(WindowSystem& windows, TraceLog& trace);
// Never starts the toolkit: for servers, torvelctl and tests.
std::unique_ptr<Desktop> MakeHeadlessDesktop(TraceLog& trace);

// How a box reads on standard error and in the trace, one line:
//   "<caption>: <text> [answered OK]"
// <caption> is "Torvel" when the caption is empty; each run of line breaks
// (CR LF, LF or CR) in the text becomes " / " and trailing ones are dropped;
// the answer is OK, Yes, No, or the number. Windows-1252 like its inputs.
//   "Torvel: Drive 1 is failing. / Back up now. [answered No]"
//   "Torvel - SMTP Client: Cannot reach the server. [answered OK]"
std::string HeadlessBoxLine(const std::string& text, const std::string& caption, int answer);

}  // namespace torvel
