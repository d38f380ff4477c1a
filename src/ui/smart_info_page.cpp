#include "ui/smart_info_page.h"

namespace torvel {

CSmartInfoPage::CSmartInfoPage(PageContext& context, QWidget* parent) : TabPage(context, "SMARTInfoTab", parent) {
  LoadTexts();
}

void CSmartInfoPage::Fill() {}

void CSmartInfoPage::ReloadTexts() { LoadTexts(); }

std::string CSmartInfoPage::HelpTopic() const { return "Torvel Help.chm::\\html\\Smart Info tab.htm"; }

}  // namespace torvel
