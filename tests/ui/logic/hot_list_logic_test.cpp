#include "ui/logic/hot_list_logic.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

AttributeRowState Row(int id, int threshold, int value, int lastSaved) {
  AttributeRowState r;
  r.id = id;
  r.threshold = threshold;
  r.value = value;
  r.lastSaved = lastSaved;
  return r;
}

TEST(AttributeColours, ValueThresholdAndHistory) {
  // Unchanged and above the threshold: default colours, healthy.
  const AttributeRowState steady = Row(1, 97, 100, 100);
  for (int c = 0; c < 7; ++c) EXPECT_FALSE(CellTextColour(steady, c, false)) << c;
  AttributeStatusLook look = AttributeStatusCell(steady, false);
  EXPECT_FALSE(look.showsChange);
  EXPECT_EQ(look.text, "OK");
  EXPECT_EQ(look.colour, kRgbOkGreen);

  // At the threshold: red everywhere, "Bad" while unchanged...
  const AttributeRowState atThreshold = Row(1, 97, 97, 97);
  EXPECT_EQ(CellTextColour(atThreshold, 4, false), kRgbBadRed);
  look = AttributeStatusCell(atThreshold, false);
  EXPECT_EQ(look.text, "Bad");
  EXPECT_EQ(look.colour, kRgbBadRed);
  // ...a red number once it moved, even when it rose to get there.
  look = AttributeStatusCell(Row(1, 97, 97, 95), false);
  EXPECT_TRUE(look.showsChange);
  EXPECT_EQ(look.text, "2");
  EXPECT_EQ(look.colour, kRgbBadRed);
  EXPECT_EQ(look.arrow, Arrow::kBlueUp);

  // Threshold 0 and value 0: red text, but a threshold of 0 is never "Bad".
  const AttributeRowState zero = Row(9, 0, 0, 0);
  EXPECT_EQ(CellTextColour(zero, 1, false), kRgbBadRed);
  EXPECT_EQ(AttributeStatusCell(zero, false).text, "OK");

  // Fell from 100 to 98: red, 2, red arrow down.
  const AttributeRowState fell = Row(5, 36, 98, 100);
  EXPECT_EQ(CellTextColour(fell, 3, false), kRgbBadRed);
  look = AttributeStatusCell(fell, false);
  EXPECT_EQ(look.text, "2");
  EXPECT_EQ(look.colour, kRgbBadRed);
  EXPECT_EQ(look.arrow, Arrow::kRedDown);
  // Rose: blue with a blue arrow up.
  EXPECT_EQ(CellTextColour(Row(5, 36, 101, 100), 3, false), kRgbBetterBlue);
  EXPECT_EQ(AttributeStatusCell(Row(5, 36, 101, 100), false).arrow, Arrow::kBlueUp);

  // A selected row is white whatever the value says.
  EXPECT_EQ(CellTextColour(fell, 3, true), kRgbWhite);
  EXPECT_EQ(AttributeStatusCell(fell, true).colour, kRgbWhite);
  EXPECT_EQ(AttributeStatusCell(atThreshold, true).colour, kRgbWhite);
}

TEST(AttributeColours, TemperatureIsWorseWhenItRisesAndHasNoThreshold) {
  const AttributeRowState warmer = Row(kTemperatureAttribute, 0, 45, 40);
  EXPECT_EQ(CellTextColour(warmer, 1, false), kRgbBadRed);
  AttributeStatusLook look = AttributeStatusCell(warmer, false);
  EXPECT_EQ(look.text, "5");
  EXPECT_EQ(look.arrow, Arrow::kRedUp);
  EXPECT_EQ(look.colour, kRgbBadRed);

  const AttributeRowState cooler = Row(kTemperatureAttribute, 0, 35, 40);
  EXPECT_EQ(CellTextColour(cooler, 1, false), kRgbBetterBlue);
  look = AttributeStatusCell(cooler, false);
  EXPECT_EQ(look.text, "5");
  EXPECT_EQ(look.arrow, Arrow::kBlueDown);
  EXPECT_EQ(look.colour, kRgbBetterBlue);

  // A temperature below its threshold byte is not coloured for it.
  EXPECT_FALSE(CellTextColour(Row(kTemperatureAttribute, 50, 45, 45), 1, false));
}

TEST(AttributeColours, NotMonitoredIsGreyUntilTheValueSpeaks) {
  AttributeRowState quiet = Row(9, 0, 79, 79);
  quiet.monitored = false;
  EXPECT_EQ(CellTextColour(quiet, 0, false), kRgbGreyText);
  EXPECT_FALSE(CellTextColour(quiet, 1, false));
  EXPECT_EQ(AttributeStatusCell(quiet, false).colour, kRgbStatusGrey);
  AttributeRowState moved = Row(9, 0, 78, 79);
  moved.monitored = false;
  EXPECT_EQ(CellTextColour(moved, 0, false), kRgbBadRed);
  EXPECT_EQ(AttributeStatusCell(moved, false).colour, kRgbStatusGrey);
}

TEST(AttributeRowGround, CustomSettingsLightBlueOddRowsShadedOnlyWithTodaysControls) {
  AttributeRowState row = Row(1, 6, 100, 100);
  EXPECT_FALSE(RowBackground(row, 0, kControlsVersion6));
  EXPECT_EQ(RowBackground(row, 1, kControlsVersion6), kRgbShadedRow);
  EXPECT_FALSE(RowBackground(row, 1, 0x50052));
  row.customThresholds = true;
  EXPECT_EQ(RowBackground(row, 0, 0x50052), kRgbCustomRow);
  EXPECT_EQ(RowBackground(row, 1, kControlsVersion6), kRgbCustomRow);
  row.monitored = false;  // the grey of an ignored attribute wins over blue
  EXPECT_FALSE(RowBackground(row, 0, kControlsVersion6));
}

TEST(StatusCellLayout, ArrowAndNumberCentredTogether) {
  const StatusCellLayout l = LayOutStatusCell(300, 40, 46, 17, 7);
  EXPECT_EQ(l.arrowLeft, 300 + (46 - 7 - 11) / 2);
  EXPECT_EQ(l.arrowTop, 40 + (17 - 16) / 2);
  EXPECT_EQ(l.numberLeft, l.arrowLeft + 16);
  EXPECT_EQ(l.numberTop, l.arrowTop + 1);
  // A cell lower than the arrow puts it above the cell's top.
  EXPECT_EQ(LayOutStatusCell(0, 10, 46, 14, 7).arrowTop, 9);
}

TEST(ShortenText, CutsFromTheEndUntilTheEllipsisFits) {
  const auto sixEach = [](std::string_view s) { return static_cast<int>(s.size()) * 6; };
  EXPECT_EQ(ShortenText("Spin Up Time", 12 * 6 + 12, 12, sixEach), "Spin Up Time");
  EXPECT_EQ(ShortenText("", 0, 12, sixEach), "");
  // 100 px less the margin 12 and "..." (18) leaves 70 px: 11 characters.
  const std::string cut = ShortenText("Current Pending Sector Count", 100, 12, sixEach);
  EXPECT_EQ(cut, "Current Pen...");
  EXPECT_LE(sixEach(cut) + 12, 100);
  // Never fewer than one character.
  EXPECT_EQ(ShortenText("Temperature", 5, 4, sixEach), "T...");
}

}  // namespace
}  // namespace torvel
