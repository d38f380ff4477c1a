// The log page: torvel.log as text, saved as a copy or cleared.
#pragma once

#include "ui/tab_page.h"

namespace torvel {

class CLogPage final : public TabPage {
  Q_OBJECT

 public:
  CLogPage(PageContext& context, QWidget* parent);

  void ReloadTexts() override;
  std::string HelpTopic() const override;
};

}  // namespace torvel
