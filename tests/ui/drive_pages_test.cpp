// The drive pages as a user meets them: the attribute list's buttons and
// grounds, its sorting, copying, keyboard and what screen readers get from
// it, the commands of the S.M.A.R.T. page, the saved report and the disk
// information list.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <vector>

#include "drive/report.h"
#include "base/time_format.h"
#include "monitor/baseline.h"
#include "support/temp_dir.h"
#include "page_fakes.h"
#include "support/window_env.h"
#include "ui/controls/button_st.h"
#include "ui/controls/colour_label.h"
#include "ui/controls/hot_list_ctrl.h"
#include "ui/controls/info_list.h"
#include "ui/disk_info_page.h"
#include "ui/logic/colours.h"
#include "ui/logic/volumes.h"
#include "ui/qt_text.h"
#include "ui/report_save.h"
#include "ui/smart_info_page.h"

namespace torvel {
namespace {

class SmartPageTest : public ::testing::Test {
 protected:
  SmartPageTest() {
    DriveRecord& r = world.AddDrive(0, "ST3500418AS", "5VM1ABCD");
    r.temperature = 41;
    // Slot 1 stays empty: rows after it still act on their own slots.
    Put(0, 1, 6, 117);
    Put(2, 3, 0, 96);
    Put(3, 5, 36, 100);
    Put(4, 7, 30, 78);
    Put(5, 194, 0, 41);
  }
  void Put(int slot, int id, int threshold, int value) {
    AttributeTable& t = world.tables.attributes[0];
    t.attributes[static_cast<std::size_t>(slot)].id = static_cast<std::uint8_t>(id);
    t.attributes[static_cast<std::size_t>(slot)].value = static_cast<std::uint8_t>(value);
    t.attributes[static_cast<std::size_t>(slot)].raw[0] = static_cast<std::uint8_t>(slot + 16);
    t.thresholds[static_cast<std::size_t>(slot)].id = static_cast<std::uint8_t>(id);
    t.thresholds[static_cast<std::size_t>(slot)].threshold = static_cast<std::uint8_t>(threshold);
  }
  CSmartInfoPage& Page() {
    if (!page_) {
      page_ = std::make_unique<CSmartInfoPage>(context, nullptr);
      page_->resize(470, 300);
      page_->show();
      QApplication::processEvents();
    }
    return *page_;
  }

  test::WindowWorld world;
  test::RecordingPageHost host;
  test::RecordingDialogs dialogs;
  PageContext context{world.env, host, dialogs};
  std::unique_ptr<CSmartInfoPage> page_;
};

TEST_F(SmartPageTest, RowButtonsReachThePageWithTheirRowAndActOnTheirOwnAttribute) {
  CSmartInfoPage& page = Page();
  CHotListCtrl& list = *page.list();
  ASSERT_EQ(list.rowCount(), 5);
  QSignalSpy messages(&page, &CSmartInfoPage::rowButtonMessage);
  ASSERT_NE(list.rowButton(3), nullptr);
  EXPECT_TRUE(list.rowButton(3)->isVisible());
  EXPECT_EQ(list.rowButton(3)->geometry(),
            QRect(list.visualRect(list.model()->index(3, 1)).topLeft() + QPoint(2, 1), QSize(9, 11)));
  EXPECT_TRUE(list.rowButton(3)->tooltipText().startsWith("Global notification settings used"));

  // A setting changed in the dialog shows in the row's summary at once.
  dialogs.onAttribute = [&] { world.store.WriteProfileInt("5VM1ABCD", "7-UseCustomThresholds", 1); };
  list.rowButton(3)->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0][0].toInt(), 4003);
  EXPECT_EQ(dialogs.opened, std::vector<std::string>{"attribute 4"});  // row 3 is attribute 7 in slot 4
  EXPECT_EQ(list.selectedRow(), 3);
  EXPECT_TRUE(list.rowButton(3)->tooltipText().startsWith("Custom notification settings:"));

  // The temperature row's button only explains where its limit is set.
  list.rowButton(4)->click();
  EXPECT_EQ(dialogs.opened.size(), 1u);
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_EQ(world.ui.boxes[0].text, "To set drive critical temperature use the Drive properties ");
  EXPECT_EQ(world.ui.boxes[0].caption, "Torvel");

  // ...while a double click on it, or beside the rows, opens the dialog.
  QSignalSpy commands(&page, &CSmartInfoPage::commandSent);
  Q_EMIT list.settingsRequested(4);
  Q_EMIT list.settingsRequested(0);
  EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"attribute 4", "attribute 5", "attribute 0"}));
  ASSERT_EQ(commands.size(), 2);
  EXPECT_EQ(commands[0][0].toInt(), 101);
}

// The hex ids down the list as it shows them.
std::vector<std::string> ShownIds(const CHotListCtrl& list) {
  std::vector<std::string> ids;
  for (int r = 0; r < list.model()->rowCount(); ++r)
    ids.push_back(list.model()->index(r, 0).data().toString().toStdString());
  return ids;
}

void ClickHeader(CHotListCtrl& list, int viewColumn) {
  QHeaderView* header = list.header();
  const QPoint at(header->sectionViewportPosition(viewColumn) + header->sectionSize(viewColumn) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// The view's row where the list shows model row `row`.
int ShownAt(const CHotListCtrl& list, int row) {
  for (int r = 0; r < list.model()->rowCount(); ++r)
    if (list.RowAt(r) == row) return r;
  return -1;
}

TEST_F(SmartPageTest, HeaderSortsByNumberBothWaysAndButtonsFollowTheirRows) {
  CSmartInfoPage& page = Page();
  CHotListCtrl& list = *page.list();
  const std::vector<std::string> slotOrder = {"01", "03", "05", "07", "C2"};
  ASSERT_EQ(ShownIds(list), slotOrder);
  // Values 117, 96, 100, 78, 41: as text "100" would lead.
  ClickHeader(list, 4);
  EXPECT_EQ(ShownIds(list), (std::vector<std::string>{"C2", "07", "03", "05", "01"}));
  ClickHeader(list, 4);
  EXPECT_EQ(ShownIds(list), (std::vector<std::string>{"01", "05", "03", "07", "C2"}));
  EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);

  // Attribute 7 (model row 3, slot 4) is fourth now: its button sits there
  // and still names row 3 and opens attribute 7.
  const int shown = ShownAt(list, 3);
  ASSERT_EQ(shown, 3);
  EXPECT_EQ(list.rowButton(3)->geometry().topLeft(),
            list.visualRect(list.model()->index(shown, 1)).topLeft() + QPoint(2, 1));
  EXPECT_EQ(list.rowButton(0)->geometry().topLeft(),
            list.visualRect(list.model()->index(0, 1)).topLeft() + QPoint(2, 1));
  QSignalSpy messages(&page, &CSmartInfoPage::rowButtonMessage);
  list.rowButton(3)->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0][0].toInt(), 4003);
  EXPECT_EQ(dialogs.opened, std::vector<std::string>{"attribute 4"});
  EXPECT_EQ(list.selectedRow(), 3);
  EXPECT_EQ(list.currentIndex().row(), shown);

  // The selection stays on attribute 7 through another sort...
  ClickHeader(list, 0);
  EXPECT_EQ(ShownIds(list), slotOrder);
  EXPECT_EQ(list.selectedRow(), 3);
  EXPECT_EQ(list.currentIndex().siblingAtColumn(0).data().toString(), "07");
  // ...and through new numbers that move it: attribute 1 drops to 10.
  ClickHeader(list, 4);
  std::vector<AttributeRow> rows = list.hotModel()->rows();
  rows[0].texts[4] = "10";
  list.UpdateRows(rows);
  EXPECT_EQ(ShownIds(list), (std::vector<std::string>{"01", "C2", "07", "03", "05"}));
  EXPECT_EQ(list.selectedRow(), 3);
  EXPECT_EQ(list.currentIndex().siblingAtColumn(0).data().toString(), "07");
  EXPECT_EQ(list.rowButton(0)->geometry().topLeft(),
            list.visualRect(list.model()->index(0, 1)).topLeft() + QPoint(2, 1));

  // A new fill keeps the order the user chose and selects the top row.
  page.Fill();
  EXPECT_EQ(ShownIds(list), (std::vector<std::string>{"C2", "07", "03", "05", "01"}));
  EXPECT_EQ(list.currentIndex().row(), 0);
  EXPECT_EQ(list.selectedRow(), 4);
}

TEST_F(SmartPageTest, CtrlCCopiesTheSelectedRowsAsShown) {
  CSmartInfoPage& page = Page();
  CHotListCtrl& list = *page.list();
  // Attribute 5 fell from 103 to 100.
  world.store.WriteProfileInt("5VM1ABCD", BaselineKey(5), 103);
  page.Fill();
  ClickHeader(list, 4);  // by value: 194 (41) comes before 5 (100)
  list.SelectRow(2);
  list.selectionModel()->select(list.model()->index(0, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const auto& rows = list.hotModel()->rows();
  // The names are Windows-1252 ("°C"); the clipboard holds Unicode.
  const QString expected = ToQt("C2\t" + rows[4].texts[1] + "\t\t0\t41\t0\tOK\n" +
                                "05\t" + rows[2].texts[1] + "\t\t36\t100\t0\t3 down, worse\n");
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
  EXPECT_EQ(list.SelectedRowsText(), expected);
  // The hidden "Last saved" column (103) is not in the text.
  EXPECT_FALSE(expected.contains("103"));
}

TEST_F(SmartPageTest, SettingsOpenFromTheKeyboardTheContextMenuAndADoubleClick) {
  CSmartInfoPage& page = Page();
  CHotListCtrl& list = *page.list();
  ClickHeader(list, 4);  // C2, 07, 03, 05, 01
  list.setFocus();
  list.SelectRow(2);  // attribute 5, slot 3
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(dialogs.opened, std::vector<std::string>{"attribute 3"});

  // The context menu: copy and the settings of the row under it.
  QStringList menuTexts;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions()) menuTexts << a->text();
    menu->actions().at(1)->trigger();
    menu->close();
  });
  list.SelectRow(3);  // attribute 7, slot 4
  const QRect row = list.visualRect(list.model()->index(ShownAt(list, 3), 2));
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, row.center(), list.viewport()->mapToGlobal(row.center()));
  QApplication::sendEvent(list.viewport(), &menuEvent);
  EXPECT_EQ(menuTexts, (QStringList{"&Copy", "Notification &settings..."}));
  EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"attribute 3", "attribute 4"}));

  // A double click on the top row opens what is shown there: attribute 194.
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                     list.visualRect(list.model()->index(0, 3)).center());
  EXPECT_EQ(dialogs.opened.back(), "attribute 5");
  // Nothing selected: Space opens nothing.
  list.clearSelection();
  const std::size_t before = dialogs.opened.size();
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(dialogs.opened.size(), before);
  EXPECT_FALSE(list.settingsAction()->isEnabled());
}

TEST_F(SmartPageTest, ScreenReadersGetTheCellsAsShownAndNoHiddenColumn) {
  world.store.WriteProfileInt("5VM1ABCD", BaselineKey(5), 103);
  CSmartInfoPage& page = Page();
  CHotListCtrl& list = *page.list();
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->text(QAccessible::Name), "SMART attributes");
  ASSERT_NE(table->tableInterface(), nullptr);
  // Eight columns in the model, seven shown: "Last saved" is not listed.
  EXPECT_EQ(list.hotModel()->columnCount(), 8);
  EXPECT_EQ(table->tableInterface()->columnCount(), 7);
  QStringList headers;
  for (int c = 0; c < table->childCount(); ++c)
    if (QAccessibleInterface* child = table->child(c); child->role() == QAccessible::ColumnHeader)
      headers << child->text(QAccessible::Name);
  EXPECT_EQ(headers.size(), 7);
  EXPECT_FALSE(headers.contains("Last saved")) << headers.join('|').toStdString();

  // The drawn status cell says its words; the name cell its full name.
  QAccessibleInterface* status = table->tableInterface()->cellAt(2, 6);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(QAccessible::Name), "3 down, worse");
  EXPECT_EQ(table->tableInterface()->cellAt(4, 6)->text(QAccessible::Name), "OK");
  EXPECT_EQ(table->tableInterface()->cellAt(2, 1)->text(QAccessible::Name).toStdString(),
            list.hotModel()->rows()[2].texts[1]);
  // The row buttons are named by their tooltip.
  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(list.rowButton(2));
  EXPECT_EQ(button->role(), QAccessible::Button);
  EXPECT_TRUE(button->text(QAccessible::Name).startsWith("Global notification settings used"));
}

TEST_F(SmartPageTest, ButtonsAndMenusSendTheirCommands) {
  CSmartInfoPage& page = Page();
  QSignalSpy commands(&page, &CSmartInfoPage::commandSent);
  page.button(1031)->click();
  page.button(1030)->click();
  EXPECT_TRUE(page.reportMenu()->isVisible());
  page.reportMenu()->hide();
  page.button(1032)->click();
  EXPECT_TRUE(page.viewMenu()->isVisible());
  const QList<QAction*> views = page.viewMenu()->actions();
  ASSERT_EQ(views.size(), 2);
  views[0]->trigger();
  views[1]->trigger();
  page.viewMenu()->hide();
  std::vector<int> sent;
  for (const auto& c : commands) sent.push_back(c[0].toInt());
  EXPECT_EQ(sent, (std::vector<int>{1031, 1030, 1032, 32784, 32788}));
  EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"properties", "quick", "raw"}));
  EXPECT_EQ(page.reportMenu()->actions().at(0)->data().toInt(), 32782);
  EXPECT_EQ(page.reportMenu()->actions().at(0)->text(), "Save &text report...");
}

TEST_F(SmartPageTest, StatusLineAndTheNearestDateOnlyWithCtrl) {
  world.store.WriteProfileInt("5VM1ABCD", "3-TECdate", static_cast<int>(world.now + 86400 * 60));
  CSmartInfoPage& page = Page();
  EXPECT_FALSE(page.statusLine()->text().isEmpty());
  EXPECT_FALSE(page.nearestLabel()->isVisible());
  EXPECT_EQ(page.nearestLabel()->text().toStdString(),
            "Nearest T.E.C. date: " + FormatNearestTecDate(LocalTime(world.now + 86400 * 60)));

  world.tables.records[0].smartSupported = 0;
  page.Fill();
  EXPECT_FALSE(page.list()->isVisible());
  EXPECT_EQ(page.list()->rowCount(), 0);
}

TEST_F(SmartPageTest, OddRowsShadedOnlyWithTodaysControls) {
  for (std::uint32_t version : {0x60000u, 0x50052u}) {
    world.env.controlsVersion = version;
    page_.reset();
    CHotListCtrl& list = *Page().list();
    list.clearSelection();
    list.setCurrentIndex({});
    const QImage shot = list.viewport()->grab().toImage();
    const QRect odd = list.visualRect(list.model()->index(1, 3));
    const QColor ground = shot.pixelColor(odd.left() + 2, odd.top() + 2);
    if (version >= 0x60000)
      EXPECT_EQ(ground, QColor(248, 248, 248));
    else
      EXPECT_EQ(ground, list.palette().color(QPalette::Base));
  }
}

// Light text on near-white rows and dark red on dark grey is what a dark
// theme got before the colours came from its palette.
TEST_F(SmartPageTest, DarkPaletteGroundsComeFromItAndBadValuesStayReadable) {
  Put(2, 3, 100, 96);  // row 1: below its threshold, drawn in the bad colour
  QPalette dark;
  dark.setColor(QPalette::Base, QColor(35, 38, 41));
  dark.setColor(QPalette::AlternateBase, QColor(42, 46, 50));
  dark.setColor(QPalette::Text, QColor(252, 252, 252));
  dark.setColor(QPalette::Window, QColor(49, 54, 59));
  dark.setColor(QPalette::WindowText, QColor(252, 252, 252));
  CHotListCtrl& list = *Page().list();
  list.setPalette(dark);
  list.clearSelection();
  list.setCurrentIndex({});
  const QImage shot = list.viewport()->grab().toImage();
  const QRect cell = list.visualRect(list.model()->index(1, 4));
  const QColor ground = shot.pixelColor(cell.left() + 1, cell.top() + 1);
  EXPECT_EQ(ground, QColor(42, 46, 50));
  double best = 1.0;
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      best = std::max(best, ContrastRatio(FromQColor(c), FromQColor(ground)));
    }
  EXPECT_GE(best, kLeastContrast);
  // Still a red: the value's text keeps its meaning.
  bool reddish = false;
  for (int y = cell.top(); y <= cell.bottom() && !reddish; ++y)
    for (int x = cell.left(); x <= cell.right() && !reddish; ++x) {
      const QColor c = shot.pixelColor(x, y);
      reddish = c.red() > 150 && c.red() > 2 * c.green() && ContrastRatio(FromQColor(c), FromQColor(ground)) >= 4.0;
    }
  EXPECT_TRUE(reddish);
}

TEST_F(SmartPageTest, SavedReportIsTheBannerAndTheReportByteForByte) {
  test::TempDir dir;
  const std::string target = dir.File("drive report.txt");
  CSmartInfoPage& page = Page();
  bool sawDialog = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    sawDialog = true;
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"Text file (*.txt)", "All Files (*)"}));
    EXPECT_TRUE(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text().startsWith("ST3500418AS (SN 5VM1ABCD)"));
    dialog->selectFile(QString::fromStdString(target));
    static_cast<QDialog*>(dialog)->accept();
  });
  const std::string before = QDir::currentPath().toStdString();
  page.OnCommand(32782);
  EXPECT_TRUE(sawDialog);
  EXPECT_EQ(QDir::currentPath().toStdString(), before);
  EXPECT_EQ(test::ReadFile(target),
            ReportBanner() + BuildReport(world.tables, 0, LocalTime(world.now)));

  // A file that cannot be created: nothing, no box, a trace line.
  EXPECT_FALSE(WriteReportFile(QString::fromStdString(dir.File("no/such/folder.txt")), "x",
                               world.capture.trace));
  EXPECT_TRUE(world.ui.boxes.empty());
  EXPECT_FALSE(world.capture.Messages().empty());
}

// No volumes at all: the section header is still there.
class NoVolumes final : public VolumeCalls {
 public:
  bool ListDirectory(const std::string&, std::vector<std::string>&) override { return false; }
  bool ReadFile(const std::string&, std::string&) override { return false; }
  bool DeviceNumber(const std::string&, std::string&) override { return false; }
  bool FreeSpace(const std::string&, SpaceInfo&) override { return false; }
};

TEST(DiskInfoPage, ListsTheSelectedDriveAndKeepsItForAnEmptySlot) {
  test::WindowWorld world;
  world.AddDrive(1, "WDC WD10EADS", "WD-1");
  world.store.WriteProfileInt("Options", "Selected drive", 1);
  test::RecordingPageHost host;
  test::RecordingDialogs dialogs;
  PageContext context{world.env, host, dialogs};
  NoVolumes volumes;
  CDiskInfoPage page(context, nullptr, &volumes);
  const auto& rows = page.list()->infoModel()->rows();
  ASSERT_GT(rows.size(), 10u);
  EXPECT_TRUE(rows[0].header);
  EXPECT_EQ(rows[1].value, "Western Digital");
  EXPECT_EQ(rows[8].label, "Volumes on this drive");
  EXPECT_EQ(rows[9].label, "Advanced drive information");
  const std::size_t count = rows.size();

  world.store.WriteProfileInt("Options", "Selected drive", 2);
  page.Fill();
  EXPECT_EQ(page.list()->infoModel()->rows().size(), count);
}

}  // namespace
}  // namespace torvel
