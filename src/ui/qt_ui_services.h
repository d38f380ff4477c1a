// Boxes and help pages through Qt, for the core's desktop module, the
// screenshot tool and the widget tests.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/gui_module.h"
#include "platform/ui_services.h"

namespace torvel {

class QtUiServices final : public UiServices {
 public:
  // Opens a help page (a file's full path) with the desktop; false when it
  // could not.
  using HelpOpener = std::function<bool(const std::string& page)>;

  // `trace` receives one line ("\n" included) when help cannot be shown.
  // `helpFolder`: where the help pages are; empty: "help" beside the
  // program. `openHelp`: empty for QDesktopServices::openUrl.
  explicit QtUiServices(std::function<void(const std::string&)> trace, std::string helpFolder = {},
                        HelpOpener openHelp = {})
      : trace_(std::move(trace)), helpFolder_(std::move(helpFolder)), openHelp_(std::move(openHelp)) {}

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  // Opens <help folder>/<page>, where <page> is the part of the topic after
  // "::" with '\\' read as '/' (html/index.htm for the bare help file).
  // With no help folder, or when the desktop cannot open the page, this and
  // every later request do nothing (one trace line); a missing page is
  // traced and skipped.
  void OpenHelpTopic(const std::string& topic) override;

 private:
  std::function<void(const std::string&)> trace_;
  std::string helpFolder_;
  HelpOpener openHelp_;
  bool helpFailed_ = false;
};

// The modal box showing now, and answering it as a click on that button
// would (tests answer boxes this way from a posted task).
std::optional<ShownBox> ActiveQtBox();
bool AnswerActiveQtBox(int answer);

}  // namespace torvel
