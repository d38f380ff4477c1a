// The main window: the drive list, the five pages, the four buttons and the
// status line. A modal dialog that ends with OK (hide, keep monitoring) or
// Cancel (exit).
#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

#include "config/language.h"
#include "platform/main_window_env.h"
#include "ui/tab_host.h"

class QLabel;
class QSizeGrip;
class QTreeWidget;
class QTreeWidgetItem;

namespace torvel {

// The drive number a row of the drive list stands for, on its column 0.
inline constexpr int kDriveNumberRole = Qt::UserRole + 2;

class CButtonST;
class ThemeWrapper;
struct WindowMessage;

class CMainWindow final : public QDialog, private CTabHost::Window {
  Q_OBJECT

 public:
  // `dialogs` opens the settings dialogs and views; nullptr: the window's own.
  CMainWindow(MainWindowEnv& env, PageDialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~CMainWindow() override;

  // The page shown first; -1 leaves page 0.
  void SetStartTab(int index);
  // The four buttons draw their faces with the desktop's style through it.
  void SetTheme(const ThemeWrapper* theme);
  // Runs the window modally: kIdOk after hide, 2 (IDCANCEL) after exit.
  int Run();

  // The window's messages (1150 to 1153), as other windows send them.
  std::int64_t OnMessage(const WindowMessage& message);

  QTreeWidget* driveList() const { return driveList_; }
  CTabHost* tabHost() const { return tabHost_; }
  QLabel* statusLine() const { return statusLine_; }
  CButtonST* hideButton() const { return hideButton_; }
  CButtonST* exitButton() const { return exitButton_; }
  CButtonST* checkNowButton() const { return checkButton_; }
  CButtonST* helpButton() const { return helpButton_; }
  CButtonST* hideButtonForTest() const { return hideButton_; }

  void reject() override;  // Escape and the close box hide, as OK does

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Dialogs;

  void Initialise();
  void FillDriveList();
  void Relabel();
  void Layout();
  void FitPageTexts();
  void RecomputeStatusLine(bool scheduleChanged);
  void ApplySizeLimits();
  void SelectRowDrive(QTreeWidgetItem* item);
  // The status column's words for every row, as the delegate draws them.
  void UpdateStatusTexts();
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void OnCheckNowButton();
  void OnExitButton();
  void OnHelpButton();
  void CheckNow(bool recordLastCheck);
  void Send(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam);

  void HideRequested() override;
  void LanguageChanged() override;
  void ApplyTooltipSetting() override;

  MainWindowEnv& env_;
  std::unique_ptr<Dialogs> ownDialogs_;
  PageDialogs& dialogs_;
  TextTable texts_{"MainDialog"};
  int startTab_ = 0;
  int dpi_ = 96;
  std::uint64_t handle_ = 0;
  bool filling_ = false;

  CButtonST* hideButton_ = nullptr;
  CButtonST* exitButton_ = nullptr;
  CButtonST* checkButton_ = nullptr;
  CButtonST* helpButton_ = nullptr;
  QTreeWidget* driveList_ = nullptr;
  CTabHost* tabHost_ = nullptr;
  int designedListHeight_ = 0;
  int listToTabs_ = 0;  // between the list's bottom and the tabs' top
  QLabel* statusLine_ = nullptr;
  QSizeGrip* grip_ = nullptr;
};

}  // namespace torvel
