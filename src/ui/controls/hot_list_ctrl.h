// The attribute list of the S.M.A.R.T. info page: one row per attribute,
// text coloured by the attribute's state and history, shaded and light-blue
// grounds, a drawn status cell, and a small info button on every row. The
// header sorts it; rows copy to the clipboard as text.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/logic/smart_info_logic.h"

namespace torvel {

class AttributeSortProxy;
class CButtonST;

// Roles the delegate reads besides the display text and alignment.
enum HotListRole {
  kAttributeIdRole = Qt::UserRole + 1,
  kThresholdRole,
  kValueRole,
  kLastSavedRole,
  kMonitoredRole,
  kCustomThresholdsRole,
};

// The rows as plain values; the view shows what it is given.
class HotListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit HotListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetRows(std::vector<AttributeRow> rows);
  const std::vector<AttributeRow>& rows() const { return rows_; }
  // Replaces the states and summaries of rows that keep their attribute.
  void UpdateRows(const std::vector<AttributeRow>& rows);
  void SetHeaders(const QStringList& titles, const QStringList& tooltips);
  void SetHeaderTooltipsShown(bool shown) { tooltipsShown_ = shown; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<AttributeRow> rows_;
  QStringList titles_;
  QStringList tooltips_;
  bool tooltipsShown_ = true;
};

// Paints every cell of a row from the row's roles alone; the cell's column
// is the model's (kSourceColumnRole), whatever the view leaves out.
class HotListDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  HotListDelegate(std::uint32_t controlsVersion, QObject* parent)
      : QStyledItemDelegate(parent), controlsVersion_(controlsVersion) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  void PaintStatus(QPainter* painter, const QStyleOptionViewItem& option,
                   const AttributeRowState& row, bool selected, Rgb ground) const;

  std::uint32_t controlsVersion_;
};

// Rows are the model's (slot order) in every call and signal; the view may
// show them sorted.
class CHotListCtrl final : public QTreeView {
  Q_OBJECT

 public:
  static constexpr int kMaxButtons = 255;
  static constexpr int kFirstButtonId = 4000;
  static constexpr int kRowButtonMessage = 1244;  // WM_USER + 220

  CHotListCtrl(std::uint32_t controlsVersion, QWidget* parent);

  // Replaces every row and its info button; the buttons' tooltips are the
  // rows' summaries.
  void SetRows(std::vector<AttributeRow> rows);
  // New states and summaries for the same rows (after a settings dialog).
  void UpdateRows(const std::vector<AttributeRow>& rows);
  void DeleteAllRows();
  void SetRowTooltip(int row, const QString& text);
  void SetHeaders(const QStringList& titles, const QStringList& tooltips);
  void SetHeaderTooltipsShown(bool shown) { model_->SetHeaderTooltipsShown(shown); }
  // A column of width 0 is left out of the view (the name column only
  // shrinks: it takes what the others leave).
  void SetColumnWidths(const std::array<int, kAttributeColumns>& widths);
  // The widths for a client area `width` pixels wide; applied again
  // whenever the client area changes (a resize, the scroll bar coming).
  using WidthRule = std::function<std::array<int, kAttributeColumns>(int width)>;
  void SetColumnWidthRule(WidthRule rule);

  HotListModel* hotModel() const { return model_; }
  AttributeSortProxy* sortProxy() const { return proxy_; }
  int rowCount() const { return model_->rowCount(); }
  // The row's info button; nullptr when the row has none.
  CButtonST* rowButton(int row) const;
  // The current row when it is selected, else -1.
  int selectedRow() const;
  void SelectRow(int row);
  // The row shown at `position` from the top; -1 past the end.
  int RowAt(int position) const;
  // The selected rows' cells as text, as Ctrl+C copies them.
  QString SelectedRowsText() const;
  QAction* copyAction() const { return copy_; }
  QAction* settingsAction() const { return settings_; }

 Q_SIGNALS:
  // Message 1244 to the page: wParam is 4000 + the row of the button clicked.
  void rowButtonMessage(int wParam);
  // The settings of `row` asked for: a double click on it (on the top row
  // beside the rows), Space on the selected row, or the context menu.
  void settingsRequested(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void updateGeometries() override;

 private:
  // Buttons of the rows in view sit over column 1 of the row where the
  // view shows them; the others are hidden and disabled. Done after a
  // scroll, resize or sort, never while painting.
  void PlaceRowButtons();
  void CreateRowButtons();
  void ApplyWidthRule();
  QModelIndex ViewIndex(int row, int column) const;
  void RequestSettings();

  HotListModel* model_;
  AttributeSortProxy* proxy_;
  QAction* copy_;
  QAction* settings_;
  std::vector<CButtonST*> buttons_;
  WidthRule widthRule_;
  int ruledWidth_ = -1;
};

}  // namespace torvel
