// The S.M.A.R.T. information page: the selected drive's attributes with
// their T.E.C. dates and status, and the commands on them.
#pragma once

#include "ui/tab_page.h"

namespace torvel {

class CSmartInfoPage final : public TabPage {
  Q_OBJECT

 public:
  CSmartInfoPage(PageContext& context, QWidget* parent);
  void Fill() override;
  void ReloadTexts() override;
  std::string HelpTopic() const override;
};

}  // namespace torvel
