#include "ui/disk_info_page.h"

namespace torvel {

CDiskInfoPage::CDiskInfoPage(PageContext& context, QWidget* parent) : TabPage(context, "DiskInfoTab", parent) {
  LoadTexts();
}

void CDiskInfoPage::Fill() {}

void CDiskInfoPage::ReloadTexts() { LoadTexts(); }

std::string CDiskInfoPage::HelpTopic() const { return "Torvel Help.chm::\\html\\General Info tab.htm"; }

}  // namespace torvel
