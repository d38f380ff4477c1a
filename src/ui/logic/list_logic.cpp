#include "ui/logic/list_logic.h"

#include <charconv>

namespace torvel {

CellSortKey TextSortKey(std::string_view text) {
  if (text.empty()) return EmptySortKey();
  CellSortKey key;
  key.text.reserve(text.size());
  // ASCII only: the names are English, and Windows-1252's upper half has no
  // reliable case pairs to fold.
  for (char c : text) key.text += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
}

CellSortKey DecimalSortKey(std::string_view text) {
  std::int64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || at != end) return EmptySortKey();
  return NumberSortKey(number);
}

CellSortKey NumberSortKey(std::int64_t number) {
  CellSortKey key;
  key.number = number;
  return key;
}

CellSortKey EmptySortKey() {
  CellSortKey key;
  key.group = 1;
  return key;
}

std::string RowsAsText(const std::vector<std::vector<std::string>>& rows,
                       const std::vector<int>& columns) {
  std::string out;
  for (const std::vector<std::string>& row : rows) {
    bool first = true;
    for (int column : columns) {
      if (!first) out += '\t';
      first = false;
      if (column < 0 || static_cast<std::size_t>(column) >= row.size()) continue;
      for (char c : row[static_cast<std::size_t>(column)])
        out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
    out += '\n';
  }
  return out;
}

}  // namespace torvel
