#include "ui/logic/hot_list_logic.h"

#include <algorithm>

#include <cstdlib>

#include "base/sprintf.h"

namespace torvel {
namespace {

// The value rules alone: red for worse, blue for better. The temperature
// is worse when it rises and knows no threshold.
std::optional<Rgb> ValueColour(const AttributeRowState& row) {
  if (row.id == kTemperatureAttribute) {
    if (row.value < row.lastSaved) return kRgbBetterBlue;
    if (row.value > row.lastSaved) return kRgbBadRed;
    return std::nullopt;
  }
  if (row.value <= row.threshold || row.value < row.lastSaved) return kRgbBadRed;
  if (row.value > row.lastSaved) return kRgbBetterBlue;
  return std::nullopt;
}

}  // namespace

std::optional<Rgb> CellTextColour(const AttributeRowState& row, int column, bool selected) {
  if (selected) return kRgbWhite;
  if (auto c = ValueColour(row)) return c;
  if (column == 0 && !row.monitored) return kRgbGreyText;
  return std::nullopt;
}

std::optional<Rgb> RowBackground(const AttributeRowState& row, int rowIndex,
                                 std::uint32_t controlsVersion) {
  if (row.monitored && row.customThresholds) return kRgbCustomRow;
  if (controlsVersion >= kControlsVersion6 && rowIndex % 2 == 1) return kRgbShadedRow;
  return std::nullopt;
}

AttributeStatusLook AttributeStatusCell(const AttributeRowState& row, bool selected) {
  const bool bad = row.threshold != 0 && row.value <= row.threshold;
  AttributeStatusLook look;
  const int change = std::abs(row.lastSaved - row.value);
  if (change == 0) {
    look.text = bad ? "Bad" : "OK";
    look.colour = selected ? kRgbWhite : !row.monitored ? kRgbStatusGrey
                                     : bad             ? kRgbBadRed
                                                       : kRgbOkGreen;
    return look;
  }
  look.showsChange = true;
  look.text = Sprintf("%d", change);
  const bool fell = row.value < row.lastSaved;
  if (row.id == kTemperatureAttribute)
    look.arrow = fell ? Arrow::kBlueDown : Arrow::kRedUp;
  else
    look.arrow = fell ? Arrow::kRedDown : Arrow::kBlueUp;
  // The row's colour as the list sets it before the row is drawn.
  if (selected)
    look.colour = kRgbWhite;
  else if (!row.monitored)
    look.colour = kRgbStatusGrey;
  else if (row.value <= row.threshold)
    look.colour = kRgbBadRed;
  else if (row.id == kTemperatureAttribute)
    look.colour = fell ? kRgbBetterBlue : kRgbBadRed;
  else
    look.colour = fell ? kRgbBadRed : kRgbBetterBlue;
  return look;
}

std::string StatusCellText(const AttributeStatusLook& look) {
  switch (look.arrow) {
    case Arrow::kBlueUp: return look.text + " up, better";
    case Arrow::kRedDown: return look.text + " down, worse";
    case Arrow::kRedUp: return look.text + " up, worse";
    case Arrow::kBlueDown: return look.text + " down, better";
    case Arrow::kNone: break;
  }
  return look.text;
}

CellSortKey StatusSortKey(int id, int threshold, int value, int lastSaved) {
  // Values are bytes: any change lies within ±255, so -1000 is below them all.
  if (threshold != 0 && value <= threshold) return NumberSortKey(-1000);
  return NumberSortKey(id == kTemperatureAttribute ? lastSaved - value : value - lastSaved);
}

StatusCellLayout LayOutStatusCell(int left, int top, int width, int height, int numberWidth) {
  StatusCellLayout l;
  l.arrowLeft = left + (width - numberWidth - kArrowWidth) / 2;
  l.arrowTop = top + (height - kArrowHeight) / 2;
  l.numberLeft = l.arrowLeft + 16;
  l.numberTop = l.arrowTop + 1;
  return l;
}

std::string ShortenText(std::string_view text, int width, int margin,
                        const std::function<int(std::string_view)>& measure) {
  if (text.empty() || measure(text) + margin <= width) return std::string(text);
  const int ellipsis = measure("...");
  std::string_view rest = text;
  while (rest.size() > 1 && measure(rest) + ellipsis + margin > width) rest.remove_suffix(1);
  return std::string(rest) + "...";
}

std::vector<int> ColumnsFitTitles(std::vector<int> widths, const std::vector<int>& titles) {
  if (widths.empty() || titles.size() < widths.size()) return widths;
  const auto widest = static_cast<std::size_t>(std::max_element(widths.begin(), widths.end()) - widths.begin());
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c == widest || widths[c] == 0 || titles[c] <= widths[c]) continue;
    const int spare = std::max(0, widths[widest] - titles[widest]);
    const int moved = std::min(spare, titles[c] - widths[c]);
    widths[c] += moved;
    widths[widest] -= moved;
  }
  return widths;
}

}  // namespace torvel
