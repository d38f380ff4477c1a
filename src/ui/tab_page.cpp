#include "ui/tab_page.h"

#include <QKeyEvent>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "platform/ui_services.h"
#include "ui/qt_text.h"

namespace torvel {

TabPage::TabPage(PageContext& context, const char* section, QWidget* parent)
    : QWidget(parent), context_(context), section_(section), texts_(section) {
  setFont(DialogFont());
}

bool TabPage::OnCommand(int) { return false; }

void TabPage::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    context_.env.ui.OpenHelpTopic(HelpTopic());
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    context_.host.PageCancelled();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TabPage::LoadTexts() {
  LoadSectionTexts(section_, texts_, context_.env.store, context_.env.trace);
}

QString TabPage::Text(int key) const { return ToQt(texts_.Text(key)); }

int TabPage::SelectedDrive() const {
  const int d = settings::SelectedDrive(context_.env.store);
  return d >= 0 && d < kMaxDrives ? d : 0;
}

}  // namespace torvel
