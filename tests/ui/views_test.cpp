// The raw and quick views: which rows they list, their colours and status
// cells, the quick view's graph arithmetic, and both windows over a drive.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QCoreApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "config/keys.h"
#include "support/window_env.h"
#include "ui/controls/attribute_sort.h"
#include "ui/controls/button_st.h"
#include "ui/logic/views_logic.h"
#include "ui/quick_view_dlg.h"
#include "ui/qt_text.h"
#include "ui/raw_view_dlg.h"
#include "monitor/baseline.h"

namespace torvel {
namespace {

void SetAttribute(test::WindowWorld& world, int drive, int slot, int id, int value, int threshold,
                  std::uint64_t raw) {
  AttributeTable& t = world.tables.attributes[static_cast<std::size_t>(drive)];
  AttributeEntry& a = t.attributes[static_cast<std::size_t>(slot)];
  a.id = static_cast<std::uint8_t>(id);
  a.value = static_cast<std::uint8_t>(value);
  for (int i = 0; i < 6; ++i) a.raw[i] = static_cast<std::uint8_t>(raw >> (8 * i));
  t.thresholds[static_cast<std::size_t>(slot)] = {static_cast<std::uint8_t>(id),
                                                  static_cast<std::uint8_t>(threshold), {}};
}

ViewRow Row(int id, int threshold, int value, int lastSaved) {
  ViewRow r;
  r.id = id;
  r.threshold = threshold;
  r.value = value;
  r.lastSaved = lastSaved;
  return r;
}

class ViewsTest : public ::testing::Test {
 protected:
  ViewsTest() {
    world.AddDrive(2, "WDC WD10EADS", "WD-1");
    world.store.WriteProfileInt(keys::kOptions, keys::kSelectedDrive, 2);
    SetAttribute(world, 2, 0, 1, 100, 51, 0);            // no raw value
    SetAttribute(world, 2, 2, 9, 97, 0, 0x010000000001);  // slot 1 empty
    SetAttribute(world, 2, 3, 194, 35, 0, 0x2D);
    // Saved values are read as their low byte.
    world.store.WriteProfileInt("WD-1", BaselineKey(9), 0x100 + 99);
    world.store.WriteProfileInt("WD-1", BaselineKey(194), 40);
  }

  test::WindowWorld world;
};

TEST_F(ViewsTest, RawViewLeavesOutZeroRawValuesAndPrintsAllFortyEightBits) {
  const ViewContent raw = BuildViewContent(world.tables, 2, world.store, ViewKind::kRaw);
  const ViewContent quick = BuildViewContent(world.tables, 2, world.store, ViewKind::kQuick);
  ASSERT_EQ(raw.rows.size(), 2u);
  ASSERT_EQ(quick.rows.size(), 3u);
  EXPECT_EQ(quick.rows[0].texts[0], "01");
  EXPECT_EQ(raw.rows[0].slot, 2);
  EXPECT_EQ(raw.rows[0].texts[0], "09");
  EXPECT_EQ(raw.rows[0].texts[2], "1099511627777");
  EXPECT_EQ(raw.rows[1].texts[1], "Temperature");
  EXPECT_EQ(raw.rows[0].lastSaved, 99);
  EXPECT_EQ(raw.rows[0].texts[6], "99");
  // Attribute 1 has no saved value: compared with itself, it has not changed.
  EXPECT_EQ(quick.rows[0].lastSaved, 100);
  EXPECT_EQ(quick.rows[0].texts[6], "");
  EXPECT_FALSE(ViewStatusCell(quick.rows[0]).showsChange);
  EXPECT_TRUE(quick.rows[2].texts[2].empty());
  EXPECT_EQ(raw.diskLine, "WDC WD10EADS, 500.1 GB [Serial: WD-1]");

  AttributeEntry widest;
  std::fill(std::begin(widest.raw), std::end(widest.raw), 0xFF);
  EXPECT_EQ(RawValueText(widest), "281474976710655");

  // No drive at the index: no disk line, no rows, a window of list height 0.
  world.tables.records[2].model.clear();
  const ViewContent none = BuildViewContent(world.tables, 2, world.store, ViewKind::kQuick);
  EXPECT_TRUE(none.diskLine.empty());
  EXPECT_TRUE(none.rows.empty());
  EXPECT_EQ(ViewListHeight(0, 20, 17), 0);
}

TEST(ViewsLogic, RowColoursAndStatusCells) {
  // At or below the threshold: red, whatever the history.
  EXPECT_EQ(ViewRowColour(Row(5, 97, 97, 97)), kRgbBadRed);
  EXPECT_EQ(ViewRowColour(Row(194, 50, 45, 40)), kRgbBadRed);
  // Unchanged and above the threshold: the list's own colour, "OK".
  EXPECT_EQ(ViewRowColour(Row(5, 36, 100, 100)), std::nullopt);
  EXPECT_EQ(ViewStatusCell(Row(5, 36, 100, 100)).text, "OK");
  EXPECT_EQ(ViewStatusCell(Row(5, 36, 100, 100)).colour, kRgbOkGreen);
  // Ordinary attributes: down is worse.
  EXPECT_EQ(ViewRowColour(Row(5, 36, 98, 100)), kRgbBadRed);
  EXPECT_EQ(ViewRowColour(Row(5, 36, 100, 98)), kRgbBetterBlue);
  // The temperature the other way round.
  EXPECT_EQ(ViewRowColour(Row(194, 0, 35, 40)), kRgbBetterBlue);
  EXPECT_EQ(ViewRowColour(Row(194, 0, 45, 40)), kRgbBadRed);
  const AttributeStatusLook cooler = ViewStatusCell(Row(194, 0, 35, 40));
  EXPECT_TRUE(cooler.showsChange);
  EXPECT_EQ(cooler.text, "5");
  EXPECT_EQ(cooler.arrow, Arrow::kBlueDown);
  EXPECT_EQ(cooler.colour, kRgbBetterBlue);
  EXPECT_EQ(ViewStatusCell(Row(194, 0, 45, 40)).arrow, Arrow::kRedUp);
  EXPECT_EQ(ViewStatusCell(Row(5, 36, 98, 100)).arrow, Arrow::kRedDown);
  // Never saved: risen by its whole value.
  const AttributeStatusLook fresh = ViewStatusCell(Row(9, 0, 97, 0));
  EXPECT_EQ(fresh.text, "97");
  EXPECT_EQ(fresh.arrow, Arrow::kBlueUp);
  // A zero threshold is never "Bad"; a reached one is.
  EXPECT_EQ(ViewStatusCell(Row(5, 0, 0, 0)).text, "OK");
  EXPECT_EQ(ViewStatusCell(Row(5, 97, 97, 97)).text, "Bad");
  EXPECT_EQ(ViewStatusCell(Row(5, 97, 97, 97)).colour, kRgbBadRed);

  // The image and the number centred together: (60 - 20 - 16) / 2.
  const ViewStatusLayout at = LayOutViewStatus(100, 10, 60, 17, 20);
  EXPECT_EQ(at.imageLeft, 112);
  EXPECT_EQ(at.imageTop, 10);
  EXPECT_EQ(at.numberLeft, 128);
}

TEST(ViewsLogic, GraphOfAHundredOnA163PixelColumn) {
  EXPECT_EQ(GraphScale(163), 41);
  EXPECT_EQ(GraphPieces(100, 41), 16);
  EXPECT_EQ(GraphPieces(253, 41), 41);
  EXPECT_EQ(GraphPieces(6, 41), 0);  // 246 / 253

  // Cell at (200, 30), 17 high: bars from x 206, value at y 34, threshold 38.
  const std::vector<PlacedPiece> cell = GraphCell(200, 30, 163, 17, 100, 0);
  std::vector<PlacedPiece> value(cell.begin(), cell.end() - 1);
  ASSERT_EQ(value.size(), 16u);
  EXPECT_EQ(value.front(), (PlacedPiece{kValueStart, 206, 34}));
  EXPECT_EQ(value[1], (PlacedPiece{kValueBody, 209, 34}));
  EXPECT_EQ(value.back(), (PlacedPiece{kValueEnd, 206 + 45, 34}));
  EXPECT_EQ(value.back().x + kGraphPieceWidth - value.front().x, 48);
  EXPECT_EQ(cell.back(), (PlacedPiece{kThresholdEmpty, 206, 38}));

  std::vector<PlacedPiece> one;
  AddBar(one, kThresholdStart, 1, 0, 0);
  EXPECT_EQ(one, (std::vector<PlacedPiece>{{kThresholdEnd, 0, 0}}));
}

TEST(ViewsLogic, WindowGrowsWithItsRows) {
  EXPECT_EQ(ViewListHeight(3, 20, 17), 20 + 51 + 2);
  EXPECT_EQ(ViewClientHeight(ViewKind::kRaw, 73, 96) - ViewClientHeight(ViewKind::kRaw, 0, 96), 73);
  EXPECT_EQ(ViewClientHeight(ViewKind::kQuick, 0, 96) - ViewClientHeight(ViewKind::kRaw, 0, 96), 2);
  EXPECT_EQ(ViewClientHeight(ViewKind::kRaw, 0, 120) - ViewClientHeight(ViewKind::kRaw, 0, 96), 29);
  const auto raw = ViewColumnWidths(ViewKind::kRaw, 439);
  const auto quick = ViewColumnWidths(ViewKind::kQuick, 439);
  EXPECT_EQ(raw[1] + raw[0] + raw[2] + raw[3], 439 - 3);
  EXPECT_EQ(quick[2], 163);
  EXPECT_EQ(quick[1] + quick[0] + quick[2] + quick[3], 439 - 3);
  EXPECT_EQ(raw[4] + raw[5] + raw[6], 0);
}

TEST(ViewsLogic, ThirtyAttributesScrollOnASmallScreen) {
  // 30 rows of 20 pixels under a 20-pixel header: 622 pixels of list.
  const int full = ViewListHeight(30, 20, 20);
  EXPECT_EQ(ViewListHeightOnScreen(30, 20, 20, ViewKind::kQuick, 96, 0), full);
  EXPECT_EQ(ViewListHeightOnScreen(30, 20, 20, ViewKind::kQuick, 96, 1200), full);
  // A 768-pixel screen less a panel: whole rows, and the window fits.
  const int capped = ViewListHeightOnScreen(30, 20, 20, ViewKind::kQuick, 96, 740);
  EXPECT_LT(capped, full);
  EXPECT_EQ((capped - 20 - 2) % 20, 0);
  EXPECT_LE(ViewClientHeight(ViewKind::kQuick, capped, 96) + kTitleBarAllowance, 740);
  EXPECT_GT(ViewClientHeight(ViewKind::kQuick, capped + 20, 96) + kTitleBarAllowance, 740);
  // Never fewer than three rows, however small the screen.
  EXPECT_EQ(ViewListHeightOnScreen(30, 20, 20, ViewKind::kRaw, 120, 200), ViewListHeight(3, 20, 20));
}

TEST_F(ViewsTest, WindowsListTheSelectedDriveAndOpenTheirHelp) {
  CRawViewDlg raw(world.env, nullptr);
  CQuickViewDlg quick(world.env, nullptr);
  for (CAttributeViewDlg* view : {static_cast<CAttributeViewDlg*>(&raw),
                                  static_cast<CAttributeViewDlg*>(&quick)}) {
    QTreeView* list = view->list();
    const int rows = list->model()->rowCount();
    const QModelIndex last = list->model()->index(rows - 1, 0);
    EXPECT_EQ(last.data().toString(), QStringLiteral("C2"));
    // The numbers the drawing compares are not columns of the view at all.
    EXPECT_EQ(view->listModel()->columnCount(), kViewColumns);
    EXPECT_EQ(list->model()->columnCount(), 4);
    // Exactly as tall as the rows, the window as tall as the list allows.
    const int rowHeight = ViewListDelegate::RowHeight(list->font());
    EXPECT_EQ(list->height(), list->header()->sizeHint().height() + rows * rowHeight + 2);
    EXPECT_EQ(view->height(), ViewClientHeight(view == &raw ? ViewKind::kRaw : ViewKind::kQuick,
                                               list->height(), LogicalDpi(view)));
    EXPECT_GT(view->closeButton()->geometry().top(), list->geometry().bottom());
    EXPECT_TRUE(QFontInfo(view->diskLine()->font()).bold());
    EXPECT_EQ(view->diskLine()->text(), QStringLiteral("WDC WD10EADS, 500.1 GB [Serial: WD-1]"));
    EXPECT_EQ(view->statusLabel()->palette().color(QPalette::Window), QColor(127, 127, 127));
  }
  EXPECT_EQ(raw.list()->model()->rowCount(), 2);
  EXPECT_EQ(quick.list()->model()->rowCount(), 3);
  EXPECT_EQ(raw.list()->model()->index(0, 2).data().toString(), QStringLiteral("1099511627777"));
  EXPECT_EQ(raw.windowTitle(), QStringLiteral("Torvel - SMART Raw data view"));
  EXPECT_EQ(quick.windowTitle(), QStringLiteral("Torvel - SMART status Quick View"));
  EXPECT_EQ(quick.closeButton()->tooltipText(), QStringLiteral("Close "));
  EXPECT_EQ(quick.helpButton()->tooltipText(), QStringLiteral("Click for help"));
  EXPECT_EQ(quick.legendLabels()[2]->text(), QStringLiteral("Threshold value"));

  raw.helpButton()->click();
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QCoreApplication::sendEvent(&quick, &f1);
  EXPECT_EQ(world.ui.helpTopics, (std::vector<std::string>{kRawViewHelpTopic, kQuickViewHelpTopic}));
}

// On a 600-pixel netbook screen (the tests' offscreen screen): thirty
// attributes would not fit.
TEST_F(ViewsTest, ThirtyAttributesScrollInsteadOfLeavingTheScreen) {
  for (int slot = 0; slot < 30; ++slot) SetAttribute(world, 2, slot, slot + 1, 100, 10, slot + 1);
  CQuickViewDlg quick(world.env, nullptr);
  CRawViewDlg raw(world.env, nullptr);
  const int screen = QGuiApplication::primaryScreen()->availableGeometry().height();
  ASSERT_EQ(screen, 600);
  for (CAttributeViewDlg* view : {static_cast<CAttributeViewDlg*>(&quick), static_cast<CAttributeViewDlg*>(&raw)}) {
    ASSERT_EQ(view->list()->model()->rowCount(), 30);
    EXPECT_LE(view->height() + kTitleBarAllowance, screen);
    EXPECT_EQ(view->list()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The columns make room for the scroll bar: none runs under it.
    int columns = 0;
    for (int c = 0; c < kViewColumns; ++c) columns += view->list()->isColumnHidden(c) ? 0 : view->list()->columnWidth(c);
    const int bar = view->list()->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view->list());
    EXPECT_LE(columns, view->list()->width() - 2 * view->list()->frameWidth() - bar);
  }
}

TEST_F(ViewsTest, HeaderSortsTheRawValuesAsNumbersAndCtrlCCopiesTheListAsShown) {
  CRawViewDlg raw(world.env, nullptr);
  raw.show();
  QTreeView* list = raw.list();
  auto ids = [list] {
    std::string out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
      out += list->model()->index(r, 0).data().toString().toStdString() + " ";
    return out;
  };
  ASSERT_EQ(ids(), "09 C2 ");
  // 45 against 1099511627777: as text "1..." would come first.
  QHeaderView* header = list->header();
  const QPoint rawHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, rawHeader);
  EXPECT_EQ(ids(), "C2 09 ");
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, rawHeader);
  EXPECT_EQ(ids(), "09 C2 ");
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, rawHeader);

  // Every row as shown (the view has no selection), the status in words.
  const auto& rows = raw.listModel()->rows();
  const QString expected =
      ToQt("C2\t" + rows[1].texts[1] + "\t45\t5 down, better\n" + "09\t" + rows[0].texts[1] +
           "\t1099511627777\t2 down, worse\n");
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&raw, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expected.toStdString());
  EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu);
  EXPECT_TRUE(list->actions().contains(raw.copyAction()));

  // Screen readers get four columns, the status in words.
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
  ASSERT_NE(table->tableInterface(), nullptr);
  EXPECT_EQ(table->tableInterface()->columnCount(), 4);
  EXPECT_EQ(table->tableInterface()->cellAt(0, 3)->text(QAccessible::Name), "5 down, better");

  // The quick view sorts its graph by the value it draws: 35, 97, 100.
  CQuickViewDlg quick(world.env, nullptr);
  quick.show();
  QHeaderView* quickHeader = quick.list()->header();
  QTest::mouseClick(quickHeader->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(quickHeader->sectionViewportPosition(2) + 5, quickHeader->height() / 2));
  QStringList quickIds;
  for (int r = 0; r < 3; ++r) quickIds << quick.list()->model()->index(r, 0).data().toString();
  EXPECT_EQ(quickIds.join(' ').toStdString(), "C2 09 01");
  EXPECT_EQ(quick.list()->model()->index(2, 2).data(Qt::AccessibleTextRole).toString(),
            "Value 100, threshold 51");
}

TEST(ViewsLogic, SortKeysAndCellWords) {
  ViewRow hot = Row(194, 0, 45, 40);
  hot.texts[1] = "Temperature";
  hot.texts[2] = "45";
  ViewRow hours = Row(9, 0, 97, 99);
  hours.texts[2] = "1099511627777";
  EXPECT_LT(ViewSortKey(hot, ViewKind::kRaw, 2), ViewSortKey(hours, ViewKind::kRaw, 2));
  // The quick view's graph column holds no text: the value decides.
  EXPECT_LT(ViewSortKey(hot, ViewKind::kQuick, 2), ViewSortKey(hours, ViewKind::kQuick, 2));
  EXPECT_LT(ViewSortKey(hours, ViewKind::kRaw, 0), ViewSortKey(hot, ViewKind::kRaw, 0));
  // Hotter is worse: the temperature sorts before the two-down hours.
  EXPECT_LT(ViewSortKey(hot, ViewKind::kRaw, 3), ViewSortKey(hours, ViewKind::kRaw, 3));
  EXPECT_EQ(ViewCellText(hot, ViewKind::kRaw, 3), "5 up, worse");
  EXPECT_EQ(ViewCellText(hot, ViewKind::kRaw, 2), "45");
  EXPECT_EQ(ViewCellText(hot, ViewKind::kQuick, 2), "Value 45, threshold 0");
  EXPECT_EQ(ViewCellText(hot, ViewKind::kQuick, 1), "Temperature");
}

}  // namespace
}  // namespace torvel
