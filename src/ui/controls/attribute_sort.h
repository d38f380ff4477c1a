// What the attribute lists share above their models: a proxy that sorts
// rows by the models' sort keys and leaves hidden columns out, and the
// rows as text for the clipboard.
#pragma once

#include <QSortFilterProxyModel>
#include <QString>

#include <vector>

#include "ui/logic/list_logic.h"

class QHeaderView;
class QTreeView;

Q_DECLARE_METATYPE(torvel::CellSortKey)

namespace torvel {

// Roles the attribute list models answer besides the display text and
// Qt::AccessibleTextRole (what a cell says, drawn or not).
inline constexpr int kSortKeyRole = Qt::UserRole + 100;       // a CellSortKey
inline constexpr int kSourceColumnRole = Qt::UserRole + 101;  // the model's own column

class AttributeSortProxy final : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit AttributeSortProxy(QObject* parent);

  // Columns of the model the view never shows. They are left out of the
  // proxy rather than hidden in the header: Qt 6.4's accessible table lists
  // header-hidden columns to screen readers all the same.
  void SetHiddenColumns(std::vector<int> sourceColumns);
  const std::vector<int>& hiddenColumns() const { return hidden_; }
  // The view's column for the model's column; -1 when it is left out.
  int ViewColumn(int sourceColumn) const;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
  bool filterAcceptsColumn(int sourceColumn, const QModelIndex& sourceParent) const override;

 private:
  bool IsHidden(int sourceColumn) const;

  std::vector<int> hidden_;
};

// Gives the view's columns the widths of the model's `designed` ones: a
// width of 0 leaves the column out (never column `kept`), and titles that
// would be cut take room from the widest column.
void ApplyColumnWidths(QHeaderView& header, AttributeSortProxy& proxy, const std::vector<int>& designed,
                       int kept = -1);

// The rows of `view` as RowsAsText gives them: the selected ones, or all of
// them with `all`, in the order shown; each cell's accessible text (what it
// shows), columns in the header's order, hidden ones left out.
QString ListRowsText(const QTreeView& view, bool all);

// Puts ListRowsText on the clipboard; nothing when it is empty.
void CopyListRows(const QTreeView& view, bool all);

}  // namespace torvel
