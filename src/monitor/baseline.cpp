#include "monitor/baseline.h"

#include <limits>

#include "config/keys.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "drive/smart_data.h"
#include "base/debug_trace.h"
#include "base/time_format.h"

namespace torvel {

namespace {
std::int32_t ClampToTime32(std::int64_t t) {
  if (t > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (t < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(t);
}
}  // namespace

std::string BaselineKey(int id) { return keys::AttributeValueKey(id, AttributeName(id)); }

int SavedValue(SettingsStore& store, std::string_view section, int id) {
  return store.GetProfileInt(section, BaselineKey(id), kNoBaseline) & 0xFF;
}

void SetSavedValue(SettingsStore& store, std::string_view section, int id, int value) {
  store.WriteProfileInt(section, BaselineKey(id), value);
}

ComparedValue ValueToCompare(SettingsStore& store, std::string_view section, int id, int current) {
  const int saved = SavedValue(store, section, id);
  if (saved == kNoBaseline) return {current, false};
  return {saved, true};
}

void SaveAttributeBaseline(const DriveTables& tables, SettingsStore& store,
                           const std::array<int, kMaxDrives>& changeCounts) {
  for (int n = 0; n < kMaxDrives; ++n) {
    const auto idx = static_cast<std::size_t>(n);
    const DriveRecord& rec = tables.records[idx];
    if (!rec.smartEnabled || !settings::drive::EnableMonitor(store, rec.Section())) continue;
    namespace attribute = settings::attribute;
    const std::string& section = rec.Section();
    for (const AttributeEntry& a : tables.attributes[idx].attributes) {
      if (a.id == 0) continue;
      SetSavedValue(store, section, a.id, a.value);
      if (IsSectorCountId(a.id)) attribute::SetRawCount(store, section, a.id, SectorCount(a));
      // An accepted fall is history: the next one is projected afresh.
      if (attribute::LastFall(store, section, a.id) != 0) attribute::SetLastFall(store, section, a.id, 0);
    }
    settings::SetNumChangeAttrs(store, changeCounts[idx]);
  }
}

std::int32_t ProjectTecDate(std::int64_t now, std::int64_t lastChange, int value, int threshold,
                            int oldValue) {
  const std::int64_t fall = oldValue - value;
  if (fall == 0) return ClampToTime32(now);  // callers guarantee a fall; never divide by zero
  // Both factors fit in 32 bits, so the product cannot overflow 64.
  const std::int64_t ahead = (static_cast<std::int64_t>(value - threshold) * (now - lastChange)) / fall;
  return ClampToTime32(now + ahead);
}

int EstimateTecDate(const DriveTables& tables, SettingsStore& store, TraceLog& trace, int drive,
                    int slot, int oldValue, std::int64_t now) {
  const auto d = static_cast<std::size_t>(drive);
  const auto s = static_cast<std::size_t>(slot);
  const std::string& section = tables.records[d].Section();
  const AttributeEntry& a = tables.attributes[d].attributes[s];
  const int threshold = tables.attributes[d].thresholds[s].threshold;

  // While the baseline is kept, every check finds the same fall again;
  // projecting it again would slide the date toward the check's time.
  const int fall = ((oldValue & 0xFF) << 8) | a.value;
  if (settings::attribute::LastFall(store, section, a.id) == fall) return 1;
  settings::attribute::SetLastFall(store, section, a.id, fall);

  const std::int64_t last = settings::attribute::LastChangeDate(store, section, a.id);
  if (last != 0) {
    const std::int32_t tec = ProjectTecDate(now, last, a.value, threshold, oldValue);
    settings::attribute::SetTecDate(store, section, a.id, tec);
    trace.DebugTrace("\tAttribute changed: %x\n   T.E.C. date %s\n", static_cast<unsigned>(slot),
                     FormatTecDate(LocalTime(tec)).c_str());
  }
  settings::attribute::SetLastChangeDate(store, section, a.id, ClampToTime32(now));
  return 1;
}

}  // namespace torvel
