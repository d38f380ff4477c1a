// The disk information page: the selected drive's identity, its volumes
// and every decoded IDENTIFY row.
#pragma once

#include "ui/tab_page.h"

namespace torvel {

class CDiskInfoPage final : public TabPage {
  Q_OBJECT

 public:
  CDiskInfoPage(PageContext& context, QWidget* parent);
  void Fill() override;
  void ReloadTexts() override;
  std::string HelpTopic() const override;
};

}  // namespace torvel
