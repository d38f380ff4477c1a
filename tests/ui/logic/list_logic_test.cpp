#include "ui/logic/list_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/logic/hot_list_logic.h"

namespace torvel {
namespace {

// The texts in the order their keys sort them, as the lists show them.
std::vector<std::string> ListLogicSorted(std::vector<std::string> texts,
                                         CellSortKey (*key)(std::string_view)) {
  std::stable_sort(texts.begin(), texts.end(),
                   [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
  return texts;
}

TEST(ListSortKeys, NumbersByValueTextsWithoutCaseBlanksLast) {
  // As text "117" would come before "9" and "1099511627777" before "2".
  EXPECT_EQ(ListLogicSorted({"117", "9", "", "1099511627777", "2", "10"}, DecimalSortKey),
            (std::vector<std::string>{"2", "9", "10", "117", "1099511627777", ""}));
  // Anything that is not wholly a number sorts with the blanks, not as 0.
  EXPECT_EQ(DecimalSortKey("12 h"), EmptySortKey());
  EXPECT_EQ(DecimalSortKey("-"), EmptySortKey());
  EXPECT_LT(DecimalSortKey("-3"), DecimalSortKey("0"));
  EXPECT_LT(NumberSortKey(255), EmptySortKey());

  EXPECT_EQ(ListLogicSorted({"Spin-Up Time", "raw Read Error Rate", "Seek Error Rate", ""}, TextSortKey),
            (std::vector<std::string>{"raw Read Error Rate", "Seek Error Rate", "Spin-Up Time", ""}));
  EXPECT_EQ(TextSortKey("Temperature"), TextSortKey("TEMPERATURE"));
  EXPECT_LT(TextSortKey("Temperature"), EmptySortKey());
}

TEST(ListSortKeys, StatusSortsWorstFirstAndTheTemperatureTheOtherWay) {
  // id, threshold, value, last saved.
  const CellSortKey bad = StatusSortKey(5, 36, 36, 36);
  const CellSortKey fellFive = StatusSortKey(5, 36, 95, 100);
  const CellSortKey fellOne = StatusSortKey(5, 36, 99, 100);
  const CellSortKey steady = StatusSortKey(5, 36, 100, 100);
  const CellSortKey rose = StatusSortKey(5, 36, 101, 100);
  EXPECT_LT(bad, fellFive);
  EXPECT_LT(fellFive, fellOne);
  EXPECT_LT(fellOne, steady);
  EXPECT_LT(steady, rose);
  // Hotter is worse; a threshold of 0 is never reached.
  EXPECT_LT(StatusSortKey(kTemperatureAttribute, 0, 45, 40), StatusSortKey(kTemperatureAttribute, 0, 40, 40));
  EXPECT_LT(StatusSortKey(kTemperatureAttribute, 0, 40, 40), StatusSortKey(kTemperatureAttribute, 0, 35, 40));
  EXPECT_EQ(StatusSortKey(9, 0, 0, 0), steady);
}

TEST(ListStatusText, SaysWhatTheArrowShows) {
  AttributeRowState row;
  row.id = 5;
  row.threshold = 36;
  row.value = 98;
  row.lastSaved = 100;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, false)), "2 down, worse");
  row.value = 103;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, true)), "3 up, better");
  row.value = 100;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, false)), "OK");
  row.threshold = 100;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, false)), "Bad");
  row.id = kTemperatureAttribute;
  row.threshold = 0;
  row.value = 44;
  row.lastSaved = 40;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, false)), "4 up, worse");
  row.value = 38;
  EXPECT_EQ(StatusCellText(AttributeStatusCell(row, false)), "2 down, better");
}

TEST(ListCopyText, VisibleColumnsInViewOrderTabbedOneLineEach) {
  const std::vector<std::vector<std::string>> rows = {
      {"05", "Reallocated Sector Count", "", "140", "hidden"},
      {"C2", "Temperature\t(41\xB0" "C)", "March 2027", "0", "hidden"},
  };
  EXPECT_EQ(RowsAsText(rows, {0, 1, 2, 3}),
            "05\tReallocated Sector Count\t\t140\n"
            "C2\tTemperature (41\xB0" "C)\tMarch 2027\t0\n");
  // The header's order, not the model's; a column left out is not there at all.
  EXPECT_EQ(RowsAsText({rows[0]}, {3, 0}), "140\t05\n");
  EXPECT_EQ(RowsAsText({{"a\r\nb"}}, {0}), "a  b\n");
  EXPECT_EQ(RowsAsText({}, {0, 1}), "");
}

}  // namespace
}  // namespace torvel
