// The GUI toolkit's half of the desktop. It is built as its own shared
// library, libtorvel-qtui.so, and loaded only when a display is there and a
// box or window is first needed, so the engine never links Qt and a headless
// process never maps it. Only abstract classes and standard types cross this
// boundary; both sides are built by the same compiler from this tree.
#pragma once

#include <optional>
#include <string>

namespace torvel {

class EventLoop;
struct MainWindowEnv;

// What the module asks of the program that loaded it. Outlives the module.
class GuiHost {
 public:
  // One line for the support trace, "\n" included, Windows-1252.
  virtual void Trace(const std::string& line) = 0;

 protected:
  ~GuiHost() = default;
};

// A box as it shows on screen, described in the program's own terms.
struct ShownBox {
  std::string title;  // UTF-8
  std::string text;   // UTF-8, line breaks as "\n"
  // kMbOk or kMbYesNo, one kMbIcon* (none: 0), and kMbSystemModal when the
  // box stays above other windows.
  unsigned style = 0;
  int defaultAnswer = 0;  // kIdOk, kIdYes or kIdNo
};

// The toolkit, up for as long as this object lives: deleting it tears the
// toolkit down (the library itself stays loaded). One at a time per process;
// all calls on the thread that created it.
class GuiModule {
 public:
  virtual ~GuiModule() = default;

  // The toolkit's event loop; WindowSystem::SwitchLoop moves the watches
  // onto it. Boxes and windows serve it while they are open.
  virtual EventLoop& loop() = 0;

  // As UiServices::MessageBox: Windows-1252 in, kIdOk / kIdYes / kIdNo out.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // As MainWindowHost::RunMainWindow.
  virtual int RunMainWindow(int startTab, MainWindowEnv& env) = 0;
  // Opens help/<page> beside the program, where <page> is the part of the
  // topic after "::" with '\' read as '/'. A missing page is only traced.
  virtual void OpenHelpTopic(const std::string& topic) = 0;

  // For tests, which answer boxes from a task posted onto loop(): the modal
  // box showing now, and answering it as a click on that button would.
  virtual std::optional<ShownBox> ActiveBox() = 0;
  virtual bool AnswerActiveBox(int answer) = 0;
};

inline constexpr const char* kGuiModuleFileName = "libtorvel-qtui.so";

// The module's one exported function, extern "C":
//   torvel::GuiModule* TorvelCreateGuiModule(torvel::GuiHost& host);
// Brings the toolkit up; nullptr (after a trace line) when it cannot.
inline constexpr const char* kGuiModuleEntryName = "TorvelCreateGuiModule";
using GuiModuleEntry = GuiModule* (*)(GuiHost& host);

}  // namespace torvel
