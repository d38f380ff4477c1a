// The grouped two-column list of the Disk info page: label rows on the
// button-face ground, split into groups by grey header rows.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <vector>

#include "ui/logic/disk_info.h"

namespace torvel {

inline constexpr int kInfoHeaderRole = Qt::UserRole + 1;

class InfoListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit InfoListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetRows(std::vector<InfoRow> rows);
  const std::vector<InfoRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<InfoRow> rows_;
};

// Paints header and ordinary rows from the rows' roles; selection changes
// no colour.
class InfoListDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class CInfoList final : public QTreeView {
  Q_OBJECT

 public:
  explicit CInfoList(QWidget* parent);

  void SetRows(std::vector<InfoRow> rows);
  InfoListModel* infoModel() const { return model_; }
  // Label 250 pixels, value the client width less 273.
  void FitColumns();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  InfoListModel* model_;
};

}  // namespace torvel
