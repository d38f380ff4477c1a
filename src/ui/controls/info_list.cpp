#include "ui/controls/info_list.h"

#include <QHeaderView>
#include <QPainter>

#include "ui/logic/hot_list_logic.h"
#include "ui/qt_text.h"

namespace torvel {

void InfoListModel::SetRows(std::vector<InfoRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int InfoListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int InfoListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant InfoListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const InfoRow& row = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) return ToQt(index.column() == 0 ? row.label : row.value);
  if (role == kInfoHeaderRole) return row.header;
  return {};
}

void InfoListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const bool header = index.data(kInfoHeaderRole).toBool();
  const int column = index.column();
  painter->save();
  painter->setFont(option.font);
  painter->fillRect(option.rect, header ? ToQColor(kRgbHeaderRow)
                                        : option.palette.color(QPalette::Button));
  const QFontMetrics metrics(option.font);
  const std::string text = FromQt(index.data(Qt::DisplayRole).toString());
  const int margin = column == 0 ? kFirstColumnMargin : kOtherColumnMargin;
  std::string shown = ShortenText(text, option.rect.width(), margin, [&](std::string_view part) {
    return metrics.horizontalAdvance(ToQt(std::string(part)));
  });
  if (column == 0 && !header) shown = "  " + shown;
  const int inset = column == 0 ? 2 : 6;
  painter->setPen(header ? QColor(Qt::white) : option.palette.color(QPalette::WindowText));
  painter->drawText(option.rect.adjusted(inset, 0, -inset, 0),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                    ToQt(shown));
  painter->restore();
}

QSize InfoListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(0, QFontMetrics(option.font).height() + 3);
}

CInfoList::CInfoList(QWidget* parent) : QTreeView(parent), model_(new InfoListModel(this)) {
  setModel(model_);
  setItemDelegate(new InfoListDelegate(this));
  setRootIsDecorated(false);
  setIndentation(0);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setHeaderHidden(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Fixed);
  // The list's ground is the button face, rows and all.
  QPalette p = palette();
  p.setColor(QPalette::Base, p.color(QPalette::Button));
  setPalette(p);
}

void CInfoList::SetRows(std::vector<InfoRow> rows) {
  model_->SetRows(std::move(rows));
  FitColumns();
}

void CInfoList::FitColumns() {
  header()->resizeSection(0, 250);
  header()->resizeSection(1, std::max(0, viewport()->width() - 273));
}

void CInfoList::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
  // A header row is grey to the list's right end, past its two columns.
  if (index.data(kInfoHeaderRole).toBool())
    painter->fillRect(QRect(option.rect.left(), option.rect.top(), viewport()->width(),
                            option.rect.height()),
                      ToQColor(kRgbHeaderRow));
  QTreeView::drawRow(painter, option, index);
}

void CInfoList::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  FitColumns();
}

}  // namespace torvel
