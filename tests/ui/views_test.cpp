// The raw and quick views: which rows they list, their colours and status
// cells, the quick view's graph arithmetic, and both windows over a drive.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <QStyle>

#include <QScreen>

#include <QCoreApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeView>

#include "config/keys.h"
#include "support/window_env.h"
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
    for (int c = 4; c < kViewColumns; ++c) EXPECT_TRUE(list->isColumnHidden(c));
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

}  // namespace
}  // namespace torvel
