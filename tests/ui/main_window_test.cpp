// The main window clicked through on the offscreen platform.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <vector>

#include "platform/ui_services.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"
#include "page_fakes.h"
#include "support/window_env.h"
#include "ui/controls/button_st.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/custom_thresholds_dlg.h"
#include "ui/drive_properties_dlg.h"
#include "ui/layout_check.h"
#include "ui/mail_settings_dlg.h"
#include "ui/quick_view_dlg.h"
#include "ui/raw_view_dlg.h"
#include "ui/qt_event_loop.h"

namespace torvel {
namespace {

class RecordingOwner final : public MainWindowOwner {
 public:
  void SaveAttributeBaseline() override { calls.push_back("baseline"); }
  bool CheckAllDrives(int interactive, int recordLastCheck) override {
    calls.push_back("check " + std::to_string(interactive) + " " + std::to_string(recordLastCheck));
    if (onCheck) onCheck();
    return true;
  }
  std::function<void()> onCheck;
  void LanguageChanged() override { calls.push_back("language"); }
  std::vector<std::string> calls;
};

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() {
    world.AddDrive(0, "First", "S0");
    world.AddDrive(2, "Second", "S2").smartSupported = 0;
    world.AddDrive(3, "Third", "S3").tec = 1;
    world.env.owner = &owner;
  }

  QTreeWidgetItem* Row(QTreeWidget* list, int row) { return list->topLevelItem(row); }

  test::WindowWorld world;
  RecordingOwner owner;
};

TEST_F(MainWindowTest, FillsOneRowPerDriveAndStartsOnTheStoredDrive) {
  world.store.WriteProfileInt("Options", "Selected drive", 1);  // an empty slot
  world.store.WriteProfileInt("S3", "EnableMonitor", 0);
  CMainWindow window(world.env);
  QTreeWidget* list = window.driveList();
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(Row(list, 1)->text(0), "Second");
  EXPECT_EQ(Row(list, 1)->text(1), "Secondary/Master");
  EXPECT_EQ(Row(list, 2)->data(0, kDriveNumberRole).toInt(), 3);
  EXPECT_EQ(Row(list, 2)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 2);
  EXPECT_EQ(list->currentItem(), Row(list, 1));
  EXPECT_EQ(window.windowTitle(), "Torvel 2.41");
  // Drive 2 was never checked and AutoCheck is on.
  EXPECT_EQ(window.statusLine()->text().toStdString().rfind("Next check: ", 0), 0u);
}

TEST_F(MainWindowTest, CheckBoxesWriteEnableMonitorAndClicksSelectDrives) {
  CMainWindow window(world.env);
  window.show();
  QTreeWidget* list = window.driveList();
  Row(list, 2)->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(world.store.GetProfileInt("S3", "EnableMonitor", -1), 0);
  Row(list, 2)->setCheckState(0, Qt::Checked);
  EXPECT_EQ(world.store.GetProfileInt("S3", "EnableMonitor", -1), 1);

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(Row(list, 1)).center());
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 2);
  // Below the last row stands for row 0.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 2));
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 0);
}

TEST_F(MainWindowTest, DoubleClickOnADriveOpensTheQuickViewOverTheSmartPage) {
  test::RecordingDialogs dialogs;
  CMainWindow window(world.env, &dialogs);
  window.show();
  QTreeWidget* list = window.driveList();
  const QPoint row = list->visualItemRect(Row(list, 2)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 3);
  ASSERT_EQ(dialogs.opened, (std::vector<std::string>{"quick"}));
  EXPECT_EQ(dialogs.owners[0], window.tabHost()->page(1));
}

TEST_F(MainWindowTest, TabsSwitchPagesByMouseAndKeyboard) {
  CMainWindow window(world.env);
  window.SetStartTab(3);
  window.show();
  CTabHost* host = window.tabHost();
  EXPECT_EQ(host->current(), 3);
  QTabBar* tabs = host->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(host->current(), 1);
  EXPECT_TRUE(host->page(1)->isVisible());
  EXPECT_FALSE(host->page(3)->isVisible());
  tabs->setFocus();
  QTest::keyClick(tabs, Qt::Key_Right);
  EXPECT_EQ(host->current(), 2);
  EXPECT_TRUE(host->page(2)->isVisible());
  // The help button follows the page shown.
  window.helpButton()->click();
  ASSERT_EQ(world.ui.helpTopics.size(), 1u);
  EXPECT_EQ(world.ui.helpTopics[0], "Torvel Help.chm::\\html\\Preferences tab.htm");
}

TEST_F(MainWindowTest, CheckNowAsksThenRefreshesChecksAndKeepsTheSelection) {
  world.store.WriteProfileInt("Options", "Selected drive", 3);
  CMainWindow window(world.env);
  window.checkNowButton()->click();  // answered No by default
  EXPECT_TRUE(owner.calls.empty());
  world.ui.answers.push_back(kIdYes);
  // The check of the frame records its time in the drive's section.
  owner.onCheck = [&] { world.store.WriteProfileInt("S3", "LastCheck", 1173085442); };
  window.checkNowButton()->click();
  EXPECT_EQ(owner.calls, (std::vector<std::string>{"baseline", "check 1 1"}))
      << "a check the user asked for is recorded as the last one";
  EXPECT_TRUE(window.statusLine()->text().startsWith("Last check: "))
      << window.statusLine()->text().toStdString();
  EXPECT_EQ(world.refreshes, 1);
  EXPECT_EQ(world.ui.boxes.back().text, "Do you want to check disks and save information now?");
  EXPECT_EQ(world.store.GetProfileInt("Options", "Selected drive", -1), 3);
}

TEST_F(MainWindowTest, OnlyTheConfirmedExitButtonEndsWithCancel) {
  CMainWindow window(world.env);
  QTimer::singleShot(0, &window, [&] {
    window.exitButton()->click();  // No: stays open
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
  });
  EXPECT_EQ(window.Run(), kIdOk);

  CMainWindow second(world.env);
  world.ui.answers.push_back(kIdYes);
  QTimer::singleShot(0, &second, [&] { second.exitButton()->click(); });
  EXPECT_EQ(second.Run(), 2);
  EXPECT_EQ(world.ui.boxes.back().text,
            "Are you sure to exit Torvel now and stop monitoring your hard disk drives?");
}

TEST_F(MainWindowTest, AnnouncesItselfAndServesScheduleNoticesByTitle) {
  test::TempDir folder;
  QtEventLoop loop;
  WindowSystem windows(loop, folder.path() / "w");
  std::vector<WindowMessage> toLauncher;
  windows.CreateWindow(kLauncherClass, kLauncherTitle, [&](const WindowMessage& m) {
    toLauncher.push_back(m);
    return std::int64_t{0};
  });
  world.env.windows = &windows;
  world.store.WriteProfileInt("S0", "LastCheck", static_cast<int>(world.now - 60));
  CMainWindow window(world.env);
  const WindowHandle handle = windows.FindWindow(kDialogClass, "Torvel 2.41");
  ASSERT_NE(handle, kNoWindow);
  ASSERT_EQ(toLauncher.size(), 1u);
  EXPECT_EQ(toLauncher[0].message, kMsgAnnounceWindow);
  EXPECT_EQ(toLauncher[0].wParam, handle);

  const QString before = window.statusLine()->text();
  windows.SendMessage(handle, {kMsgScheduleChanged, 1, 0, {}});
  EXPECT_NE(window.statusLine()->text(), before);  // next check now counts from now
  EXPECT_TRUE(window.statusLine()->text().startsWith("Last check: "));
}

TEST_F(MainWindowTest, WidthIsFixedAndHeightHasAFloor) {
  CMainWindow window(world.env);
  window.show();
  window.resize(800, 100);
  EXPECT_EQ(window.width(), 494);
  EXPECT_EQ(window.height(), 380);
  window.resize(494, 600);
  EXPECT_EQ(world.store.GetProfileInt("Options", "cy", 0), 600);
  // Read back as it was written: a window opened again has the same height.
  CMainWindow again(world.env);
  EXPECT_EQ(again.height(), 600);
}


TEST_F(MainWindowTest, EnterOnAnyPageOpensNoDialogAndOnlyHides) {
  for (int page = 0; page < kPageCount; ++page) {
    test::RecordingDialogs dialogs;
    CMainWindow window(world.env, &dialogs);
    window.SetStartTab(page);
    window.show();
    // Enter wherever the focus may be: the list, the page's fields and buttons.
    // A link takes Enter for itself and opens its address, not a dialog.
    std::vector<QString> opened;
    for (CHyperLink* link : window.findChildren<CHyperLink*>())
      link->SetDesktopOpener([&](const QUrl& url) {
        opened.push_back(url.toString());
        return true;
      });
    std::vector<QWidget*> targets = {window.driveList()};
    for (QWidget* w : window.tabHost()->page(page)->findChildren<QWidget*>())
      if (w->isVisible() && w->focusPolicy() != Qt::NoFocus) targets.push_back(w);
    for (QWidget* target : targets) {
      window.show();
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Return);
    }
    EXPECT_TRUE(dialogs.opened.empty()) << "page " << page << ": " << dialogs.opened.front();
    EXPECT_EQ(opened.size(), page == 4 ? 2u : 0u) << "page " << page;
    EXPECT_TRUE(window.hideButtonForTest()->isDefault());
  }
}

TEST_F(MainWindowTest, IsAMinimisableWindowWhoseButtonsHaveNames) {
  CMainWindow window(world.env);
  window.show();
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  for (CButtonST* button : window.findChildren<CButtonST*>()) {
    if (!button->isVisibleTo(&window) || button->focusPolicy() == Qt::NoFocus) continue;
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->text(QAccessible::Name).isEmpty()) << button->objectName().toStdString();
  }
  QAccessibleInterface* hide = QAccessible::queryAccessibleInterface(window.hideButtonForTest());
  EXPECT_EQ(hide->text(QAccessible::Name), "Hide to system tray and continue monitoring");
}

// The controls of `top` Tab can reach that a screen reader would name
// nothing, as "class 'object name' at x,y". A control whose focus goes to an
// inner editor (a spin box's line edit) is judged as the whole control. A
// name of its own counts, or a named label that says it labels the control:
// on Linux a combo box's name is only its current text, and an empty one
// is known by its label alone.
std::vector<std::string> UnnamedFocusableControls(QWidget& top) {
  std::vector<std::string> unnamed;
  for (QWidget* w : top.findChildren<QWidget*>()) {
    if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() != nullptr || !w->isVisibleTo(&top)) continue;
    QWidget* control = w;
    if (QWidget* outer = w->parentWidget(); outer != nullptr && outer->focusProxy() == w) control = outer;
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(control);
    bool named = item != nullptr && !item->text(QAccessible::Name).trimmed().isEmpty();
    if (item != nullptr)
      for (const auto& [label, relation] : item->relations(QAccessible::Label))
        named = named || !label->text(QAccessible::Name).trimmed().isEmpty();
    if (named) continue;
    const QPoint at = control->mapTo(&top, QPoint(0, 0));
    unnamed.push_back(std::string(control->metaObject()->className()) + " '" +
                      control->objectName().toStdString() + "' at " + std::to_string(at.x()) + "," +
                      std::to_string(at.y()));
  }
  return unnamed;
}

std::string JoinedControlNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += n + "; ";
  return out;
}

TEST_F(MainWindowTest, EveryControlTabReachesHasANameOnEveryPageAndInEveryDialog) {
  world.tables.attributes[0].attributes[0].id = 9;
  world.tables.attributes[0].attributes[0].value = 98;
  for (int page = 0; page < kPageCount; ++page) {
    CMainWindow window(world.env);
    window.SetStartTab(page);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(JoinedControlNames(UnnamedFocusableControls(window)), "") << "page " << page;
  }
  CDrivePropertiesDlg properties(world.env, nullptr);
  CCustomThresholdsDlg attribute(world.env, 0, nullptr);
  CMailSettingsDlg mail(world.env, nullptr);
  CRawViewDlg raw(world.env, nullptr);
  CQuickViewDlg quick(world.env, nullptr);
  for (QDialog* dialog : std::initializer_list<QDialog*>{&properties, &attribute, &mail, &raw, &quick}) {
    dialog->show();
    EXPECT_EQ(JoinedControlNames(UnnamedFocusableControls(*dialog)), "") << dialog->metaObject()->className();
    dialog->hide();
  }
}

TEST_F(MainWindowTest, DriveListReadsOutItsFiveColumnsAndTheStatusInWords) {
  CMainWindow window(world.env);
  window.show();
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.driveList());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->text(QAccessible::Name), "Hard disk drives");
  ASSERT_NE(list->tableInterface(), nullptr);
  EXPECT_EQ(list->tableInterface()->columnCount(), 5);
  EXPECT_EQ(list->tableInterface()->rowCount(), 3);
  // The status cells say what the delegate draws: drive 2 has no
  // S.M.A.R.T., drive 3 a T.E.C.
  QStringList status;
  for (int row = 0; row < 3; ++row) status << list->tableInterface()->cellAt(row, 4)->text(QAccessible::Name);
  EXPECT_EQ(status.join(' ').toStdString(), "OK N/A Bad");
  EXPECT_EQ(list->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), "First");
}

TEST_F(MainWindowTest, NoPageCutsItsEnglishTexts) {
  for (int page = 0; page < kPageCount; ++page) {
    CMainWindow window(world.env);
    window.SetStartTab(page);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(DescribeClipped(FindClippedTexts(window)), "") << "page " << page;
  }
}

// Half a row from the fifth drive on was what a user with many disks saw.
TEST_F(MainWindowTest, DriveListShowsWholeRowsAndGrowsWithTheWindowUpToEight) {
  for (int d = 4; d < 12; ++d) world.AddDrive(d, "Disk " + std::to_string(d), "N" + std::to_string(d));
  CMainWindow window(world.env);
  window.show();
  QApplication::processEvents();
  QTreeWidget* list = window.driveList();
  ASSERT_EQ(list->topLevelItemCount(), 11);
  const int row = list->sizeHintForRow(0);
  const auto shownRows = [&] {
    const int rows = list->viewport()->height() / row;
    EXPECT_EQ(list->viewport()->height() % row, 0) << "a part of a row shows";
    return rows;
  };
  const int least = shownRows();
  EXPECT_GE(least, 1);
  const int tabsAt = window.tabHost()->y();
  // Two rows taller: two more drives, and the pages move down with the list.
  window.resize(window.width(), window.height() + 2 * row);
  QApplication::processEvents();
  EXPECT_EQ(shownRows(), least + 2);
  EXPECT_EQ(window.tabHost()->y(), tabsAt + 2 * row);
  // Much taller: eight, and the pages take the rest.
  window.resize(window.width(), window.height() + 20 * row);
  QApplication::processEvents();
  EXPECT_EQ(shownRows(), 8);
  EXPECT_GT(window.tabHost()->height(), 20 * row);
}

}  // namespace
}  // namespace torvel
