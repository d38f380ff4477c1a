#include "ui/about_page.h"

namespace torvel {

CAboutPage::CAboutPage(PageContext& context, QWidget* parent) : TabPage(context, "AboutTab", parent) {
  LoadTexts();
}

void CAboutPage::ReloadTexts() { LoadTexts(); }

std::string CAboutPage::HelpTopic() const { return "Torvel Help.chm::\\html\\About tab.htm"; }

}  // namespace torvel
