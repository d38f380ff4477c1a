#include "ui/controls/hot_list_ctrl.h"

#include <QAction>
#include <QBitmap>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "ui/controls/artwork.h"
#include "ui/controls/attribute_sort.h"
#include "ui/controls/button_st.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

constexpr int kInfoBitmapHover = 301;
constexpr int kInfoBitmapRest = 302;
constexpr int kInfoWidth = 9;
constexpr int kInfoHeight = 11;
constexpr int kStatusColumn = 7;
constexpr int kNameColumn = 1;

// Attribute names and the T.E.C. month left; every number centred.
Qt::Alignment ColumnAlignment(int column) {
  return column == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignHCenter | Qt::AlignVCenter;
}

AttributeRowState StateOf(const QModelIndex& index) {
  AttributeRowState s;
  s.id = index.data(kAttributeIdRole).toInt();
  s.threshold = index.data(kThresholdRole).toInt();
  s.value = index.data(kValueRole).toInt();
  s.lastSaved = index.data(kLastSavedRole).toInt();
  s.monitored = index.data(kMonitoredRole).toBool();
  s.customThresholds = index.data(kCustomThresholdsRole).toBool();
  return s;
}

QString SummaryTooltip(const std::string& summary) {
  return ToQt(summary).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

// ---- model ----

void HotListModel::SetRows(std::vector<AttributeRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void HotListModel::UpdateRows(const std::vector<AttributeRow>& rows) {
  for (std::size_t i = 0; i < rows_.size() && i < rows.size(); ++i)
    if (rows_[i].state.id == rows[i].state.id) rows_[i] = rows[i];
  if (!rows_.empty())
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kAttributeColumns - 1));
}

void HotListModel::SetHeaders(const QStringList& titles, const QStringList& tooltips) {
  titles_ = titles;
  tooltips_ = tooltips;
  Q_EMIT headerDataChanged(Qt::Horizontal, 0, kAttributeColumns - 1);
}

int HotListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HotListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kAttributeColumns;
}

QVariant HotListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const AttributeRow& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() < kAttributeColumns - 1)
        return ToQt(row.texts[static_cast<std::size_t>(index.column())]);
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ColumnAlignment(index.column()));
    case Qt::AccessibleTextRole: return ToQt(AttributeCellText(row, index.column()));
    case kSortKeyRole: return QVariant::fromValue(AttributeSortKey(row, index.column()));
    case kSourceColumnRole: return index.column();
    case kAttributeIdRole: return row.state.id;
    case kThresholdRole: return row.state.threshold;
    case kValueRole: return row.state.value;
    case kLastSavedRole: return row.state.lastSaved;
    case kMonitoredRole: return row.state.monitored;
    case kCustomThresholdsRole: return row.state.customThresholds;
    default: return {};
  }
}

QVariant HotListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0) return {};
  if (role == Qt::DisplayRole && section < titles_.size()) return titles_[section];
  if (role == Qt::ToolTipRole && tooltipsShown_ && section < tooltips_.size() &&
      !tooltips_[section].isEmpty())
    // A table keeps the tip 200 pixels wide and lets the long ones wrap.
    return QStringLiteral("<table width=\"200\"><tr><td>%1</td></tr></table>")
        .arg(tooltips_[section].toHtmlEscaped());
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(section));
  return {};
}

// ---- delegate ----

void HotListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  const AttributeRowState row = StateOf(index);
  const int column = index.data(kSourceColumnRole).toInt();
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& pal = option.palette;

  painter->save();
  const PaletteColours colours = ColoursOf(pal);
  const auto designedGround = RowBackground(row, index.row(), controlsVersion_);
  const Rgb ground = RowGround(designedGround ? &*designedGround : nullptr, selected, colours);
  painter->fillRect(option.rect, ToQColor(ground));
  painter->setFont(option.font);

  if (column == kStatusColumn) {
    PaintStatus(painter, option, row, selected, ground);
    painter->restore();
    return;
  }

  QRect area = option.rect;
  int width = area.width();
  if (column == 1) {
    // The info button covers this picture; it shows where no button is.
    const QPixmap info = ArtBitmap(kInfoBitmapRest, {}, painter->device()->devicePixelRatioF());
    if (!info.isNull())
      painter->drawPixmap(QRect(area.left() + 2, area.top() + 1, kInfoWidth, kInfoHeight), info);
    area.setLeft(area.left() + 8);
    width -= 8;
  }
  const int margin = column == 0 ? kFirstColumnMargin : kOtherColumnMargin;
  const int inset = column == 0 ? 2 : 6;
  const QFontMetrics metrics(option.font);
  const std::string text = FromQt(index.data(Qt::DisplayRole).toString());
  const std::string shown = ShortenText(text, width, margin, [&](std::string_view part) {
    return metrics.horizontalAdvance(ToQt(std::string(part)));
  });
  Qt::Alignment align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
  if (shown != text) align = Qt::AlignLeft | Qt::AlignVCenter;
  const auto colour = CellTextColour(row, column, selected);
  painter->setPen(colour ? ToQColor(TextOnGround(*colour, ground, colours))
                         : pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(area.adjusted(inset, 0, -inset, 0),
                    static_cast<int>(align | Qt::TextSingleLine | Qt::TextDontClip),
                    ToQt(shown));
  painter->restore();
}

void HotListDelegate::PaintStatus(QPainter* painter, const QStyleOptionViewItem& option,
                                  const AttributeRowState& row, bool selected, Rgb ground) const {
  const AttributeStatusLook look = AttributeStatusCell(row, selected);
  const QRect cell = option.rect;
  painter->setPen(ToQColor(TextOnGround(look.colour, ground, ColoursOf(option.palette))));
  if (!look.showsChange) {
    QFont health(QStringLiteral("Verdana"));
    health.setPixelSize(13);
    health.setWeight(QFont::Bold);
    painter->setFont(health);
    painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, ToQt(look.text));
    return;
  }
  QFont bold = option.font;
  bold.setBold(true);
  painter->setFont(bold);
  const QString number = ToQt(look.text);
  const int numberWidth = QFontMetrics(bold).horizontalAdvance(number);
  const StatusCellLayout at =
      LayOutStatusCell(cell.left(), cell.top(), cell.width(), cell.height(), numberWidth);
  // The arrow in the number's colour, which reads on this row.
  const QPixmap arrow = Tinted(ArtBitmap(kArrowBitmaps[static_cast<int>(look.arrow)], kMagentaTransparent,
                                         painter->device()->devicePixelRatioF()),
                               painter->pen().color());
  if (!arrow.isNull())
    painter->drawPixmap(QRect(at.arrowLeft, at.arrowTop, kArrowWidth, kArrowHeight), arrow);
  painter->drawText(QRect(QPoint(at.numberLeft, at.numberTop), cell.bottomRight()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, number);
}

QSize HotListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  // Room for the 16-pixel arrows and the bold health text.
  return QSize(0, std::max(QFontMetrics(option.font).height() + 4, kArrowHeight + 1));
}

// ---- view ----

CHotListCtrl::CHotListCtrl(std::uint32_t controlsVersion, QWidget* parent)
    : QTreeView(parent),
      model_(new HotListModel(this)),
      proxy_(new AttributeSortProxy(this)),
      copy_(new QAction(QStringLiteral("&Copy"), this)),
      settings_(new QAction(QStringLiteral("Notification &settings..."), this)) {
  proxy_->setSourceModel(model_);
  setModel(proxy_);
  setItemDelegate(new HotListDelegate(controlsVersion, this));
  setRootIsDecorated(false);
  setIndentation(0);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setMinimumSectionSize(0);
  header()->setSectionResizeMode(QHeaderView::Fixed);
  header()->setDefaultAlignment(Qt::AlignCenter);
  // Slot order until the user clicks a header; turning sorting on would
  // otherwise sort by column 0 at once.
  header()->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);
  connect(header(), &QHeaderView::sectionResized, this, [this] { PlaceRowButtons(); });
  // After the view's own handler: the buttons follow their rows to where the
  // sort put them.
  connect(proxy_, &QAbstractItemModel::layoutChanged, this, [this] { PlaceRowButtons(); });

  copy_->setShortcut(QKeySequence::Copy);
  copy_->setShortcutContext(Qt::WidgetShortcut);
  connect(copy_, &QAction::triggered, this, [this] { CopyListRows(*this, false); });
  connect(settings_, &QAction::triggered, this, [this] { RequestSettings(); });
  addAction(copy_);
  addAction(settings_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    copy_->setEnabled(selectionModel()->hasSelection());
    settings_->setEnabled(selectedRow() >= 0);
  });
  copy_->setEnabled(false);
  settings_->setEnabled(false);
}

void CHotListCtrl::SetRows(std::vector<AttributeRow> rows) {
  DeleteAllRows();
  model_->SetRows(std::move(rows));
  CreateRowButtons();
  PlaceRowButtons();
}

void CHotListCtrl::UpdateRows(const std::vector<AttributeRow>& rows) {
  model_->UpdateRows(rows);
  for (int r = 0; r < rowCount(); ++r)
    SetRowTooltip(r, SummaryTooltip(model_->rows()[static_cast<std::size_t>(r)].summary));
  PlaceRowButtons();
}

void CHotListCtrl::DeleteAllRows() {
  for (CButtonST* b : buttons_) delete b;
  buttons_.clear();
  model_->SetRows({});
}

void CHotListCtrl::CreateRowButtons() {
  const int count = std::min(rowCount(), kMaxButtons);
  for (int r = 0; r < count; ++r) {
    auto* button = new CButtonST(viewport());
    button->setFocusPolicy(Qt::NoFocus);
    button->SetBitmaps(kInfoBitmapHover, QColor(255, 128, 255), kInfoBitmapRest,
                       QColor(255, 0, 255));
    button->SetDrawBorder(false);
    button->SetTooltipText(SummaryTooltip(model_->rows()[static_cast<std::size_t>(r)].summary));
    button->SetTooltipDisplayTime(4000);
    button->setCursor(Qt::ArrowCursor);
    const int id = kFirstButtonId + r;
    connect(button, &QPushButton::clicked, this, [this, id] { Q_EMIT rowButtonMessage(id); });
    buttons_.push_back(button);
  }
}

void CHotListCtrl::SetRowTooltip(int row, const QString& text) {
  if (CButtonST* b = rowButton(row)) b->SetTooltipText(text);
}

void CHotListCtrl::SetHeaders(const QStringList& titles, const QStringList& tooltips) {
  model_->SetHeaders(titles, tooltips);
}

void CHotListCtrl::SetColumnWidths(const std::array<int, kAttributeColumns>& widths) {
  ApplyColumnWidths(*header(), *proxy_, {widths.begin(), widths.end()}, kNameColumn);
  PlaceRowButtons();
}

void CHotListCtrl::SetColumnWidthRule(WidthRule rule) {
  widthRule_ = std::move(rule);
  ruledWidth_ = -1;
  ApplyWidthRule();
}

void CHotListCtrl::ApplyWidthRule() {
  const int width = viewport()->width();
  if (!widthRule_ || width == ruledWidth_) return;
  ruledWidth_ = width;
  SetColumnWidths(widthRule_(width));
}

CButtonST* CHotListCtrl::rowButton(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= buttons_.size()) return nullptr;
  return buttons_[static_cast<std::size_t>(row)];
}

QModelIndex CHotListCtrl::ViewIndex(int row, int column) const {
  const int v = proxy_->ViewColumn(column);
  if (row < 0 || row >= rowCount() || v < 0) return {};
  return proxy_->mapFromSource(model_->index(row, column));
}

int CHotListCtrl::selectedRow() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !selectionModel()->isRowSelected(current.row(), current.parent()))
    return -1;
  return proxy_->mapToSource(current).row();
}

void CHotListCtrl::SelectRow(int row) {
  const QModelIndex at = ViewIndex(row, 0);
  if (!at.isValid()) return;
  selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                            QItemSelectionModel::Rows);
}

int CHotListCtrl::RowAt(int position) const {
  if (position < 0 || position >= proxy_->rowCount()) return -1;
  return proxy_->mapToSource(proxy_->index(position, 0)).row();
}

QString CHotListCtrl::SelectedRowsText() const { return ListRowsText(*this, false); }

void CHotListCtrl::RequestSettings() {
  if (const int row = selectedRow(); row >= 0) Q_EMIT settingsRequested(row);
}

void CHotListCtrl::PlaceRowButtons() {
  const QRect visible = viewport()->rect();
  for (std::size_t r = 0; r < buttons_.size(); ++r) {
    CButtonST* b = buttons_[r];
    const QModelIndex at = ViewIndex(static_cast<int>(r), kNameColumn);
    const QRect cell = at.isValid() ? visualRect(at) : QRect();
    const bool inView = cell.isValid() && visible.intersects(cell);
    if (inView) b->setGeometry(cell.left() + 2, cell.top() + 1, kInfoWidth, kInfoHeight);
    b->setEnabled(inView);
    b->setVisible(inView);
  }
}

void CHotListCtrl::keyPressEvent(QKeyEvent* event) {
  // Before the view's own Ctrl+C, which copies the current cell alone.
  if (event->matches(QKeySequence::Copy)) {
    copy_->trigger();
    event->accept();
    return;
  }
  // The keyboard's way to what the row button and a double click open.
  // Enter stays with the window: it is the main window's hide button.
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    RequestSettings();
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void CHotListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QTreeView::mouseDoubleClickEvent(event);
  const QModelIndex hit = indexAt(event->position().toPoint());
  const int row = hit.isValid() ? proxy_->mapToSource(hit).row() : std::max(0, RowAt(0));
  Q_EMIT settingsRequested(row);
  event->accept();
}

void CHotListCtrl::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  ApplyWidthRule();
  PlaceRowButtons();
}

void CHotListCtrl::scrollContentsBy(int dx, int dy) {
  QTreeView::scrollContentsBy(dx, dy);
  PlaceRowButtons();
}

void CHotListCtrl::updateGeometries() {
  QTreeView::updateGeometries();
  ApplyWidthRule();
  PlaceRowButtons();
}

}  // namespace torvel
