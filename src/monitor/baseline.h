// The attribute values last accepted (the baseline) and the projected date
// on which a falling attribute reaches its threshold. Both live in the
// drive's own settings section, so they follow the drive across runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "drive/drive_tables.h"

namespace torvel {

class SettingsStore;
class TraceLog;

// Value read for "%d-%s" when no baseline was ever saved.
inline constexpr int kNoBaseline = 255;

// "%d-%s": the key of an attribute's saved value in its drive's section.
std::string BaselineKey(int id);
// The attribute's saved value (0 to 255) as the check reads it: kNoBaseline
// while none was saved.
int SavedValue(SettingsStore& store, std::string_view section, int id);
void SetSavedValue(SettingsStore& store, std::string_view section, int id, int value);
// What the lists compare with: the saved value, or the current value while
// none was saved (no baseline, so nothing changed); `saved` says which.
struct ComparedValue {
  int value = 0;
  bool saved = false;
};
ComparedValue ValueToCompare(SettingsStore& store, std::string_view section, int id, int current);

// Writes every monitored, S.M.A.R.T.-enabled drive's current attribute
// values and sector counts, and NumChangeAttrs from that drive's change
// count; falls projected so far become history.
void SaveAttributeBaseline(const DriveTables& tables, SettingsStore& store,
                           const std::array<int, kMaxDrives>& changeCounts);

// Records a fall of the attribute in `slot` from `oldValue`; from the second
// fall on, projects and stores its T.E.C. date. The fall recorded last is
// not recorded again until the baseline is accepted. Returns 1.
int EstimateTecDate(const DriveTables& tables, SettingsStore& store, TraceLog& trace, int drive,
                    int slot, int oldValue, std::int64_t now);

// The projection itself: now + (V - H) * (now - L) / (old - V), truncated
// toward zero and clamped to the 32-bit time range the store keeps.
std::int32_t ProjectTecDate(std::int64_t now, std::int64_t lastChange, int value, int threshold,
                            int oldValue);

}  // namespace torvel
