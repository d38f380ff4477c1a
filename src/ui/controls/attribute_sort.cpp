#include "ui/controls/attribute_sort.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>

#include "ui/logic/hot_list_logic.h"
#include "ui/qt_text.h"

namespace torvel {

AttributeSortProxy::AttributeSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  // Re-sorted when a row's numbers change (after a settings dialog), with
  // the selection kept on its attribute.
  setDynamicSortFilter(true);
}

void AttributeSortProxy::SetHiddenColumns(std::vector<int> sourceColumns) {
  std::sort(sourceColumns.begin(), sourceColumns.end());
  if (sourceColumns == hidden_) return;
  hidden_ = std::move(sourceColumns);
  invalidateFilter();
}

bool AttributeSortProxy::IsHidden(int sourceColumn) const {
  return std::binary_search(hidden_.begin(), hidden_.end(), sourceColumn);
}

int AttributeSortProxy::ViewColumn(int sourceColumn) const {
  if (IsHidden(sourceColumn)) return -1;
  const auto before = std::lower_bound(hidden_.begin(), hidden_.end(), sourceColumn);
  return sourceColumn - static_cast<int>(before - hidden_.begin());
}

bool AttributeSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  return left.data(kSortKeyRole).value<CellSortKey>() < right.data(kSortKeyRole).value<CellSortKey>();
}

bool AttributeSortProxy::filterAcceptsColumn(int sourceColumn, const QModelIndex&) const {
  return !IsHidden(sourceColumn);
}

void ApplyColumnWidths(QHeaderView& header, AttributeSortProxy& proxy, const std::vector<int>& designed, int kept) {
  std::vector<int> hidden;
  for (int c = 0; c < static_cast<int>(designed.size()); ++c)
    if (c != kept && designed[static_cast<std::size_t>(c)] == 0) hidden.push_back(c);
  proxy.SetHiddenColumns(std::move(hidden));
  std::vector<int> titles;
  for (int c = 0; c < static_cast<int>(designed.size()); ++c) {
    const int v = proxy.ViewColumn(c);
    titles.push_back(v >= 0 ? header.sectionSizeHint(v) : 0);
  }
  const std::vector<int> widths = ColumnsFitTitles(designed, titles);
  for (int c = 0; c < static_cast<int>(widths.size()); ++c)
    if (const int v = proxy.ViewColumn(c); v >= 0) header.resizeSection(v, std::max(0, widths[static_cast<std::size_t>(c)]));
}

QString ListRowsText(const QTreeView& view, bool all) {
  const QAbstractItemModel* model = view.model();
  if (model == nullptr) return {};
  std::vector<int> rows;
  if (all) {
    for (int r = 0; r < model->rowCount(); ++r) rows.push_back(r);
  } else if (view.selectionModel() != nullptr) {
    for (const QModelIndex& i : view.selectionModel()->selectedRows()) rows.push_back(i.row());
    // The selection lists rows in the order they were picked.
    std::sort(rows.begin(), rows.end());
  }
  const QHeaderView* header = view.header();
  std::vector<int> columns;
  for (int v = 0; v < header->count(); ++v) {
    const int logical = header->logicalIndex(v);
    if (!header->isSectionHidden(logical)) columns.push_back(logical);
  }
  std::vector<std::vector<std::string>> cells;
  for (int r : rows) {
    std::vector<std::string>& row = cells.emplace_back();
    for (int c = 0; c < model->columnCount(); ++c) {
      const QModelIndex at = model->index(r, c);
      QString text = at.data(Qt::AccessibleTextRole).toString();
      if (text.isEmpty()) text = at.data(Qt::DisplayRole).toString();
      row.push_back(FromQt(text));
    }
  }
  return ToQt(RowsAsText(cells, columns));
}

void CopyListRows(const QTreeView& view, bool all) {
  const QString text = ListRowsText(view, all);
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

}  // namespace torvel
