// The attribute list's drawing decisions without the toolkit: which colour
// a cell's text takes, the row's ground, what the status cell shows and
// where its arrow and number go, and how a text too wide is shortened.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/logic/colours.h"
#include "ui/logic/list_logic.h"

namespace torvel {

inline constexpr int kTemperatureAttribute = 194;
inline constexpr std::uint32_t kControlsVersion6 = 0x60000;

inline constexpr Rgb kRgbHeaderRow{128, 128, 128};

// What a row's drawing reads: the attribute's numbers and its two settings.
struct AttributeRowState {
  int id = 0;
  int threshold = 0;
  int value = 0;
  int lastSaved = 0;  // the value itself while no baseline was saved
  bool baseline = true;
  bool monitored = true;          // "%d", default 1
  bool customThresholds = false;  // "%d-UseCustomThresholds"
};

// Colour of one cell's text; nothing keeps the row's default colour (the
// window text, or the highlight text on a highlighted row). Column 0 of a
// not-monitored attribute starts grey; the value rules override that and a
// selected row is white above all.
std::optional<Rgb> CellTextColour(const AttributeRowState& row, int column, bool selected);

// The ground of a row that is not highlighted; nothing = the window colour.
// Odd rows are shaded only with today's controls; a monitored attribute with
// its own settings is light blue.
std::optional<Rgb> RowBackground(const AttributeRowState& row, int rowIndex,
                                 std::uint32_t controlsVersion);

// Arrow images, indices into the arrow list (bitmaps 304, 303, 318, 319).
enum class Arrow { kNone = -1, kBlueUp = 0, kRedDown = 1, kRedUp = 2, kBlueDown = 3 };
inline constexpr int kArrowBitmaps[4] = {304, 303, 318, 319};
inline constexpr int kArrowWidth = 11;
inline constexpr int kArrowHeight = 16;

struct AttributeStatusLook {
  // Change 0: "OK" or "Bad" in the health font. Otherwise the change as a
  // number beside an arrow.
  bool showsChange = false;
  std::string text;
  Rgb colour;
  Arrow arrow = Arrow::kNone;
};
AttributeStatusLook AttributeStatusCell(const AttributeRowState& row, bool selected);

// What a status cell shows, in words for screen readers and the clipboard:
// "OK", "Bad", or the change and what its arrow says ("2 down, worse").
std::string StatusCellText(const AttributeStatusLook& look);

// The status column's order, worst first: at or below a threshold, then by
// how far the value moved towards better since it was saved (for the
// temperature, falling is better).
CellSortKey StatusSortKey(int id, int threshold, int value, int lastSaved);

// Where the arrow and the number go in a cell at (left, top) of `width` ×
// `height` with a number `numberWidth` wide.
struct StatusCellLayout {
  int arrowLeft = 0;
  int arrowTop = 0;
  int numberLeft = 0;
  int numberTop = 0;
};
StatusCellLayout LayOutStatusCell(int left, int top, int width, int height, int numberWidth);

// The text as drawn in `width` pixels with margin `margin`: unchanged when it
// fits, else cut from the end with "..." added (at least one character kept).
std::string ShortenText(std::string_view text, int width, int margin,
                        const std::function<int(std::string_view)>& measure);
inline constexpr int kFirstColumnMargin = 4;

// Widths at which every shown column's title fits (`titles`: what each
// needs), the room taken from the widest column as long as its own title
// still fits; a shortfall nothing can give stays. Hidden columns (0) stay.
std::vector<int> ColumnsFitTitles(std::vector<int> widths, const std::vector<int>& titles);
inline constexpr int kOtherColumnMargin = 12;

}  // namespace torvel
