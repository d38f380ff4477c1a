// What the S.M.A.R.T. info page shows for a drive, without the toolkit: one
// row per attribute slot in use (keyed by the attribute's id), the T.E.C.
// months and the nearest T.E.C. date, the row summaries and the column widths.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/logic/hot_list_logic.h"

namespace torvel {

class SettingsStore;
struct AttributeEntry;
struct DriveRecord;
struct DriveTables;

inline constexpr const char* kSmartInfoHelpTopic = "Torvel Help.chm::\\html\\Smart Info tab.htm";
inline constexpr int kAttributeColumns = 8;

struct AttributeRow {
  int slot = 0;  // the attribute's place in the drive's table when filled
  AttributeRowState state;
  // Columns 0 to 6, Windows-1252; column 7 is drawn.
  std::array<std::string, kAttributeColumns - 1> texts;
  std::string summary;  // the row button's tooltip
  std::int64_t tec = 0;  // the T.E.C. date column 2 shows; 0 for none
};

struct AttributePage {
  std::vector<AttributeRow> rows;
  // The earliest T.E.C. date still ahead, seconds since 1970.
  std::optional<std::int64_t> nearestTec;
};

// The rows of drive `drive` in slot order, empty slots left out. A stored
// T.E.C. date already past is written back as 0 and shows nothing. Nothing
// for a drive without S.M.A.R.T. support.
AttributePage BuildAttributePage(const DriveTables& tables, int drive, SettingsStore& store,
                                 std::int64_t now);

// The name column: the attribute's shown name, and its raw value in
// brackets when its unit is known ("Power-on Hours Count (9818 h)").
std::string AttributeNameText(int id, const AttributeEntry& entry, const DriveRecord& record);

// Reads the row's two settings again (the list draws them).
AttributeRowState ReadRowState(const DriveTables& tables, int drive, int slot,
                               SettingsStore& store);

// The row button's text for attribute `id` of drive `drive`:
// how the attribute notifies, ending in "[Click to edit]".
std::string RowSummary(const DriveTables& tables, int drive, int id, SettingsStore& store);

// "<key 14> <%d %B %Y>" when there is a date, else empty.
std::string NearestTecText(const std::string& label, std::optional<std::int64_t> nearest);

// The slot of drive `drive` that now holds attribute `id`; -1 when none does.
int SlotOfAttribute(const DriveTables& tables, int drive, int id);

// What cell `column` of `row` says: its text, and for the drawn status cell
// the words of StatusCellText.
std::string AttributeCellText(const AttributeRow& row, int column);

// The key cell `column` of `row` sorts by: the id, the thresholds and values
// as numbers, the T.E.C. month by its date (rows without one last), the
// name as text and the status by StatusSortKey.
CellSortKey AttributeSortKey(const AttributeRow& row, int column);

// Widths of the eight columns for a list `clientWidth` wide (a = 10 at 120
// logical pixels per inch, column 1 takes what is left).
std::array<int, kAttributeColumns> AttributeColumnWidths(int clientWidth, int logicalDpi);

}  // namespace torvel
