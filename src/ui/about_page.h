// The about page: version, links, notice and the feedback button.
#pragma once

#include "ui/tab_page.h"

namespace torvel {

class CAboutPage final : public TabPage {
  Q_OBJECT

 public:
  CAboutPage(PageContext& context, QWidget* parent);

  void ReloadTexts() override;
  std::string HelpTopic() const override;
};

}  // namespace torvel
