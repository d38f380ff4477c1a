#include "ui/smart_info_page.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "monitor/alert_texts.h"
#include "platform/ui_services.h"
#include "ui/controls/button_st.h"
#include "ui/controls/colour_label.h"
#include "ui/controls/hot_list_ctrl.h"
#include "ui/logic/smart_info_logic.h"
#include "ui/qt_text.h"
#include "ui/report_save.h"

namespace torvel {
namespace {

constexpr int kSmartTitleKey = 1;
constexpr int kNearestKey = 14;
constexpr int kTemperatureHintKey = 34;
constexpr int kPropertiesKey = 42;
constexpr int kReportKey = 43;
constexpr int kViewKey = 44;
constexpr Rgb kStatusGround{127, 127, 127};

QAction* AddCommand(QMenu* menu, const char* text, int id) {
  QAction* action = menu->addAction(QString::fromLatin1(text));
  action->setData(id);
  return action;
}

}  // namespace

CSmartInfoPage::CSmartInfoPage(PageContext& context, QWidget* parent)
    : TabPage(context, "SMARTInfoTab", parent),
      showNearest_(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier),
      title_(new QLabel(this)),
      list_(new CHotListCtrl(context.env.controlsVersion, this)),
      status_(new CColourLabel(this)),
      nearest_(new QLabel(this)),
      properties_(new CButtonST(this)),
      report_(new CButtonST(this)),
      view_(new CButtonST(this)),
      reportMenu_(new QMenu(this)),
      viewMenu_(new QMenu(this)) {
  LoadTexts();
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);

  status_->SetBkColor(ToQColor(kStatusGround));
  status_->SetTextColor(ToQColor(kRgbWhite));
  status_->setIndent(4);
  nearest_->setVisible(showNearest_);

  AddCommand(reportMenu_, "Save &text report...", kSaveTextReport);
  AddCommand(viewMenu_, "&Quick view", kQuickView);
  AddCommand(viewMenu_, "View SMART &Raw data", kRawView);
  for (QMenu* menu : {reportMenu_, viewMenu_})
    connect(menu, &QMenu::triggered, this, [this](QAction* a) { OnCommand(a->data().toInt()); });
  for (auto [button, id] : {std::pair{properties_, kPropertiesButton}, std::pair{report_, kReportButton},
                            std::pair{view_, kViewButton}}) {
    button->SetDrawBorder(true, true);
    connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
  }

  list_->SetColumnWidthRule([this](int width) { return AttributeColumnWidths(width, LogicalDpi(this)); });
  connect(list_, &CHotListCtrl::rowButtonMessage, this, &CSmartInfoPage::OnRowButton);
  connect(list_, &CHotListCtrl::settingsRequested, this, [this](int row) {
    list_->SelectRow(row);
    OnCommand(kEditAttribute);
  });
  SetTexts();
  Fill();
}

CButtonST* CSmartInfoPage::button(int id) const {
  switch (id) {
    case kPropertiesButton: return properties_;
    case kReportButton: return report_;
    case kViewButton: return view_;
    default: return nullptr;
  }
}

void CSmartInfoPage::SetTexts() {
  title_->setText(Text(kSmartTitleKey));
  // The page's title says what the list holds.
  list_->setAccessibleName(Text(kSmartTitleKey));
  properties_->setText(Text(kPropertiesKey));
  report_->setText(Text(kReportKey));
  view_->setText(Text(kViewKey));
  QStringList titles;
  QStringList tips;
  for (int c = 0; c < kAttributeColumns; ++c) {
    if (c == 6) {
      titles << QStringLiteral("Last saved");
      tips << QString();
      continue;
    }
    const int k = c < 6 ? c : c - 1;  // the hidden column has no text of its own
    titles << Text(5 + k);
    tips << Text(16 + k);
  }
  list_->SetHeaders(titles, tips);
  list_->copyAction()->setText(Text(46));
  list_->settingsAction()->setText(Text(47));
}

void CSmartInfoPage::Fill() {
  list_->DeleteAllRows();
  const int drive = SelectedDrive();
  const DriveTables& tables = context_.env.tables;
  const DriveRecord& record = tables.records[static_cast<std::size_t>(drive)];
  title_->setText(Text(kSmartTitleKey));
  list_->show();
  if (record.smartSupported == 0) {
    list_->hide();
    // Nothing of another drive may stay on show.
    status_->clear();
    nearest_->clear();
    return;
  }
  AttributePage page = BuildAttributePage(tables, drive, context_.env.store, context_.env.now());
  list_->SetRows(std::move(page.rows));
  status_->setText(ToQt(ComposeDriveStatus(context_.env.messages, record, 0)));
  nearest_->setText(ToQt(NearestTecText(texts_.Text(kNearestKey), page.nearestTec)));
  LayOut();
  list_->viewport()->update();
  list_->SelectRow(list_->RowAt(0));
}

void CSmartInfoPage::ReloadTexts() {
  LoadTexts();
  SetTexts();
  LayOut();
}

std::string CSmartInfoPage::HelpTopic() const { return kSmartInfoHelpTopic; }

bool CSmartInfoPage::OnCommand(int id) {
  switch (id) {
    case kEditAttribute:
    case kPropertiesButton:
    case kReportButton:
    case kViewButton:
    case kSaveTextReport:
    case kQuickView:
    case kRawView:
      break;
    default:
      return false;
  }
  Q_EMIT commandSent(id);
  switch (id) {
    case kEditAttribute:
      if (const int row = list_->selectedRow(); row >= 0) EditRow(row);
      break;
    case kPropertiesButton: context_.dialogs.OpenDriveProperties(this); break;
    case kReportButton: PopUp(reportMenu_, report_); break;
    case kViewButton: PopUp(viewMenu_, view_); break;
    case kSaveTextReport: SaveReport(this, context_.env, texts_); break;
    case kQuickView: context_.dialogs.OpenQuickView(this); break;
    case kRawView: context_.dialogs.OpenRawView(this); break;
    default: break;
  }
  return true;
}

void CSmartInfoPage::OnRowButton(int wParam) {
  Q_EMIT rowButtonMessage(wParam);
  const int row = wParam - CHotListCtrl::kFirstButtonId;
  if (row < 0 || row >= list_->rowCount()) return;
  list_->SelectRow(row);
  const int id = list_->hotModel()->rows()[static_cast<std::size_t>(row)].state.id;
  if (id == kTemperatureAttribute) {
    context_.env.ui.MessageBox(texts_.Text(kTemperatureHintKey), "Torvel",
                               kMbOk | kMbIconInformation);
    return;
  }
  EditRow(row);
}

int CSmartInfoPage::SlotOfRow(int row) const {
  const AttributeRow& r = list_->hotModel()->rows()[static_cast<std::size_t>(row)];
  // Rows act on their own attribute even if the table moved since the fill.
  const int slot = SlotOfAttribute(context_.env.tables, SelectedDrive(), r.state.id);
  return slot >= 0 ? slot : r.slot;
}

void CSmartInfoPage::EditRow(int row) {
  if (row < 0 || row >= list_->rowCount()) return;
  context_.dialogs.OpenAttributeSettings(this, SlotOfRow(row));
  RebuildSummaries();
}

void CSmartInfoPage::RebuildSummaries() {
  const int drive = SelectedDrive();
  std::vector<AttributeRow> rows = list_->hotModel()->rows();
  for (AttributeRow& r : rows) {
    const int slot = SlotOfAttribute(context_.env.tables, drive, r.state.id);
    if (slot < 0) continue;
    r.state = ReadRowState(context_.env.tables, drive, slot, context_.env.store);
    r.summary = RowSummary(context_.env.tables, drive, r.state.id, context_.env.store);
  }
  list_->UpdateRows(rows);
}

void CSmartInfoPage::PopUp(QMenu* menu, CButtonST* under) {
  menu->popup(under->mapToGlobal(under->rect().bottomLeft()));
}

void CSmartInfoPage::resizeEvent(QResizeEvent* event) {
  TabPage::resizeEvent(event);
  LayOut();
}

void CSmartInfoPage::showEvent(QShowEvent* event) {
  TabPage::showEvent(event);
  list_->SetHeaderTooltipsShown(
      settings::ShowToolTips(context_.env.store) != 0);
}

void CSmartInfoPage::LayOut() {
  const int dpi = LogicalDpi(this);
  const DialogUnits du(dpi);
  const int side = du.X(4);
  const int w = width() - 2 * side;
  const QRect titleAt = du.Rect(6, 4, 200, 9);
  title_->setGeometry(titleAt.left(), titleAt.top(), width() - 2 * titleAt.left(), titleAt.height());

  // Bottom up: the buttons, the status line, then the list takes the rest.
  const int buttonHeight = du.Y(14);
  const int buttonWidth = du.X(62);
  const int buttonTop = height() - du.Y(4) - buttonHeight;
  int x = width() - side - buttonWidth;
  for (CButtonST* b : {view_, report_, properties_}) {
    b->setGeometry(x, buttonTop, buttonWidth, buttonHeight);
    x -= buttonWidth + du.X(4);
  }
  nearest_->setGeometry(side, buttonTop, std::max(0, x + buttonWidth - side), buttonHeight);
  const int statusHeight = du.Y(11);
  const int statusTop = buttonTop - du.Y(4) - statusHeight;
  status_->setGeometry(side, statusTop, w, statusHeight);
  const int listTop = titleAt.bottom() + du.Y(4);
  list_->setGeometry(side, listTop, w, std::max(0, statusTop - du.Y(3) - listTop));
}

}  // namespace torvel
