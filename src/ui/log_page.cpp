#include "ui/log_page.h"

namespace torvel {

CLogPage::CLogPage(PageContext& context, QWidget* parent) : TabPage(context, "LogTab", parent) {
  LoadTexts();
}

void CLogPage::ReloadTexts() { LoadTexts(); }

std::string CLogPage::HelpTopic() const { return "Torvel Help.chm::\\html\\Log tab.htm"; }

}  // namespace torvel
