// The S.M.A.R.T. information page: the selected drive's attributes with
// their T.E.C. dates and status, and the commands on them.
#pragma once

#include "ui/tab_page.h"

class QLabel;
class QMenu;

namespace torvel {

class CButtonST;
class CColourLabel;
class CHotListCtrl;

class CSmartInfoPage final : public TabPage {
  Q_OBJECT

 public:
  // Command ids of the page's buttons and menu items.
  static constexpr int kEditAttribute = 101;
  static constexpr int kReportButton = 1030;
  static constexpr int kPropertiesButton = 1031;
  static constexpr int kViewButton = 1032;
  static constexpr int kSaveTextReport = 32782;
  static constexpr int kQuickView = 32784;
  static constexpr int kRawView = 32788;

  CSmartInfoPage(PageContext& context, QWidget* parent);

  void Fill() override;
  void ReloadTexts() override;
  std::string HelpTopic() const override;
  bool OnCommand(int id) override;
  // Message 1244 from the list: the info button of row wParam − 4000.
  void OnRowButton(int wParam);

  CHotListCtrl* list() const { return list_; }
  CColourLabel* statusLine() const { return status_; }
  QLabel* nearestLabel() const { return nearest_; }
  CButtonST* button(int id) const;
  QMenu* reportMenu() const { return reportMenu_; }
  QMenu* viewMenu() const { return viewMenu_; }

 Q_SIGNALS:
  // Every message 1244 the page receives, as it starts handling it.
  void rowButtonMessage(int wParam);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void SetTexts();
  void LayOut();
  // The per-attribute dialog for `row`, then the rows' summaries again.
  void EditRow(int row);
  void RebuildSummaries();
  int SlotOfRow(int row) const;
  void PopUp(QMenu* menu, CButtonST* under);

  const bool showNearest_;  // Ctrl was held while the page was made
  QLabel* title_;
  CHotListCtrl* list_;
  CColourLabel* status_;
  QLabel* nearest_;
  CButtonST* properties_;
  CButtonST* report_;
  CButtonST* view_;
  QMenu* reportMenu_;
  QMenu* viewMenu_;
};

}  // namespace torvel
