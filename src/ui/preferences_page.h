// The preferences page: the global options, each written the moment its
// control changes.
#pragma once

#include "ui/tab_page.h"

namespace torvel {

class CPreferencesPage final : public TabPage {
  Q_OBJECT

 public:
  CPreferencesPage(PageContext& context, QWidget* parent);

  void ReloadTexts() override;
  std::string HelpTopic() const override;
};

}  // namespace torvel
