// The two read-only views of the selected drive's attributes: the raw view
// (vendor raw values) and, built on the same window, the quick view (bar
// graphs). Both list one row per attribute with a drawn status cell.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <array>
#include <vector>

#include "config/language.h"
#include "ui/logic/views_logic.h"
#include "ui/qt_text.h"

class QAction;
class QLabel;
class QTreeView;

namespace torvel {

struct MainWindowEnv;
class AttributeSortProxy;
class CButtonST;
class CColourLabel;

// The rows as plain values; columns 4 to 6 carry the numbers the drawing
// compares, and the roles below give them to the delegate whichever
// columns the view shows.
enum ViewListRole {
  kViewIdRole = Qt::UserRole + 1,
  kViewThresholdRole,
  kViewValueRole,
  kViewLastSavedRole,
};

class ViewListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  ViewListModel(ViewKind kind, QObject* parent) : QAbstractTableModel(parent), kind_(kind) {}

  void SetRows(std::vector<ViewRow> rows);
  void SetHeaders(const QStringList& titles);
  const std::vector<ViewRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  ViewKind kind_;
  std::vector<ViewRow> rows_;
  QStringList titles_;
};

// Paints a cell from its row's texts alone: the row colour, the status cell
// and, in the quick view, the graph.
class ViewListDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  ViewListDelegate(ViewKind kind, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Rows tall enough for the 16-pixel arrows and the bold status word.
  static int RowHeight(const QFont& font);

 private:
  void PaintStatus(QPainter* painter, const QStyleOptionViewItem& option, const ViewRow& row) const;
  void PaintGraph(QPainter* painter, const QRect& cell, const ViewRow& row) const;

  ViewKind kind_;
};

// A piece of the quick view's graph, drawn for a screen of `devicePixelRatio`.
QPixmap GraphPieceBitmap(int piece, qreal devicePixelRatio);

// What both views share: the header, the status strip, the disk line, the
// list sized to its rows, and the Help and Close buttons.
class CAttributeViewDlg : public QDialog {
  Q_OBJECT

 public:
  CAttributeViewDlg(MainWindowEnv& env, QWidget* parent, ViewKind kind,
                    const ViewTextKeys& keys);

  QTreeView* list() const { return list_; }
  ViewListModel* listModel() const { return model_; }
  AttributeSortProxy* sortProxy() const { return proxy_; }
  // Copies every row as shown (the views take no selection); Ctrl+C.
  QAction* copyAction() const { return copy_; }
  QLabel* statusLabel() const;
  QLabel* diskLine() const { return diskLine_; }
  CButtonST* helpButton() const { return help_; }
  CButtonST* closeButton() const { return close_; }
  std::string HelpTopic() const;

 protected:
  // Loads the texts, fills the list and sizes the window to it; the derived
  // window calls it once its own controls exist.
  void Initialise();
  QString Text(int key) const;
  DialogUnits Units() const;
  // Places what the derived window shows below the list.
  virtual void LayOutBelowList(int /*listBottom*/, int /*buttonTop*/) {}
  void keyPressEvent(QKeyEvent* event) override;

  MainWindowEnv& env_;
  ViewKind kind_;

 private:
  void SetTexts();
  void Fill();
  void LayOut();

  const ViewTextKeys& keys_;
  TextTable texts_;
  QLabel* icon_;
  QLabel* description_;
  QLabel* separator_;
  CColourLabel* status_;
  QLabel* diskLabel_;
  QLabel* diskLine_;
  QTreeView* list_;
  ViewListModel* model_;
  AttributeSortProxy* proxy_;
  QAction* copy_;
  CButtonST* help_;
  CButtonST* close_;
};

class CRawViewDlg final : public CAttributeViewDlg {
  Q_OBJECT

 public:
  CRawViewDlg(MainWindowEnv& env, QWidget* parent);
};

}  // namespace torvel
