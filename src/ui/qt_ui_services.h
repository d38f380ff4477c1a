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
  // `trace` receives one line ("\n" included) for a help page that is missing.
  explicit QtUiServices(std::function<void(const std::string&)> trace) : trace_(std::move(trace)) {}

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  // Opens help/<page> beside the program, where <page> is the part of the
  // topic after "::" with '\\' read as '/'.
  void OpenHelpTopic(const std::string& topic) override;

 private:
  std::function<void(const std::string&)> trace_;
};

// The modal box showing now, and answering it as a click on that button
// would (tests answer boxes this way from a posted task).
std::optional<ShownBox> ActiveQtBox();
bool AnswerActiveQtBox(int answer);

}  // namespace torvel
