// The raw view's and the quick view's decisions without the toolkit: which
// rows they list and with which texts, the rows' colours and status cells,
// the quick view's bar graph, and how tall the windows grow for their rows.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ui/logic/colours.h"
#include "ui/logic/hot_list_logic.h"

namespace torvel {

class SettingsStore;
struct AttributeEntry;
struct DriveRecord;
struct DriveTables;

enum class ViewKind { kRaw, kQuick };

inline constexpr const char* kRawViewHelpTopic = "Torvel Help.chm::\\html\\SMART Raw view.htm";
inline constexpr const char* kQuickViewHelpTopic = "Torvel Help.chm::\\html\\Quick view.htm";

// Columns: 0 ID, 1 name, 2 raw value or graph, 3 status (drawn), and the
// hidden numbers the drawing compares: 4 threshold, 5 value, 6 last saved.
inline constexpr int kViewColumns = 7;
inline constexpr int kViewGraphColumn = 2;
inline constexpr int kViewStatusColumn = 3;

// Keys of the window's texts in its language section.
struct ViewTextKeys {
  const char* section;
  int title;
  int description;
  int diskLabel;
  int firstColumn;  // the four column headers follow it
  int close;
  int closeTooltip;
  int help;
  int helpTooltip;
  int copy;  // the list's context menu
};
inline constexpr ViewTextKeys kRawViewTexts{"RawViewDlg", 1, 9, 4, 5, 2, 2, 3, 3, 10};
inline constexpr ViewTextKeys kQuickViewTexts{"SMARTReportDlg", 1, 13, 2, 3, 9, 9, 12, 11, 14};
// The quick view's legend: "Legend:", "Attribute value", "Threshold value".
inline constexpr std::array<int, 3> kQuickViewLegendKeys = {10, 7, 8};
// Headers of the hidden columns 4 to 6, fixed English.
inline constexpr std::array<const char*, 3> kViewHiddenHeaders = {"Threshold", "Value",
                                                                  "Last saved"};

// Column widths for a list `listWidth` wide: the name takes what the fixed
// columns leave; the numbers the drawing reads are hidden.
std::array<int, kViewColumns> ViewColumnWidths(ViewKind kind, int listWidth);

struct ViewRow {
  int slot = 0;
  int id = 0;
  int threshold = 0;
  int value = 0;
  int lastSaved = 0;
  std::array<std::string, kViewColumns> texts;  // Windows-1252
};

struct ViewContent {
  std::string diskLine;  // empty when no drive is at the index
  std::vector<ViewRow> rows;
};

// The rows of drive `drive` in slot order: every slot in use, and in the raw
// view only those with a raw value. Nothing when no drive is there.
ViewContent BuildViewContent(const DriveTables& tables, int drive, SettingsStore& store,
                             ViewKind kind);

// "%s, %.1f GB [Serial: %s]".
std::string ViewDiskLine(const DriveRecord& record);
// The 48-bit raw value in decimal, in full.
std::string RawValueText(const AttributeEntry& entry);

// The row's text colour; nothing keeps the list's own. At or below its
// threshold a row is red; else a change is red when worse and blue when
// better, and for the temperature worse is up.
std::optional<Rgb> ViewRowColour(const ViewRow& row);
// "OK"/"Bad", or the change with its arrow in the row's colour.
AttributeStatusLook ViewStatusCell(const ViewRow& row);

// What cell `column` of `row` says in words: its text; the status cell as
// StatusCellText; the quick view's graph as its two numbers.
std::string ViewCellText(const ViewRow& row, ViewKind kind, int column);
// The key the cell sorts by: numbers as numbers, the name as text, the
// quick view's graph by the value it draws, the status by StatusSortKey.
CellSortKey ViewSortKey(const ViewRow& row, ViewKind kind, int column);

// Where the status cell's image and number go: a 16-pixel image plus the
// number, centred in the cell.
struct ViewStatusLayout {
  int imageLeft = 0;
  int imageTop = 0;
  int numberLeft = 0;
};
ViewStatusLayout LayOutViewStatus(int left, int top, int width, int height, int numberWidth);

// The quick view's bar graph. Pieces are 3 × 4 pixels, in image-list order.
enum GraphPiece {
  kValueStart = 0,
  kValueBody,
  kValueEnd,
  kValueEmpty,
  kThresholdStart,
  kThresholdBody,
  kThresholdEnd,
  kThresholdEmpty,
  kGraphPieceCount
};
inline constexpr int kGraphPieceWidth = 3;
inline constexpr int kGraphPieceHeight = 4;
inline constexpr int kGraphFullScale = 253;
// Resource numbers of the eight pieces, in the order above.
inline constexpr std::array<int, kGraphPieceCount> kGraphPieceBitmaps = {350, 351, 352, 353,
                                                                        354, 355, 356, 357};

// How many pieces the full scale of 253 takes in a cell `cellWidth` wide.
int GraphScale(int cellWidth);
// How many pieces `amount` takes on that scale.
int GraphPieces(int amount, int scale);

struct PlacedPiece {
  GraphPiece piece;
  int x = 0;
  int y = 0;
  friend bool operator==(const PlacedPiece&, const PlacedPiece&) = default;
};
// The pieces of the value bar and the threshold bar of a cell.
std::vector<PlacedPiece> GraphCell(int left, int top, int width, int height, int value,
                                   int threshold);
// One bar of `count` pieces starting at (x, y): `first` is its start piece;
// the body, end and empty pieces follow it in the enum.
void AddBar(std::vector<PlacedPiece>& out, GraphPiece first, int count, int x, int y);

// The list exactly as tall as its rows: none for no rows.
int ViewListHeight(int rowCount, int headerHeight, int rowHeight);
// The window's client height for a list `listHeight` tall.
int ViewClientHeight(ViewKind kind, int listHeight, int logicalDpi);
// The list's height on a screen `screenHeight` pixels tall (its available
// area; 0: unknown): all its rows while the window fits below the title
// bar, else the whole rows that fit (at least three), and it scrolls.
int ViewListHeightOnScreen(int rowCount, int headerHeight, int rowHeight, ViewKind kind, int logicalDpi,
                           int screenHeight);
// What the window manager's title bar and frame take, at most.
inline constexpr int kTitleBarAllowance = 40;

}  // namespace torvel
