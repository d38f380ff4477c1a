#include "ui/logic/main_window_logic.h"

#include <gtest/gtest.h>

#include "config/language.h"
#include "config/settings_store.h"
#include "base/time_format.h"

namespace torvel {
namespace {

TEST(MainWindowLogic, PollIntervalInHoursOrMinutes) {
  MemorySettingsStore store;
  EXPECT_EQ(PollIntervalSeconds(store), 3600);  // every 1 hour by default
  store.WriteProfileInt("Options", "TimeType", 1);
  EXPECT_EQ(PollIntervalSeconds(store), 30 * 60);  // minutes default to 30
  store.WriteProfileInt("Options", "PollEvery", 45);
  EXPECT_EQ(PollIntervalSeconds(store), 2700);
  store.WriteProfileInt("Options", "TimeType", 0);
  store.WriteProfileInt("Options", "PollEvery", 2);
  EXPECT_EQ(PollIntervalSeconds(store), 7200);
}

TEST(MainWindowLogic, NextCheckMovesOnWhenPastOrRescheduled) {
  EXPECT_EQ(NextCheckTime(1000, 3600, 2000, false), 4600);
  EXPECT_EQ(NextCheckTime(1000, 3600, 4600, false), 8200);  // due now: one interval from now
  EXPECT_EQ(NextCheckTime(1000, 3600, 2000, true), 5600);
}

class StatusLine : public testing::Test {
 protected:
  StatusLine() {
    tables.records[1].model = "Disk";
    tables.records[1].serial = "SN1";
    store.WriteProfileInt("Options", "Selected drive", 1);
    texts.slots[26] = "Last check";
    texts.slots[27] = "Next check";
    texts.slots[28] = "Drives never checked";
  }
  std::string Line(bool scheduleChanged = false) {
    return StatusLineText(tables, store, texts, now, scheduleChanged);
  }
  static std::string At(std::int64_t t) { return FormatStatusLineTime(LocalTime(t)); }

  DriveTables tables;
  MemorySettingsStore store;
  TextTable texts{"MainDialog"};
  std::int64_t now = 1'800'000'000;
};

TEST_F(StatusLine, NeverCheckedShowsOnlyTheNextCheckOrSaysSo) {
  EXPECT_EQ(Line(), "Next check: " + At(now + 3600));
  store.WriteProfileInt("Options", "AutoCheck", 0);
  EXPECT_EQ(Line(), "Drives never checked");
}

TEST_F(StatusLine, LastAndNextCheckWithTwoBlanksBeforeTheHour) {
  const std::int64_t last = now - 600;
  store.WriteProfileInt("SN1", "LastCheck", static_cast<int>(last));
  EXPECT_EQ(Line(), "Last check: " + At(last) + "   -   Next check: " + At(last + 3600));
  EXPECT_NE(At(last).find("  "), std::string::npos);
  store.WriteProfileInt("Options", "AutoCheck", 0);
  EXPECT_EQ(Line(), "Last check: " + At(last));
}

TEST_F(StatusLine, OldLastCheckOrRescheduleCountsFromNow) {
  store.WriteProfileInt("SN1", "LastCheck", static_cast<int>(now - 100000));
  EXPECT_NE(Line().find("Next check: " + At(now + 3600)), std::string::npos);
  store.WriteProfileInt("SN1", "LastCheck", static_cast<int>(now - 10));
  EXPECT_NE(Line(true).find("Next check: " + At(now + 3600)), std::string::npos);
}

TEST_F(StatusLine, EmptyWhenTheSelectedSlotHoldsNoDrive) {
  store.WriteProfileInt("Options", "Selected drive", 5);
  EXPECT_EQ(Line(), "");
  store.WriteProfileInt("Options", "Selected drive", 99);
  EXPECT_EQ(Line(), "");
}

TEST(MainWindowLogic, FirstDriveInUseSearchesUpwardThenWraps) {
  DriveTables tables;
  EXPECT_EQ(FirstDriveInUse(tables, 3), 0);  // no drive at all
  tables.records[2].model = "A";
  tables.records[7].model = "B";
  EXPECT_EQ(FirstDriveInUse(tables, 2), 2);
  EXPECT_EQ(FirstDriveInUse(tables, 3), 7);
  EXPECT_EQ(FirstDriveInUse(tables, 8), 2);
  EXPECT_EQ(FirstDriveInUse(tables, -4), 2);
}

TEST(MainWindowLogic, DriveListTexts) {
  EXPECT_EQ(DriveCapacityText(1.0f), "1000 MB");
  EXPECT_EQ(DriveCapacityText(2.5f), "2.5 GB");
  EXPECT_EQ(DriveTemperatureText(0), "n/a");
  EXPECT_EQ(DriveTemperatureText(41), "41 \xB0" "C");
  DriveRecord r;
  r.deviceType = kDeviceAta;
  r.driveNumber = 3;
  EXPECT_EQ(LocationText(r), "Secondary/Slave");
  r.driveNumber = 4;
  EXPECT_EQ(LocationText(r), "");
  r.driveNumber = 0;
  r.deviceType = kDeviceNone;
  EXPECT_EQ(LocationText(r), "");
}

TEST(MainWindowLogic, StatusCellTextAndColour) {
  DriveRecord r;
  r.smartSupported = 1;
  EXPECT_EQ(DriveStatusCell(r, true, false).text, "OK");
  EXPECT_EQ(DriveStatusCell(r, true, false).colour, (Rgb{0, 130, 0}));
  EXPECT_EQ(DriveStatusCell(r, true, true).colour, kRgbWhite);
  EXPECT_EQ(DriveStatusCell(r, false, true).colour, (Rgb{150, 150, 150}));  // grey wins over white
  r.tec = 1;
  EXPECT_EQ(DriveStatusCell(r, true, false).text, "Bad");
  EXPECT_EQ(DriveStatusCell(r, true, false).colour, (Rgb{240, 0, 0}));
  r.smartSupported = 0;
  EXPECT_EQ(DriveStatusCell(r, true, false).text, "N/A");  // before the T.E.C. flag
  EXPECT_EQ(DriveStatusCell(r, true, false).colour, (Rgb{150, 150, 130}));
  EXPECT_TRUE(DriveRowGreyed(r, true));
  r.smartSupported = 1;
  EXPECT_FALSE(DriveRowGreyed(r, true));
  EXPECT_TRUE(DriveRowGreyed(r, false));
}

TEST(MainWindowLogic, SizesAt96And120PixelsPerInch) {
  EXPECT_EQ(ColumnMargin(0x60000, 96), 0);
  EXPECT_EQ(ColumnMargin(0x60000, 120), 3);
  EXPECT_EQ(ColumnMargin(0x50052, 120), 0);
  EXPECT_EQ(DriveListColumnWidths(446, 0), (std::array<int, 6>{179, 110, 60, 45, 50, 0}));
  EXPECT_EQ(DriveListColumnWidths(520, 3), (std::array<int, 6>{241, 113, 63, 48, 53, 0}));
}

TEST(MainWindowLogic, DriveColumnsTakeWhatTheirTextsNeed) {
  // Short texts keep the designed widths.
  EXPECT_EQ(DriveListColumnWidths(446, 0, {0, 80, 50, 40, 30}), (std::array<int, 6>{179, 110, 60, 45, 50, 0}));
  // A wider capacity at a larger font is taken from the model.
  EXPECT_EQ(DriveListColumnWidths(520, 3, {0, 90, 70, 40, 30}), (std::array<int, 6>{234, 113, 70, 48, 53, 0}));
  // A long location stops where the model would keep less than two fifths.
  const auto wide = DriveListColumnWidths(446, 0, {0, 400, 50, 40, 30});
  EXPECT_EQ(wide[0], 446 * 2 / 5);
  EXPECT_EQ(wide[0] + wide[1] + wide[2] + wide[3] + wide[4], 444);
  // ... but never below its designed width.
  EXPECT_EQ(DriveListColumnWidths(300, 0, {0, 400, 50, 40, 30})[1], 110);
}

TEST(MainWindowLogic, DriveListShowsWholeRowsUpToEight) {
  // At the least height: the designed rows, however many drives.
  EXPECT_EQ(DriveListRows(12, 3, 0, 20), 3);
  // Taller: a row per row height, never more than the drives...
  EXPECT_EQ(DriveListRows(12, 3, 39, 20), 4);
  EXPECT_EQ(DriveListRows(5, 3, 400, 20), 5);
  // ... nor more than eight.
  EXPECT_EQ(DriveListRows(12, 3, 400, 20), 8);
  // Fewer drives than designed rows keep the designed height.
  EXPECT_EQ(DriveListRows(1, 3, 400, 20), 3);
  EXPECT_EQ(DriveListRows(0, 0, 0, 0), 1);
  EXPECT_EQ(MainWindowLimits(0x60000, 96).width, 494);
  EXPECT_EQ(MainWindowLimits(0x60000, 96).minHeight, 380);
  EXPECT_EQ(MainWindowLimits(0x50052, 96).minHeight, 372);
  EXPECT_EQ(MainWindowLimits(0x60000, 120).width, 574);
  EXPECT_EQ(MainWindowLimits(0x60000, 120).minHeight, 462);
  EXPECT_EQ(MainWindowLimits(0x50052, 120).minHeight, 444);
}

TEST(MainWindowLogic, PagePlacementAndHeights) {
  EXPECT_EQ(PagePlacement({0, 0, 474, 240}, {2, 2, 60, 22}), (Rect{2, 23, 470, 239}));
  EXPECT_EQ(ResizedPageHeight(240, 96), 215);
  EXPECT_EQ(ResizedPageHeight(240, 120), 214);
  EXPECT_EQ(TabControlHeight(380, 84, 96), 274);
  EXPECT_EQ(TabControlHeight(380, 84, 120), 271);
}

TEST(MainWindowLogic, HelpTopicPerPage) {
  EXPECT_EQ(PageHelpTopic(1), "Torvel Help.chm::\\html\\Smart Info tab.htm");
  EXPECT_EQ(PageHelpTopic(4), "Torvel Help.chm::\\html\\About tab.htm");
  EXPECT_EQ(PageHelpTopic(5), "Torvel Help.chm");
  EXPECT_EQ(PageHelpTopic(-1), "Torvel Help.chm");
  EXPECT_EQ(MainWindowTitle(), "Torvel 2.41");
}

}  // namespace
}  // namespace torvel
