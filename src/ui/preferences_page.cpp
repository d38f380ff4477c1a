#include "ui/preferences_page.h"

namespace torvel {

CPreferencesPage::CPreferencesPage(PageContext& context, QWidget* parent) : TabPage(context, "PreferencesTab", parent) {
  LoadTexts();
}

void CPreferencesPage::ReloadTexts() { LoadTexts(); }

std::string CPreferencesPage::HelpTopic() const { return "Torvel Help.chm::\\html\\Preferences tab.htm"; }

}  // namespace torvel
