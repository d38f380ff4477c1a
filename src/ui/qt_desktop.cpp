// The Qt desktop: QApplication, an EventLoop over Qt's, boxes and the main
// window. Built as libtorvel-qtui.so and loaded by platform/desktop.cpp on
// first need.

#include <QApplication>

#include <clocale>
#include <exception>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/event_loop.h"
#include "platform/gui_module.h"
#include "platform/main_window_env.h"
#include "platform/ui_services.h"
#include "ui/controls/theme_wrapper.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_services.h"

namespace torvel {
namespace {

class QtDesktopModule final : public GuiModule {
 public:
  explicit QtDesktopModule(GuiHost& host) : host_(host), app_(argc_, argv_) {
    // QApplication has just set every locale category from the environment;
    // the engine's "%.1f GB" must keep its full stop.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(QStringLiteral("Torvel"));
    LoadDialogFonts();
  }
  ~QtDesktopModule() override = default;
  QtDesktopModule(const QtDesktopModule&) = delete;
  QtDesktopModule& operator=(const QtDesktopModule&) = delete;

  EventLoop& loop() override { return loop_; }

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    return services_.MessageBox(text, caption, style);
  }

  int RunMainWindow(int startTab, MainWindowEnv& env) override {
    CMainWindow window(env);
    window.SetTheme(&theme_);
    window.SetStartTab(startTab);
    return window.Run();
  }

  void OpenHelpTopic(const std::string& topic) override { services_.OpenHelpTopic(topic); }

  std::optional<ShownBox> ActiveBox() override { return ActiveQtBox(); }
  bool AnswerActiveBox(int answer) override { return AnswerActiveQtBox(answer); }

 private:
  GuiHost& host_;
  // QApplication keeps references to both for its whole life.
  int argc_ = 1;
  char arg0_[11] = "torvelCore";
  char* argv_[2] = {arg0_, nullptr};
  QApplication app_;
  // After app_: its QObjects go before the application does.
  QtEventLoop loop_;
  ThemeWrapper theme_;
  QtUiServices services_{[this](const std::string& line) { host_.Trace(line); }};
};

}  // namespace
}  // namespace torvel

extern "C" __attribute__((visibility("default"))) torvel::GuiModule* TorvelCreateGuiModule(
    torvel::GuiHost& host) {
  if (QCoreApplication::instance() != nullptr) {
    host.Trace("The toolkit is already up in this process\n");
    return nullptr;
  }
  try {
    return new torvel::QtDesktopModule(host);
  } catch (const std::exception& e) {
    host.Trace(std::string("Cannot start the toolkit: ") + e.what() + "\n");
    return nullptr;
  }
}

static_assert(std::is_same_v<decltype(&TorvelCreateGuiModule), torvel::GuiModuleEntry>);
