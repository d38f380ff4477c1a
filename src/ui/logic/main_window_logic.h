// The main window's decisions without the toolkit: the drive list's texts
// and status cell, the status line, sizes and places. The window only wires.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "drive/drive_tables.h"
#include "ui/logic/colours.h"

namespace torvel {

class SettingsStore;
struct TextTable;

inline constexpr int kPageCount = 5;
inline constexpr const char* kMainWindowHelpTopic = "Torvel Help.chm::\\html\\Main window.htm";
inline constexpr const char* kHelpFileTopic = "Torvel Help.chm";

// One tab: its text and tooltip keys (section MainDialog) and the index of
// its image in the tab image list.
struct PageTab {
  int textKey;
  int image;
  int tooltipKey;
  const char* helpTopic;
};
inline constexpr std::array<PageTab, kPageCount> kPageTabs = {{
    {6, 0, 14, "Torvel Help.chm::\\html\\General Info tab.htm"},
    {7, 2, 15, "Torvel Help.chm::\\html\\Smart Info tab.htm"},
    {8, 1, 16, "Torvel Help.chm::\\html\\Preferences tab.htm"},
    {9, 3, 17, "Torvel Help.chm::\\html\\Log tab.htm"},
    {10, 4, 18, "Torvel Help.chm::\\html\\About tab.htm"},
}};
// The tab image list: images 0 to 4.
inline constexpr std::array<int, kPageCount> kTabImageIcons = {138, 151, 202, 157, 192};

// The help button's topic for the page shown; the help file itself for an
// index that names no page.
std::string PageHelpTopic(int page);

// "Torvel 2.41": other windows find the main window by this title.
std::string MainWindowTitle();

// The slot the window starts on: the first one in use from `selected`
// upward. When none is, the search starts again at 0 so an out-of-range
// store value cannot stick; with no drive at all it is 0.
int FirstDriveInUse(const DriveTables& tables, int selected);

// Drive list columns 1 to 3.
std::string LocationText(const DriveRecord& record);
std::string DriveCapacityText(float capacityGb);
std::string DriveTemperatureText(int temperature);

// The drawn status cell of a drive row.
struct StatusCellLook {
  std::string text;
  Rgb colour;
};
StatusCellLook DriveStatusCell(const DriveRecord& record, bool monitored, bool selected);
// Rows of drives without S.M.A.R.T. or not monitored have grey text.
bool DriveRowGreyed(const DriveRecord& record, bool monitored);

// m: 3 with today's controls at 120 logical pixels per inch, else 0.
int ColumnMargin(std::uint32_t controlsVersion, int logicalDpi);
// Widths of columns 0 to 5 for a list of `clientWidth` pixels. `content`
// holds what columns 1 to 4 need for their titles and cells (index 0 is
// unused): a column is never narrower than designed, takes what its texts
// need, and the model gets the rest; a long location gives way so the model
// keeps two fifths of the list.
std::array<int, 6> DriveListColumnWidths(int clientWidth, int margin, const std::array<int, 5>& content = {});

// The drive list shows whole rows: the rows its designed height holds, and
// as the window grows beyond its least height, one more for every row's
// height, up to eight or the number of drives.
int DriveListRows(int drives, int designedRows, int extraHeight, int rowHeight);
constexpr int kDriveListMostRows = 8;

struct SizeLimits {
  int width;      // fixed: minimum, maximum and maximised
  int minHeight;  // the maximum height is the screen's
};
SizeLimits MainWindowLimits(std::uint32_t controlsVersion, int logicalDpi);

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};
// Where every page sits inside the tab control.
Rect PagePlacement(const Rect& tabClient, const Rect& firstTabItem);
// A page's height after the tab control was resized to `tabHeight`.
int ResizedPageHeight(int tabHeight, int logicalDpi);
// The tab control's height for a window whose bottom edge is `windowBottom`
// (client coordinates) and a tab control whose top is `tabTop`.
int TabControlHeight(int windowBottom, int tabTop, int logicalDpi);

// The schedule the launcher runs, in seconds: PollEvery minutes with
// TimeType 1, else PollEvery hours.
std::int64_t PollIntervalSeconds(SettingsStore& store);
// The next check after `lastCheck`; `now` + interval when that is past or
// when the schedule was just changed.
std::int64_t NextCheckTime(std::int64_t lastCheck, std::int64_t interval, std::int64_t now,
                           bool scheduleChanged);
// The status line for the drive in Options/Selected drive; empty when that
// slot holds no drive. `texts` is the MainDialog table.
std::string StatusLineText(const DriveTables& tables, SettingsStore& store, const TextTable& texts,
                           std::int64_t now, bool scheduleChanged);

}  // namespace torvel
