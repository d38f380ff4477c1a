#include "ui/logic/views_logic.h"

#include <cstdlib>

#include "drive/drive_tables.h"
#include "drive/attribute_names.h"
#include "drive/smart_data.h"
#include "base/sprintf.h"
#include "monitor/baseline.h"

namespace torvel {
namespace {

// A dialog's fixed frame, each side: the window height the rule gives counts
// it, Qt's client area does not.
constexpr int kDialogFrame = 3;

}  // namespace

std::array<int, kViewColumns> ViewColumnWidths(ViewKind kind, int listWidth) {
  if (kind == ViewKind::kRaw) return {27, listWidth - 246, 160, 56, 0, 0, 0};
  return {27, listWidth - 249, 163, 56, 0, 0, 0};
}

std::string ViewDiskLine(const DriveRecord& record) {
  return Sprintf("%s, %.1f GB [Serial: %s]", record.model.c_str(),
                 static_cast<double>(record.capacity), record.serial.c_str());
}

std::string RawValueText(const AttributeEntry& entry) {
  return Sprintf("%lld", static_cast<long long>(entry.Raw()));
}

ViewContent BuildViewContent(const DriveTables& tables, int drive, SettingsStore& store,
                             ViewKind kind) {
  ViewContent content;
  if (drive < 0 || drive >= kMaxDrives) return content;
  const DriveRecord& record = tables.records[static_cast<std::size_t>(drive)];
  if (!record.InUse()) return content;
  content.diskLine = ViewDiskLine(record);
  const AttributeTable& table = tables.attributes[static_cast<std::size_t>(drive)];
  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const auto n = static_cast<std::size_t>(slot);
    const AttributeEntry& a = table.attributes[n];
    if (a.id == 0) continue;
    if (kind == ViewKind::kRaw && a.Raw() == 0) continue;
    ViewRow row;
    row.slot = slot;
    row.id = a.id;
    row.threshold = table.thresholds[n].threshold;
    row.value = a.value;
    const ComparedValue last = ValueToCompare(store, record.Section(), a.id, a.value);
    row.lastSaved = last.value;
    row.texts[0] = Sprintf("%.2X", a.id);
    row.texts[1] = std::string(AttributeDisplayName(a.id, record));
    if (kind == ViewKind::kRaw) row.texts[2] = RawValueText(a);
    row.texts[4] = Sprintf("%d", row.threshold);
    row.texts[5] = Sprintf("%d", row.value);
    row.texts[6] = last.saved ? Sprintf("%d", row.lastSaved) : std::string();
    content.rows.push_back(std::move(row));
  }
  return content;
}

std::optional<Rgb> ViewRowColour(const ViewRow& row) {
  if (row.threshold >= row.value) return kRgbBadRed;
  if (row.value == row.lastSaved) return std::nullopt;
  const bool worse = row.id == kTemperatureAttribute ? row.value > row.lastSaved
                                                     : row.value < row.lastSaved;
  return worse ? kRgbBadRed : kRgbBetterBlue;
}

AttributeStatusLook ViewStatusCell(const ViewRow& row) {
  AttributeRowState state;
  state.id = row.id;
  state.threshold = row.threshold;
  state.value = row.value;
  state.lastSaved = row.lastSaved;
  // The views take no selection and know nothing of the change switch: the
  // list's own rules then give exactly the views' words, arrows and colours.
  return AttributeStatusCell(state, false);
}

std::string ViewCellText(const ViewRow& row, ViewKind kind, int column) {
  if (column == kViewStatusColumn) return StatusCellText(ViewStatusCell(row));
  if (column == kViewGraphColumn && kind == ViewKind::kQuick)
    return Sprintf("Value %d, threshold %d", row.value, row.threshold);
  if (column < 0 || column >= kViewColumns) return {};
  return row.texts[static_cast<std::size_t>(column)];
}

CellSortKey ViewSortKey(const ViewRow& row, ViewKind kind, int column) {
  switch (column) {
    case 0: return NumberSortKey(row.id);
    case 1: return TextSortKey(row.texts[1]);
    case kViewGraphColumn:
      return kind == ViewKind::kQuick ? NumberSortKey(row.value) : DecimalSortKey(row.texts[2]);
    case kViewStatusColumn: return StatusSortKey(row.id, row.threshold, row.value, row.lastSaved);
    case 4: return NumberSortKey(row.threshold);
    case 5: return NumberSortKey(row.value);
    case 6: return DecimalSortKey(row.texts[6]);
    default: return EmptySortKey();
  }
}

ViewStatusLayout LayOutViewStatus(int left, int top, int width, int height, int numberWidth) {
  ViewStatusLayout l;
  l.imageLeft = left + (width - numberWidth - 16) / 2;
  l.imageTop = top + (height - 16) / 2;
  l.numberLeft = l.imageLeft + 16;
  return l;
}

int GraphScale(int cellWidth) { return (cellWidth - 40) / 3; }

int GraphPieces(int amount, int scale) {
  // The product is whole; only the scaling is done in floating point.
  const int product = amount * scale;
  return static_cast<int>(static_cast<double>(product) / kGraphFullScale);
}

void AddBar(std::vector<PlacedPiece>& out, GraphPiece first, int count, int x, int y) {
  const auto piece = [first](int offset) { return static_cast<GraphPiece>(first + offset); };
  if (count <= 0) {
    out.push_back({piece(3), x, y});
    return;
  }
  // Every place shows one piece: the start, the body, the end last. A bar
  // of one piece is its end.
  if (count > 1) out.push_back({piece(0), x, y});
  for (int i = 1; i < count - 1; ++i) out.push_back({piece(1), x + kGraphPieceWidth * i, y});
  out.push_back({piece(2), x + kGraphPieceWidth * (count - 1), y});
}

std::vector<PlacedPiece> GraphCell(int left, int top, int width, int height, int value,
                                   int threshold) {
  const int scale = GraphScale(width);
  const int x = left + 6;
  const int valueTop = top + (height - 9) / 2;
  std::vector<PlacedPiece> pieces;
  AddBar(pieces, kValueStart, GraphPieces(value, scale), x, valueTop);
  AddBar(pieces, kThresholdStart, GraphPieces(threshold, scale), x, valueTop + 4);
  return pieces;
}

int ViewListHeight(int rowCount, int headerHeight, int rowHeight) {
  if (rowCount <= 0) return 0;
  return headerHeight + rowCount * rowHeight + 2;
}

int ViewClientHeight(ViewKind kind, int listHeight, int logicalDpi) {
  const bool large = logicalDpi >= 120;
  const int below = kind == ViewKind::kRaw ? (large ? 179 : 150) : (large ? 181 : 152);
  return listHeight + below - 2 * kDialogFrame;
}

int ViewListHeightOnScreen(int rowCount, int headerHeight, int rowHeight, ViewKind kind, int logicalDpi,
                           int screenHeight) {
  const int full = ViewListHeight(rowCount, headerHeight, rowHeight);
  if (full == 0 || screenHeight <= 0 || rowHeight <= 0) return full;
  const int room = screenHeight - kTitleBarAllowance - ViewClientHeight(kind, 0, logicalDpi);
  if (full <= room) return full;
  const int rows = std::max(3, (room - headerHeight - 2) / rowHeight);
  return std::min(full, ViewListHeight(rows, headerHeight, rowHeight));
}

}  // namespace torvel
