#include "platform/desktop.h"

#include <dlfcn.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "base/debug_trace.h"
#include "base/codepage.h"
#include "platform/event_loop.h"
#include "platform/gui_module.h"
#include "platform/window_messages.h"

namespace torvel {
namespace {

constexpr std::uint32_t kVersion6 = 6u << 16;
// IDCANCEL: the main window was not shown, so nobody pressed OK.
constexpr int kMainWindowNotShown = 2;

bool SetAndNotEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool IsYesNo(unsigned style) { return (style & 0xF) == kMbYesNo; }

// What a box without anyone to read it does: say it, and take the answer
// that changes nothing (OK, or No to a question). Scripts that want the
// other answer set TORVEL_HEADLESS_ANSWER=yes.
int HeadlessMessageBox(TraceLog& trace, const std::string& text, const std::string& caption,
                       unsigned style) {
  const char* wanted = std::getenv("TORVEL_HEADLESS_ANSWER");
  const bool yes = wanted != nullptr && std::string_view(wanted) == "yes";
  const int answer = IsYesNo(style) ? (yes ? kIdYes : kIdNo) : kIdOk;
  const std::string line = HeadlessBoxLine(text, caption, answer);
  std::fputs((Cp1252ToUtf8(line) + "\n").c_str(), stderr);
  trace.DebugTrace("MessageBox: %s\n", line.c_str());
  return answer;
}

int HeadlessMainWindow(TraceLog& trace) {
  trace.DebugTrace("The main window cannot be shown without a display\n");
  return kMainWindowNotShown;
}

void HeadlessHelpTopic(TraceLog& trace, const std::string& topic) {
  trace.DebugTrace("Help topic %s not shown without a display\n", topic.c_str());
}

class HeadlessDesktop final : public Desktop {
 public:
  explicit HeadlessDesktop(TraceLog& trace) : trace_(trace) {}

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    return HeadlessMessageBox(trace_, text, caption, style);
  }
  void OpenHelpTopic(const std::string& topic) override { HeadlessHelpTopic(trace_, topic); }
  int RunMainWindow(int, MainWindowEnv&) override { return HeadlessMainWindow(trace_); }
  bool ToolkitUp() const override { return false; }
  bool StartToolkit() override { return false; }
  GuiModule* module() override { return nullptr; }

 private:
  TraceLog& trace_;
};

std::string ModulePath() {
  if (const char* path = std::getenv("TORVEL_UI_MODULE"); path != nullptr && *path != '\0')
    return path;
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return kGuiModuleFileName;  // left to the loader's search path
  return (program.parent_path() / kGuiModuleFileName).string();
}

// Loads the toolkit on first need. A failed load is not retried: the
// desktop is headless from then on.
class LazyDesktop final : public Desktop, private GuiHost {
 public:
  LazyDesktop(WindowSystem& windows, TraceLog& trace) : windows_(windows), trace_(trace) {}

  ~LazyDesktop() override {
    if (!module_) return;
    // The windows must not be left on a loop that is about to go.
    if (&windows_.loop() == &module_->loop()) windows_.SwitchLoop(*loopBefore_);
    // Tears Qt down; the library stays mapped because Qt cannot safely be
    // unloaded and brought up again.
    module_.reset();
  }
  LazyDesktop(const LazyDesktop&) = delete;
  LazyDesktop& operator=(const LazyDesktop&) = delete;

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    if (!StartToolkit()) return HeadlessMessageBox(trace_, text, caption, style);
    return module_->MessageBox(text, caption, style);
  }
  void OpenHelpTopic(const std::string& topic) override {
    if (!StartToolkit()) return HeadlessHelpTopic(trace_, topic);
    module_->OpenHelpTopic(topic);
  }
  int RunMainWindow(int startTab, MainWindowEnv& env) override {
    if (!StartToolkit()) return HeadlessMainWindow(trace_);
    return module_->RunMainWindow(startTab, env);
  }
  bool ToolkitUp() const override { return module_ != nullptr; }
  GuiModule* module() override { return module_.get(); }

  bool StartToolkit() override {
    if (module_) return true;
    if (tried_) return false;
    tried_ = true;

    const std::string path = ModulePath();
    // Never closed: see the destructor.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      trace_.DebugTrace("Cannot load the desktop module: %s\n", dlerror());
      return false;
    }
    const auto entry = reinterpret_cast<GuiModuleEntry>(dlsym(library, kGuiModuleEntryName));
    if (entry == nullptr) {
      trace_.DebugTrace("The desktop module %s has no %s\n", path.c_str(), kGuiModuleEntryName);
      return false;
    }
    module_.reset(entry(*this));
    if (!module_) return false;  // the module traced why
    loopBefore_ = &windows_.loop();
    windows_.SwitchLoop(module_->loop());
    return true;
  }

 private:
  void Trace(const std::string& line) override { trace_.DebugTrace("%s", line.c_str()); }

  WindowSystem& windows_;
  TraceLog& trace_;
  std::unique_ptr<GuiModule> module_;
  EventLoop* loopBefore_ = nullptr;
  bool tried_ = false;
};

}  // namespace

std::uint32_t LinuxModuleVersions::GetModuleVersion(const std::string& library) const {
  if (strcasecmp(library.c_str(), "comctl32.dll") == 0) return kVersion6;
  if (strcasecmp(library.c_str(), "shell32.dll") == 0) return kVersion6;
  return 0;
}

bool HaveDisplay() { return SetAndNotEmpty("DISPLAY") || SetAndNotEmpty("WAYLAND_DISPLAY"); }

std::string HeadlessBoxLine(const std::string& text, const std::string& caption, int answer) {
  std::string line = caption.empty() ? std::string("Torvel") : caption;
  line += ": ";
  bool inBreak = false;
  bool any = false;  // a break before any text separates nothing
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      inBreak = true;
      continue;
    }
    if (inBreak && any) line += " / ";
    inBreak = false;
    any = true;
    line += c;
  }
  line += " [answered ";
  switch (answer) {
    case kIdOk: line += "OK"; break;
    case kIdYes: line += "Yes"; break;
    case kIdNo: line += "No"; break;
    default: line += std::to_string(answer); break;
  }
  line += "]";
  return line;
}

std::unique_ptr<Desktop> MakeHeadlessDesktop(TraceLog& trace) {
  return std::make_unique<HeadlessDesktop>(trace);
}

std::unique_ptr<Desktop> MakeDesktop(WindowSystem& windows, TraceLog& trace) {
  if (!HaveDisplay()) return MakeHeadlessDesktop(trace);
  return std::make_unique<LazyDesktop>(windows, trace);
}

}  // namespace torvel
