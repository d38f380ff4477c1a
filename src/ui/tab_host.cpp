#include "ui/tab_host.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <QStyleOptionTabWidgetFrame>

#include "ui/about_page.h"
#include "ui/disk_info_page.h"
#include "ui/log_page.h"
#include "ui/preferences_page.h"
#include "ui/qt_text.h"
#include "ui/smart_info_page.h"

namespace torvel {

CTabHost::CTabHost(MainWindowEnv& env, PageDialogs& dialogs, Window& window, QWidget* parent)
    : QWidget(parent), env_(env), window_(window), context_{env, *this, dialogs},
      tabs_(new QTabBar(this)) {
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(false);
  pages_[0] = new CDiskInfoPage(context_, this);
  pages_[1] = new CSmartInfoPage(context_, this);
  pages_[2] = new CPreferencesPage(context_, this);
  pages_[3] = new CLogPage(context_, this);
  pages_[4] = new CAboutPage(context_, this);
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    tabs_->addTab(QString());
    pages_[i]->setVisible(i == 0);
  }
  // The keyboard switches pages as the mouse does.
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (index != current_) SwitchTo(index);
  });
}

CTabHost::~CTabHost() = default;

TabPage* CTabHost::page(int index) const {
  return index >= 0 && index < kPageCount ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

void CTabHost::SwitchTo(int index) {
  TabPage* next = page(index);
  if (next == nullptr) return;
  if (index != current_) pages_[static_cast<std::size_t>(current_)]->hide();
  current_ = index;
  tabs_->setCurrentIndex(index);
  next->show();
  next->setFocus();
}

void CTabHost::RefreshPages() {
  pages_[0]->Fill();
  pages_[1]->Fill();
  pages_[3]->Fill();
  window_.ApplyTooltipSetting();
}

void CTabHost::ReloadPageTexts() {
  for (TabPage* p : pages_) p->ReloadTexts();
}

void CTabHost::PlacePages() {
  tabs_->adjustSize();
  // Tabs start two pixels in, so the first tab's left edge is the pages'.
  tabs_->move(2, 0);
  const QRect item = tabs_->tabRect(0).translated(tabs_->pos());
  const Rect placed = PagePlacement({0, 0, width(), height()},
                                    {item.left(), item.top(), item.right() + 1, item.bottom() + 1});
  for (TabPage* p : pages_) p->setGeometry(placed.left, placed.top, placed.Width(), placed.Height());
  update();
}

void CTabHost::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (event->oldSize().isEmpty() || pages_[0]->width() == 0) {
    PlacePages();
    return;
  }
  // Pages keep their width and follow the height, never past the pane.
  for (TabPage* p : pages_) {
    const int fit = height() - p->y() - 1;
    p->resize(p->width(), std::min(ResizedPageHeight(height(), LogicalDpi(this)), fit));
  }
}

void CTabHost::paintEvent(QPaintEvent*) {
  // The pane the pages sit on, below the tabs.
  QPainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = QRect(0, tabs_->height() - 1, width(), height() - tabs_->height() + 1);
  frame.tabBarSize = tabs_->size();
  frame.shape = QTabBar::RoundedNorth;
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void CTabHost::PageCancelled() { window_.HideRequested(); }

void CTabHost::PageLanguageChanged() {
  window_.LanguageChanged();
  ReloadPageTexts();
}

}  // namespace torvel
