#include "ui/logic/smart_info_logic.h"

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "drive/attribute_names.h"
#include "drive/smart_data.h"
#include "base/sprintf.h"
#include "base/time_format.h"
#include "monitor/baseline.h"

namespace torvel {
namespace {

const AttributeTable* TableOf(const DriveTables& tables, int drive) {
  if (drive < 0 || drive >= kMaxDrives) return nullptr;
  return &tables.attributes[static_cast<std::size_t>(drive)];
}

const DriveRecord* RecordOf(const DriveTables& tables, int drive) {
  if (drive < 0 || drive >= kMaxDrives) return nullptr;
  return &tables.records[static_cast<std::size_t>(drive)];
}

std::string MethodList(SettingsStore& store, const std::string& section, int id) {
  std::string text = "Notification method:\r\n";
  const bool popup = settings::attribute::Popup(store, section, id) != 0;
  const bool email = settings::attribute::Email(store, section, id) != 0;
  const bool net = settings::attribute::NetSend(store, section, id) != 0;
  if (popup) text += "\267 Popup message\r\n";
  if (email) text += "\267 E-mail message\r\n";
  if (net) text += "\267 Network message\r\n";
  if (!popup && !email && !net) text += "\267 Notification disabled\r\n";
  return text;
}

}  // namespace

std::string AttributeNameText(int id, const AttributeEntry& entry, const DriveRecord& record) {
  std::string text(AttributeDisplayName(id, record));
  // The page has no raw column: a raw value of known unit reads best beside
  // the name it belongs to.
  const std::string readable = ReadableRaw(id, entry, record);
  if (!readable.empty()) text += " (" + readable + ")";
  return text;
}

AttributeRowState ReadRowState(const DriveTables& tables, int drive, int slot,
                               SettingsStore& store) {
  AttributeRowState s;
  const AttributeTable* table = TableOf(tables, drive);
  if (table == nullptr || slot < 0 || slot >= kAttributeSlots) return s;
  const auto n = static_cast<std::size_t>(slot);
  const AttributeEntry& a = table->attributes[n];
  const std::string& section = RecordOf(tables, drive)->Section();
  s.id = a.id;
  s.value = a.value;
  s.threshold = table->thresholds[n].threshold;
  const ComparedValue last = ValueToCompare(store, section, a.id, a.value);
  s.lastSaved = last.value;
  s.baseline = last.saved;
  s.monitored = settings::attribute::ChangeAlert(store, section, a.id) != 0;
  s.customThresholds = settings::attribute::UseCustomThresholds(store, section, a.id) != 0;
  return s;
}

AttributePage BuildAttributePage(const DriveTables& tables, int drive, SettingsStore& store,
                                 std::int64_t now) {
  AttributePage page;
  const DriveRecord* record = RecordOf(tables, drive);
  if (record == nullptr || record->smartSupported == 0) return page;
  const AttributeTable& table = *TableOf(tables, drive);
  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const auto n = static_cast<std::size_t>(slot);
    const AttributeEntry& a = table.attributes[n];
    if (a.id == 0) continue;
    AttributeRow row;
    row.slot = slot;
    row.state = ReadRowState(tables, drive, slot, store);
    row.texts[0] = Sprintf("%.2X", a.id);
    row.texts[1] = AttributeNameText(a.id, a, *record);
    const std::int64_t tec = settings::attribute::TecDate(store, record->Section(), a.id);
    if (tec != 0 && tec >= now) {
      row.texts[2] = FormatTecMonth(LocalTime(tec));
      row.tec = tec;
      // Starting from no date at all: any fixed start would hide every
      // date after it.
      if (!page.nearestTec || tec < *page.nearestTec) page.nearestTec = tec;
    } else if (tec != 0) {
      settings::attribute::SetTecDate(store, record->Section(), a.id, 0);
    }
    row.texts[3] = Sprintf("%d", table.thresholds[n].threshold);
    row.texts[4] = Sprintf("%d", a.value);
    row.texts[5] = Sprintf("%d", a.worst);
    row.texts[6] = row.state.baseline ? Sprintf("%d", row.state.lastSaved) : std::string();
    row.summary = RowSummary(tables, drive, a.id, store);
    page.rows.push_back(std::move(row));
  }
  return page;
}

std::string RowSummary(const DriveTables& tables, int drive, int id, SettingsStore& store) {
  const DriveRecord* record = RecordOf(tables, drive);
  if (record == nullptr) return {};
  const std::string& section = record->Section();
  std::string text;
  if (settings::attribute::UseCustomThresholds(store, section, id) == 0) {
    text = "Global notification settings used\r\n";
  } else {
    text = "Custom notification settings:\r\n  ";
    switch (settings::attribute::CustomNotify(store, section, id)) {
      case 1:
        text += "Notify whenever current value changes\r\n";
        text += MethodList(store, section, id);
        break;
      case 2: {
        int critical = settings::attribute::CriticalValue(store, section, id);
        if (id == kTemperatureAttribute) {
          if (critical == -1) critical = record->temperature;
          text += Sprintf("Notify when drive temperature = %d \260C\r\n", critical);
        } else {
          if (critical == -1) {
            const int slot = SlotOfAttribute(tables, drive, id);
            critical = slot < 0 ? 0 : tables.attributes[static_cast<std::size_t>(drive)]
                                          .attributes[static_cast<std::size_t>(slot)]
                                          .value;
          }
          text += Sprintf("Notify when current value <= %d\r\n", critical);
        }
        text += MethodList(store, section, id);
        break;
      }
      case 3:
        text += "Never notify user\r\n";
        break;
      default:
        text += MethodList(store, section, id);
        break;
    }
  }
  return text + "[Click to edit]";
}

std::string NearestTecText(const std::string& label, std::optional<std::int64_t> nearest) {
  if (!nearest) return {};
  return label + " " + FormatNearestTecDate(LocalTime(*nearest));
}

int SlotOfAttribute(const DriveTables& tables, int drive, int id) {
  const AttributeTable* table = TableOf(tables, drive);
  if (table == nullptr || id == 0) return -1;
  for (int slot = 0; slot < kAttributeSlots; ++slot)
    if (table->attributes[static_cast<std::size_t>(slot)].id == id) return slot;
  return -1;
}

std::string AttributeCellText(const AttributeRow& row, int column) {
  if (column == kAttributeColumns - 1) return StatusCellText(AttributeStatusCell(row.state, false));
  if (column < 0 || column >= kAttributeColumns) return {};
  return row.texts[static_cast<std::size_t>(column)];
}

CellSortKey AttributeSortKey(const AttributeRow& row, int column) {
  const AttributeRowState& s = row.state;
  switch (column) {
    case 0: return NumberSortKey(s.id);
    case 1: return TextSortKey(row.texts[1]);
    // The month alone would sort by its name: the date behind it decides.
    case 2: return row.tec != 0 ? NumberSortKey(row.tec) : EmptySortKey();
    case 3:
    case 4:
    case 5:
    case 6: return DecimalSortKey(row.texts[static_cast<std::size_t>(column)]);
    case 7: return StatusSortKey(s.id, s.threshold, s.value, s.lastSaved);
    default: return EmptySortKey();
  }
}

std::array<int, kAttributeColumns> AttributeColumnWidths(int clientWidth, int logicalDpi) {
  const int a = logicalDpi >= 120 ? 10 : 0;
  return {26, clientWidth - 4 * a - 297, 76, a + 62, a + 41, a + 44, 0, a + 46};
}

}  // namespace torvel
