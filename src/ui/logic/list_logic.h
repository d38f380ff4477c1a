// What the attribute lists sort by and what they copy, without the toolkit:
// the key a cell sorts by, and the selected rows as the text the clipboard
// gets.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// Keys compare group first: cells with a number or a text (0) before empty
// ones (1), so blanks stay at the end of an ascending list. Then the number,
// then the text, which is lower-cased so that case does not split names.
struct CellSortKey {
  int group = 0;
  std::int64_t number = 0;
  std::string text;
  friend auto operator<=>(const CellSortKey&, const CellSortKey&) = default;
};

// A name or other words.
CellSortKey TextSortKey(std::string_view text);
// A number shown in decimal ("117", "1099511627777"); a cell without one
// sorts as an empty cell, after the numbers.
CellSortKey DecimalSortKey(std::string_view text);
// A number known as a number (an id, a date in seconds).
CellSortKey NumberSortKey(std::int64_t number);
// An empty cell: after every number and text.
CellSortKey EmptySortKey();

// The rows as the clipboard takes them: for each row (in view order) its
// cells of `columns` (the visible ones, in view order), tab-separated, one
// line per row, every line ending in "\n". Tabs and line breaks inside a
// cell become spaces so that the text pastes into the same grid.
std::string RowsAsText(const std::vector<std::vector<std::string>>& rows,
                       const std::vector<int>& columns);

}  // namespace torvel
