#include "ui/raw_view_dlg.h"

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTreeView>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "monitor/alert_texts.h"
#include "platform/main_window_env.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/attribute_sort.h"
#include "ui/controls/button_st.h"
#include "ui/controls/colour_label.h"
#include "ui/text_fit.h"

// The views' pictures live in this static library; naming their initialiser
// keeps the linker from dropping them.
static void InitViewArt() { Q_INIT_RESOURCE(views); }

namespace torvel {
namespace {

constexpr Rgb kStatusGround{127, 127, 127};

// The window's template, in dialog units.
constexpr int kWindowWidth = 308;
constexpr int kMargin = 7;
constexpr int kContentWidth = 294;
constexpr int kDescriptionLeft = 36;
constexpr int kDescriptionTop = 6;
constexpr int kDescriptionHeight = 27;
constexpr int kSeparatorTop = 35;
constexpr int kStatusTop = 39;
constexpr int kStatusHeight = 11;
constexpr int kDiskTop = 53;
constexpr int kDiskLabelWidth = 23;
constexpr int kListTop = 64;
constexpr int kButtonWidth = 50;
constexpr int kRawButtonHeight = 14;
constexpr int kButtonGap = 4;
// Below the list, in pixels.
constexpr int kButtonsBelowList = 10;

Qt::Alignment ColumnAlignment(ViewKind kind, int column) {
  switch (column) {
    case 1: return Qt::AlignLeft | Qt::AlignVCenter;
    case 2:
      return kind == ViewKind::kRaw ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter;
    default: return Qt::AlignCenter;
  }
}

// The row as the drawing sees it, from the model's roles: the view may
// leave the numbers' columns out.
ViewRow RowOf(const QModelIndex& index) {
  ViewRow row;
  row.id = index.data(kViewIdRole).toInt();
  row.threshold = index.data(kViewThresholdRole).toInt();
  row.value = index.data(kViewValueRole).toInt();
  row.lastSaved = index.data(kViewLastSavedRole).toInt();
  return row;
}

}  // namespace

QPixmap GraphPieceBitmap(int piece, qreal devicePixelRatio) {
  static const bool loaded = (InitViewArt(), true);
  (void)loaded;
  return ArtBitmap(kGraphPieceBitmaps[static_cast<std::size_t>(piece)], {}, devicePixelRatio);
}

// ---- model ----

void ViewListModel::SetRows(std::vector<ViewRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void ViewListModel::SetHeaders(const QStringList& titles) {
  titles_ = titles;
  Q_EMIT headerDataChanged(Qt::Horizontal, 0, kViewColumns - 1);
}

int ViewListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ViewListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kViewColumns;
}

QVariant ViewListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ViewRow& row = rows_[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole: return ToQt(row.texts[static_cast<std::size_t>(column)]);
    case Qt::TextAlignmentRole: return QVariant::fromValue(ColumnAlignment(kind_, column));
    case Qt::AccessibleTextRole: return ToQt(ViewCellText(row, kind_, column));
    case kSortKeyRole: return QVariant::fromValue(ViewSortKey(row, kind_, column));
    case kSourceColumnRole: return column;
    case kViewIdRole: return row.id;
    case kViewThresholdRole: return row.threshold;
    case kViewValueRole: return row.value;
    case kViewLastSavedRole: return row.lastSaved;
    default: return {};
  }
}

QVariant ViewListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0) return {};
  if (role == Qt::DisplayRole && section < titles_.size()) return titles_[section];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(kind_, section));
  return {};
}

// ---- delegate ----

ViewListDelegate::ViewListDelegate(ViewKind kind, QObject* parent)
    : QStyledItemDelegate(parent), kind_(kind) {}

int ViewListDelegate::RowHeight(const QFont& font) {
  QFont status(QStringLiteral("Verdana"));
  status.setPixelSize(13);
  status.setWeight(QFont::Bold);
  return std::max({QFontMetrics(font).height() + 4, QFontMetrics(status).height() + 2,
                   kArrowHeight + 1});
}

QSize ViewListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(0, RowHeight(option.font));
}

void ViewListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const ViewRow row = RowOf(index);
  const int column = index.data(kSourceColumnRole).toInt();
  painter->save();
  painter->fillRect(option.rect, option.palette.color(QPalette::Base));
  if (column == kViewStatusColumn) {
    PaintStatus(painter, option, row);
  } else if (column == kViewGraphColumn && kind_ == ViewKind::kQuick) {
    PaintGraph(painter, option.rect, row);
  } else {
    const auto colour = ViewRowColour(row);
    const Rgb ground = FromQColor(option.palette.color(QPalette::Base));
    painter->setPen(colour ? ToQColor(TextOnGround(*colour, ground, ColoursOf(option.palette)))
                           : option.palette.color(QPalette::Text));
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    const int inset = column == 0 ? 2 : 6;
    const QRect area = option.rect.adjusted(inset, 0, -inset, 0);
    const std::string text = FromQt(index.data().toString());
    const std::string shown = ShortenText(
        text, option.rect.width(), column == 0 ? kFirstColumnMargin : kOtherColumnMargin,
        [&](std::string_view part) { return metrics.horizontalAdvance(ToQt(std::string(part))); });
    Qt::Alignment align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    if (shown != text) align = Qt::AlignLeft | Qt::AlignVCenter;
    painter->drawText(area, static_cast<int>(align | Qt::TextSingleLine), ToQt(shown));
  }
  painter->restore();
}

void ViewListDelegate::PaintStatus(QPainter* painter, const QStyleOptionViewItem& option,
                                   const ViewRow& row) const {
  const QRect& cell = option.rect;
  const QFont& font = option.font;
  const AttributeStatusLook look = ViewStatusCell(row);
  painter->setPen(ToQColor(TextOnGround(look.colour, FromQColor(option.palette.color(QPalette::Base)),
                                        ColoursOf(option.palette))));
  if (!look.showsChange) {
    QFont status(QStringLiteral("Verdana"));
    status.setPixelSize(13);
    status.setWeight(QFont::Bold);
    painter->setFont(status);
    painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, ToQt(look.text));
    return;
  }
  QFont bold = font;
  bold.setBold(true);
  painter->setFont(bold);
  const QString number = ToQt(look.text);
  const int numberWidth = QFontMetrics(bold).horizontalAdvance(number);
  const ViewStatusLayout at =
      LayOutViewStatus(cell.left(), cell.top(), cell.width(), cell.height(), numberWidth);
  const QPixmap arrow =
      ArtBitmap(kArrowBitmaps[static_cast<int>(look.arrow)], kMagentaTransparent, painter->device()->devicePixelRatioF());
  if (!arrow.isNull())
    painter->drawPixmap(QRect(at.imageLeft, at.imageTop, kArrowWidth, kArrowHeight), Tinted(arrow, painter->pen().color()));
  painter->drawText(QRect(at.numberLeft, cell.top(), cell.right() - at.numberLeft + 1, cell.height()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, number);
}

void ViewListDelegate::PaintGraph(QPainter* painter, const QRect& cell, const ViewRow& row) const {
  for (const PlacedPiece& p :
       GraphCell(cell.left(), cell.top(), cell.width(), cell.height(), row.value, row.threshold)) {
    const QPixmap piece = GraphPieceBitmap(p.piece, painter->device()->devicePixelRatioF());
    if (!piece.isNull())
      painter->drawPixmap(QRect(p.x, p.y, kGraphPieceWidth, kGraphPieceHeight), piece);
  }
}

// ---- the shared window ----

CAttributeViewDlg::CAttributeViewDlg(MainWindowEnv& env, QWidget* parent, ViewKind kind,
                                     const ViewTextKeys& keys)
    : QDialog(parent),
      env_(env),
      kind_(kind),
      keys_(keys),
      texts_(keys.section),
      icon_(new QLabel(this)),
      description_(new QLabel(this)),
      separator_(new QLabel(this)),
      status_(new CColourLabel(this)),
      diskLabel_(new QLabel(this)),
      diskLine_(new QLabel(this)),
      list_(new QTreeView(this)),
      model_(new ViewListModel(kind, this)),
      proxy_(new AttributeSortProxy(this)),
      copy_(new QAction(QStringLiteral("&Copy"), this)),
      help_(new CButtonST(this)),
      close_(new CButtonST(this)) {
  setFont(DialogFont());
  setWindowIcon(ArtIcon(kIconApplication));
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  separator_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  status_->SetBkColor(ToQColor(kStatusGround));
  status_->SetTextColor(ToQColor(kRgbWhite));
  status_->setIndent(4);
  QFont bold = DialogFont();
  bold.setWeight(QFont::Bold);
  diskLine_->setFont(bold);

  // A picture of the attributes: no selection, no focus; the header sorts
  // it and the context menu copies it.
  proxy_->setSourceModel(model_);
  list_->setModel(proxy_);
  list_->setItemDelegate(new ViewListDelegate(kind, list_));
  list_->setRootIsDecorated(false);
  list_->setIndentation(0);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setFrameStyle(QFrame::Box | QFrame::Plain);
  list_->setLineWidth(1);
  QPalette framePalette = list_->palette();
  framePalette.setColor(QPalette::WindowText, framePalette.color(QPalette::Dark));
  list_->setPalette(framePalette);
  QHeaderView* header = list_->header();
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setFocusPolicy(Qt::NoFocus);
  // Slot order until a header is clicked.
  header->setSortIndicator(-1, Qt::AscendingOrder);
  list_->setSortingEnabled(true);
  // The dialog's Ctrl+C too (keyPressEvent): the list never has the focus.
  copy_->setShortcut(QKeySequence::Copy);
  copy_->setShortcutContext(Qt::WindowShortcut);
  connect(copy_, &QAction::triggered, this, [this] { CopyListRows(*list_, true); });
  list_->addAction(copy_);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);

  for (CButtonST* b : {help_, close_}) b->SetDrawBorder(true, true);
  close_->setDefault(true);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  connect(help_, &QPushButton::clicked, this, [this] { env_.ui.OpenHelpTopic(HelpTopic()); });
}

QLabel* CAttributeViewDlg::statusLabel() const { return status_; }

std::string CAttributeViewDlg::HelpTopic() const {
  return kind_ == ViewKind::kRaw ? kRawViewHelpTopic : kQuickViewHelpTopic;
}

QString CAttributeViewDlg::Text(int key) const { return ToQt(texts_.Text(key)); }

DialogUnits CAttributeViewDlg::Units() const { return DialogUnits(LogicalDpi(this)); }

void CAttributeViewDlg::Initialise() {
  LoadSectionTexts(keys_.section, texts_, env_.store, env_.trace);
  SetTexts();
  Fill();
  LayOut();
}

void CAttributeViewDlg::SetTexts() {
  setWindowTitle(QStringLiteral("Torvel - ") + Text(keys_.title));
  list_->setAccessibleName(Text(keys_.title));
  description_->setText(Text(keys_.description));
  diskLabel_->setText(Text(keys_.diskLabel));
  // Tooltips show the label as the button does, without its access key mark.
  help_->setText(Text(keys_.help));
  help_->SetTooltipText(Text(keys_.helpTooltip).remove(QLatin1Char('&')));
  close_->setText(Text(keys_.close));
  close_->SetTooltipText(Text(keys_.closeTooltip).remove(QLatin1Char('&')));
  copy_->setText(Text(keys_.copy));
  QStringList titles;
  for (int c = 0; c < 4; ++c) titles << Text(keys_.firstColumn + c);
  for (const char* hidden : kViewHiddenHeaders) titles << QString::fromLatin1(hidden);
  model_->SetHeaders(titles);
}

void CAttributeViewDlg::Fill() {
  const int stored = settings::SelectedDrive(env_.store);
  const int drive = stored >= 0 && stored < kMaxDrives ? stored : 0;
  ViewContent content = BuildViewContent(env_.tables, drive, env_.store, kind_);
  diskLine_->setText(ToQt(content.diskLine));
  model_->SetRows(std::move(content.rows));
  status_->setText(
      ToQt(ComposeDriveStatus(env_.messages, env_.tables.records[static_cast<std::size_t>(drive)], 0)));
}

void CAttributeViewDlg::LayOut() {
  const DialogUnits du = Units();
  const int dpi = LogicalDpi(this);
  const int iconSize = dpi >= 120 ? 40 : 32;
  icon_->setPixmap(ArtIcon(kIconApplication).pixmap(iconSize, iconSize));
  icon_->setGeometry(du.X(kMargin), du.Y(kDescriptionTop), iconSize, iconSize);
  description_->setGeometry(du.Rect(kDescriptionLeft, kDescriptionTop,
                                    kMargin + kContentWidth - kDescriptionLeft, kDescriptionHeight));
  const QRect line = du.Rect(kMargin, kSeparatorTop, kContentWidth, 0);
  separator_->setGeometry(line.left(), line.top(), line.width(), 2);
  status_->setGeometry(du.Rect(kMargin, kStatusTop, kContentWidth, kStatusHeight));
  diskLabel_->setGeometry(du.Rect(kMargin, kDiskTop, kDiskLabelWidth, 8));
  diskLine_->setGeometry(du.Rect(kMargin + kDiskLabelWidth, kDiskTop,
                                 kContentWidth - kDiskLabelWidth, 8));

  const QRect listAt = du.Rect(kMargin, kListTop, kContentWidth, 0);
  const int listWidth = listAt.width();
  const QScreen* on = screen();
  const int headerHeight = list_->header()->sizeHint().height();
  const int rowHeight = ViewListDelegate::RowHeight(list_->font());
  const int listHeight = ViewListHeightOnScreen(model_->rowCount(), headerHeight, rowHeight, kind_, dpi,
                                                on != nullptr ? on->availableGeometry().height() : 0);
  const bool scrolls = listHeight < ViewListHeight(model_->rowCount(), headerHeight, rowHeight);
  list_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  const int client = listWidth - 2 * list_->frameWidth() -
                     (scrolls ? list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_) : 0);
  const auto designed = ViewColumnWidths(kind_, client);
  ApplyColumnWidths(*list_->header(), *proxy_, {designed.begin(), designed.end()});
  list_->setGeometry(listAt.left(), listAt.top(), listWidth, listHeight);
  list_->setVisible(listHeight > 0);

  const int listBottom = listAt.top() + listHeight;
  const int buttonTop = listBottom + kButtonsBelowList;
  const int buttonWidth = du.X(kButtonWidth);
  const int closeLeft = du.X(kMargin + kContentWidth) - buttonWidth;
  close_->setGeometry(closeLeft, buttonTop, buttonWidth, du.Y(kRawButtonHeight));
  help_->setGeometry(closeLeft - du.X(kButtonGap) - buttonWidth, buttonTop, buttonWidth,
                     du.Y(kRawButtonHeight));
  LayOutBelowList(listBottom, buttonTop);
  setFixedSize(du.X(kWindowWidth), ViewClientHeight(kind_, listHeight, dpi));
}

void CAttributeViewDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    env_.ui.OpenHelpTopic(HelpTopic());
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    copy_->trigger();
    return;
  }
  QDialog::keyPressEvent(event);
}

// ---- the raw view ----

CRawViewDlg::CRawViewDlg(MainWindowEnv& env, QWidget* parent)
    : CAttributeViewDlg(env, parent, ViewKind::kRaw, kRawViewTexts) {
  Initialise();
  FitTexts(*this, FitRoom::kInPlace);
}

}  // namespace torvel
