#include "ui/main_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStyledItemDelegate>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "base/debug_trace.h"
#include "platform/ui_services.h"
#include "platform/window_messages.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/controls/etched_label.h"
#include "ui/logic/main_window_logic.h"
#include "ui/custom_thresholds_dlg.h"
#include "ui/drive_properties_dlg.h"
#include "ui/mail_settings_dlg.h"
#include "ui/qt_text.h"
#include "ui/text_fit.h"
#include "ui/quick_view_dlg.h"
#include "ui/raw_view_dlg.h"

namespace torvel {
namespace {

constexpr int kIdCancel = 2;
// Model, location, capacity, temperature, status. The drive's number rides
// on column 0 (kDriveNumberRole): a hidden column would still be read out
// by screen readers.
constexpr int kDriveListColumns = 5;
constexpr int kStatusColumn = 4;
constexpr int kCheckedRole = Qt::UserRole + 1;
// The template's size in dialog units: the controls reach 323 by 212.
constexpr int kTemplateWidth = 327;
constexpr int kTemplateHeight = 214;

int DriveOfItem(const QTreeWidgetItem* item) {
  return item == nullptr ? -1 : item->data(0, kDriveNumberRole).toInt();
}

// Greys the rows of drives that are not watched and draws the status cell
// from the live drive record at every paint.
class DriveListDelegate final : public QStyledItemDelegate {
 public:
  DriveListDelegate(MainWindowEnv& env, QObject* parent) : QStyledItemDelegate(parent), env_(env) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const int drive = index.siblingAtColumn(0).data(kDriveNumberRole).toInt();
    if (drive < 0 || drive >= kMaxDrives) return QStyledItemDelegate::paint(painter, option, index);
    const DriveRecord& record = env_.tables.records[static_cast<std::size_t>(drive)];
    const bool monitored = settings::drive::EnableMonitor(env_.store, record.Section()) != 0;
    QStyleOptionViewItem look = option;
    const PaletteColours colours = ColoursOf(option.palette);
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const Rgb ground = RowGround(nullptr, selected, colours);
    if (DriveRowGreyed(record, monitored)) {
      const QColor grey = ToQColor(TextOnGround(kRgbGreyText, ground, colours));
      look.palette.setColor(QPalette::Text, grey);
      look.palette.setColor(QPalette::HighlightedText, grey);
    }
    QStyledItemDelegate::paint(painter, look, index);
    if (index.column() != kStatusColumn) return;
    const StatusCellLook cell = DriveStatusCell(record, monitored, selected);
    painter->save();
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(13);
    font.setBold(true);
    painter->setFont(font);
    painter->setPen(ToQColor(TextOnGround(cell.colour, ground, colours)));
    painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, ToQt(cell.text));
    painter->restore();
  }

 private:
  MainWindowEnv& env_;
};

}  // namespace

// The settings dialogs and views, modal over the page that asks.
class CMainWindow::Dialogs final : public PageDialogs {
 public:
  explicit Dialogs(MainWindowEnv& env) : env_(env) {}
  void OpenDriveProperties(QWidget* owner) override { CDrivePropertiesDlg(env_, owner).exec(); }
  void OpenAttributeSettings(QWidget* owner, int slot) override {
    CCustomThresholdsDlg(env_, slot, owner).exec();
  }
  void OpenQuickView(QWidget* owner) override { CQuickViewDlg(env_, owner).exec(); }
  void OpenRawView(QWidget* owner) override { CRawViewDlg(env_, owner).exec(); }
  void OpenMailSettings(QWidget* owner) override { CMailSettingsDlg(env_, owner).exec(); }

 private:
  MainWindowEnv& env_;
};

CMainWindow::CMainWindow(MainWindowEnv& env, PageDialogs* dialogs, QWidget* parent)
    : QDialog(parent),
      env_(env),
      ownDialogs_(dialogs == nullptr ? std::make_unique<Dialogs>(env) : nullptr),
      dialogs_(dialogs != nullptr ? *dialogs : *ownDialogs_) {
  env_.close = [this] { HideRequested(); };
  // A window of its own, not a box: it can be minimised like any other.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setWindowIcon(ArtIcon(128));
  setSizeGripEnabled(false);
  dpi_ = LogicalDpi(this);
  const DialogUnits du(dpi_);

  hideButton_ = new CButtonST(this);
  exitButton_ = new CButtonST(this);
  checkButton_ = new CButtonST(this);
  helpButton_ = new CButtonST(this);
  driveList_ = new QTreeWidget(this);
  tabHost_ = new CTabHost(env_, dialogs_, *this, this);
  statusLine_ = new CEtchedLabel(this);
  grip_ = new QSizeGrip(this);

  hideButton_->setGeometry(du.Rect(307, 1, 14, 12));
  exitButton_->setGeometry(du.Rect(307, 14, 14, 12));
  checkButton_->setGeometry(du.Rect(307, 27, 14, 12));
  helpButton_->setGeometry(du.Rect(307, 40, 14, 12));
  driveList_->setGeometry(du.Rect(4, 2, 300, 49));
  tabHost_->setGeometry(du.Rect(4, 52, 316, 148));
  designedListHeight_ = driveList_->height();
  listToTabs_ = tabHost_->y() - driveList_->geometry().bottom() - 1;
  statusLine_->setGeometry(du.Rect(4, 202, 304, 8));
  grip_->setGeometry(du.Rect(309, 202, 14, 10));
  resize(du.X(kTemplateWidth), du.Y(kTemplateHeight));

  connect(hideButton_, &QPushButton::clicked, this, [this] { accept(); });
  connect(exitButton_, &QPushButton::clicked, this, [this] { OnExitButton(); });
  connect(checkButton_, &QPushButton::clicked, this, [this] { OnCheckNowButton(); });
  connect(helpButton_, &QPushButton::clicked, this, [this] { OnHelpButton(); });

  Initialise();
  // Enter hides the window, as its OK; no other button takes it, so Enter in
  // a field or a list never opens a dialog.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
  hideButton_->setDefault(true);
}

CMainWindow::~CMainWindow() {
  env_.close = nullptr;
  if (env_.windows != nullptr && handle_ != kNoWindow) env_.windows->DestroyWindow(handle_);
}

void CMainWindow::Initialise() {
  LoadSectionTexts("MainDialog", texts_, env_.store, env_.trace);

  const int stored = settings::SelectedDrive(env_.store);
  settings::SetSelectedDrive(env_.store, FirstDriveInUse(env_.tables, stored));

  hideButton_->SetIcon(166);
  exitButton_->SetIcon(168);
  checkButton_->SetIcon(299);
  helpButton_->SetIcon(170);

  QTabBar* tabs = tabHost_->tabBar();
  for (int i = 0; i < kPageCount; ++i)
    tabs->setTabIcon(i, ArtIcon(kTabImageIcons[static_cast<std::size_t>(kPageTabs[static_cast<std::size_t>(i)].image)]));
  tabHost_->PlacePages();
  tabHost_->SwitchTo(startTab_);

  driveList_->setColumnCount(kDriveListColumns);
  driveList_->setRootIsDecorated(false);
  driveList_->setUniformRowHeights(true);
  driveList_->setSelectionMode(QAbstractItemView::SingleSelection);
  driveList_->setAllColumnsShowFocus(true);
  driveList_->header()->setSectionsClickable(false);
  driveList_->header()->setSectionsMovable(false);
  driveList_->header()->setStretchLastSection(false);
  driveList_->setTextElideMode(Qt::ElideMiddle);
  driveList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  driveList_->setItemDelegate(new DriveListDelegate(env_, driveList_));
  // The selection stays visible when the list loses the focus.
  QPalette palette = driveList_->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  driveList_->setPalette(palette);
  driveList_->viewport()->installEventFilter(this);
  connect(driveList_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { SelectRowDrive(item); });
  connect(driveList_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!filling_ && item != nullptr) SelectRowDrive(item);
  });
  connect(driveList_, &QTreeWidget::itemChanged, this, &CMainWindow::OnItemChanged);
  connect(driveList_, &QTreeWidget::itemDoubleClicked, this,
          [this] { dialogs_.OpenQuickView(tabHost_->page(1)); });

  Relabel();
  FillDriveList();
  FitPageTexts();
  driveList_->setFocus();

  setWindowTitle(ToQt(MainWindowTitle()));
  ApplyTooltipSetting();

  if (env_.windows != nullptr) {
    handle_ = env_.windows->CreateWindow(kDialogClass, MainWindowTitle(),
                                         [this](const WindowMessage& m) { return OnMessage(m); });
    const WindowHandle launcher = env_.windows->FindWindow(kLauncherClass, kLauncherTitle);
    if (launcher != kNoWindow)
      env_.windows->SendMessage(launcher, {kMsgAnnounceWindow, handle_, 0, {}});
  }

  ApplySizeLimits();
  const SizeLimits limits = MainWindowLimits(env_.controlsVersion, dpi_);
  const int height = settings::Cy(env_.store, this->height());
  resize(limits.width, std::max(height, limits.minHeight));
}

void CMainWindow::SetStartTab(int index) {
  if (index < 0) return;
  startTab_ = index;
  tabHost_->SwitchTo(index);
}

void CMainWindow::SetTheme(const ThemeWrapper* theme) {
  for (CButtonST* button : {hideButton_, exitButton_, checkButton_, helpButton_}) button->SetTheme(theme);
}

int CMainWindow::Run() { return exec() == QDialog::Accepted ? kIdOk : kIdCancel; }

void CMainWindow::reject() { accept(); }

void CMainWindow::ApplySizeLimits() {
  const SizeLimits limits = MainWindowLimits(env_.controlsVersion, dpi_);
  setMinimumWidth(limits.width);
  setMaximumWidth(limits.width);
  setMinimumHeight(limits.minHeight);
}

void CMainWindow::Relabel() {
  hideButton_->SetTooltipText(ToQt(texts_.Text(11)));
  exitButton_->SetTooltipText(ToQt(texts_.Text(12)));
  checkButton_->SetTooltipText(ToQt(texts_.Text(23)));
  helpButton_->SetTooltipText(ToQt(texts_.Text(13)));
  QTabBar* tabs = tabHost_->tabBar();
  for (int i = 0; i < kPageCount; ++i) {
    const PageTab& tab = kPageTabs[static_cast<std::size_t>(i)];
    tabs->setTabText(i, ToQt(texts_.Text(tab.textKey)));
    tabs->setTabToolTip(i, ToQt(texts_.Text(tab.tooltipKey)));
  }
  driveList_->setHeaderLabels({ToQt(texts_.Text(2)), ToQt(texts_.Text(3)), ToQt(texts_.Text(4)),
                               ToQt(texts_.Text(20)), ToQt(texts_.Text(5))});
  driveList_->setAccessibleName(ToQt(texts_.Text(1)));
  QTreeWidgetItem* header = driveList_->headerItem();
  header->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  header->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
  header->setTextAlignment(4, Qt::AlignCenter);
  tabHost_->PlacePages();
}

void CMainWindow::FillDriveList() {
  filling_ = true;
  const int selected = settings::SelectedDrive(env_.store);
  driveList_->clear();
  QTreeWidgetItem* current = nullptr;
  for (int d = 0; d < kMaxDrives; ++d) {
    const DriveRecord& record = env_.tables.records[static_cast<std::size_t>(d)];
    if (!record.InUse()) continue;
    auto* item = new QTreeWidgetItem(driveList_);
    item->setText(0, ToQt(record.model));
    item->setText(1, ToQt(LocationText(record)));
    item->setToolTip(1, item->text(1));  // a long one shows elided in the middle
    item->setText(2, ToQt(DriveCapacityText(record.capacity)));
    item->setText(3, ToQt(DriveTemperatureText(record.temperature)));
    item->setData(0, kDriveNumberRole, d);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    const bool monitored = settings::drive::EnableMonitor(env_.store, record.Section()) != 0;
    item->setCheckState(0, monitored ? Qt::Checked : Qt::Unchecked);
    item->setData(0, kCheckedRole, monitored);
    if (d == selected) current = item;
  }
  if (current != nullptr) driveList_->setCurrentItem(current);
  UpdateStatusTexts();
  filling_ = false;
  Layout();
  RecomputeStatusLine(false);
}

void CMainWindow::Layout() {
  if (driveList_ == nullptr) return;
  const int bottom = height();
  statusLine_->move(statusLine_->x(), bottom - 7 - statusLine_->height());
  grip_->move(grip_->x(), bottom - 4 - grip_->height());

  const int rowHeight = driveList_->topLevelItemCount() > 0 ? driveList_->sizeHintForRow(0)
                                                             : driveList_->fontMetrics().height() + 2;
  const int chrome = 2 * driveList_->frameWidth() + driveList_->header()->sizeHint().height();
  const int extra = bottom - MainWindowLimits(env_.controlsVersion, dpi_).minHeight;
  const int rows = DriveListRows(driveList_->topLevelItemCount(), (designedListHeight_ - chrome) / std::max(1, rowHeight),
                                 extra, rowHeight);
  driveList_->resize(driveList_->width(), chrome + rows * std::max(1, rowHeight));
  tabHost_->move(tabHost_->x(), driveList_->geometry().bottom() + 1 + listToTabs_);
  tabHost_->resize(tabHost_->width(), TabControlHeight(bottom, tabHost_->y(), dpi_));

  const int margin = ColumnMargin(env_.controlsVersion, dpi_);
  std::array<int, 5> content{};
  for (int c = 1; c < static_cast<int>(content.size()); ++c)
    content[static_cast<std::size_t>(c)] =
        std::max(static_cast<const QAbstractItemView*>(driveList_)->sizeHintForColumn(c),
                 driveList_->header()->sectionSizeHint(c));
  // The columns fill the list beside its scroll bar, if the drives need one,
  // and never call for a horizontal one.
  const bool scrolls = driveList_->topLevelItemCount() > rows;
  const int client = driveList_->width() - 2 * driveList_->frameWidth() -
                     (scrolls ? driveList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, driveList_) : 0);
  const auto widths = DriveListColumnWidths(client, margin, content);
  for (int c = 0; c < kDriveListColumns; ++c) driveList_->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
  if (isVisible()) settings::SetCy(env_.store, height());
}

void CMainWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Layout();
}

void CMainWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The buttons and the list keep their place at the right edge of a window
  // that may be wider at 120 pixels per inch.
  Layout();
}

void CMainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    env_.ui.OpenHelpTopic(kMainWindowHelpTopic);
    return;
  }
  QDialog::keyPressEvent(event);
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == driveList_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // A click below the rows stands for row 0.
    if (driveList_->itemAt(mouse->position().toPoint()) == nullptr && driveList_->topLevelItemCount() > 0)
      SelectRowDrive(driveList_->topLevelItem(0));
  }
  return QDialog::eventFilter(watched, event);
}

void CMainWindow::UpdateStatusTexts() {
  // The delegate draws the status from the live record; screen readers and
  // the accessible table get the same words from the item.
  const bool wasFilling = filling_;
  filling_ = true;
  for (int i = 0; i < driveList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = driveList_->topLevelItem(i);
    const int drive = DriveOfItem(item);
    if (drive < 0 || drive >= kMaxDrives) continue;
    const DriveRecord& record = env_.tables.records[static_cast<std::size_t>(drive)];
    const bool monitored = settings::drive::EnableMonitor(env_.store, record.Section()) != 0;
    item->setData(kStatusColumn, Qt::AccessibleTextRole,
                  ToQt(DriveStatusCell(record, monitored, false).text));
  }
  filling_ = wasFilling;
}

void CMainWindow::SelectRowDrive(QTreeWidgetItem* item) {
  const int drive = DriveOfItem(item);
  if (drive < 0) return;
  settings::SetSelectedDrive(env_.store, drive);
  tabHost_->RefreshPages();
}

void CMainWindow::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (filling_ || column != 0) return;
  const bool checked = item->checkState(0) == Qt::Checked;
  if (item->data(0, kCheckedRole).toBool() == checked) return;
  item->setData(0, kCheckedRole, checked);
  const int drive = DriveOfItem(item);
  if (drive < 0 || drive >= kMaxDrives) return;
  settings::drive::SetEnableMonitor(
      env_.store, env_.tables.records[static_cast<std::size_t>(drive)].Section(), checked ? 1 : 0);
  UpdateStatusTexts();
  driveList_->viewport()->update();
  tabHost_->RefreshPages();
}

void CMainWindow::OnCheckNowButton() {
  if (env_.ui.MessageBox(texts_.Text(24), "Torvel", kMbYesNo | kMbIconWarning) == kIdYes)
    // A check the user asked for is a check like any other: it is the last one.
    Send(kMsgCheckNow, 0, 1);
}

void CMainWindow::OnExitButton() {
  if (env_.ui.MessageBox(texts_.Text(19), "Torvel", kMbYesNo | kMbIconWarning) == kIdYes)
    done(QDialog::Rejected);
}

void CMainWindow::OnHelpButton() { env_.ui.OpenHelpTopic(PageHelpTopic(tabHost_->current())); }

void CMainWindow::Send(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam) {
  if (env_.windows != nullptr && handle_ != kNoWindow)
    env_.windows->SendMessage(handle_, {message, wParam, lParam, {}});
  else
    OnMessage({message, wParam, lParam, {}});
}

std::int64_t CMainWindow::OnMessage(const WindowMessage& message) {
  switch (message.message) {
    case kMsgMainWindowOk:
      HideRequested();
      break;
    case kMsgCheckNow:
      CheckNow(message.lParam != 0);
      break;
    case kMsgReloadTexts:
      LanguageChanged();
      break;
    case kMsgScheduleChanged:
      RecomputeStatusLine(message.wParam == 1);
      break;
    default:
      break;
  }
  return 0;
}

void CMainWindow::CheckNow(bool recordLastCheck) {
  const int selected = settings::SelectedDrive(env_.store);
  if (env_.refreshDrives) env_.refreshDrives();
  if (env_.owner != nullptr) {
    env_.owner->SaveAttributeBaseline();
    env_.owner->CheckAllDrives(1, recordLastCheck ? 1 : 0);
  }
  // The check selects its alert drive; the line is the user's drive's.
  settings::SetSelectedDrive(env_.store, selected);
  if (env_.owner != nullptr && recordLastCheck) RecomputeStatusLine(false);
  UpdateStatusTexts();
  driveList_->viewport()->update();
  tabHost_->RefreshPages();
}

void CMainWindow::RecomputeStatusLine(bool scheduleChanged) {
  const std::int64_t now = env_.now ? env_.now() : 0;
  statusLine_->setText(ToQt(StatusLineText(env_.tables, env_.store, texts_, now, scheduleChanged)));
}

void CMainWindow::HideRequested() { accept(); }

void CMainWindow::FitPageTexts() {
  // Each page on its own: the pages not shown are hidden from the window.
  for (int i = 0; i < kPageCount; ++i)
    if (QWidget* page = tabHost_->page(i)) FitTexts(*page, FitRoom::kInPlace);
  FitTexts(*this, FitRoom::kInPlace);
}

void CMainWindow::LanguageChanged() {
  if (env_.owner != nullptr) env_.owner->LanguageChanged();
  LoadSectionTexts("MainDialog", texts_, env_.store, env_.trace);
  Relabel();
  FitPageTexts();
  tabHost_->SwitchTo(2);
  RecomputeStatusLine(false);
}

void CMainWindow::ApplyTooltipSetting() {
  const bool on = settings::ShowToolTips(env_.store) != 0;
  for (CButtonST* button : {hideButton_, exitButton_, checkButton_, helpButton_}) button->ActivateTooltip(on);
  QTabBar* tabs = tabHost_->tabBar();
  for (int i = 0; i < kPageCount; ++i)
    tabs->setTabToolTip(i, on ? ToQt(texts_.Text(kPageTabs[static_cast<std::size_t>(i)].tooltipKey)) : QString());
}

}  // namespace torvel
