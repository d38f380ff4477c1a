#include "monitor/check_decisions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "config/settings.h"
#include "drive/sections.h"
#include "drive/smart_data.h"
#include "monitor/baseline.h"

namespace torvel {

namespace {
std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

bool DriveFindings::ChangeFound() const {
  return !growths.empty() || std::any_of(changes.begin(), changes.end(),
                                         [](const AttributeChange& c) { return c.notifies; });
}

AlertMethods ReadChangeMethods(SettingsStore& store, std::string_view section) {
  namespace drive = settings::drive;
  if (drive::UseCustomNotify(store, section) != 0)
    return {drive::ChangePopup(store, section) != 0, drive::ChangeEmail(store, section) != 0,
            drive::ChangeNetsend(store, section) != 0};
  return {settings::Popup(store) != 0, settings::Email(store) != 0, settings::Netsend(store) != 0};
}

TemperatureRule ReadTemperatureRule(SettingsStore& store, const DriveRecord& rec) {
  namespace drive = settings::drive;
  const std::string& section = rec.Section();
  const int t = rec.temperature;
  if (drive::UseCustomNotify(store, section) != 0)
    return {drive::EnableTempNotify(store, section) != 0, drive::CriticalTemp(store, section, t)};
  return {settings::EnableTempNotify(store) != 0, settings::CriticalTempForCheck(store, t)};
}

DriveCheckSettings ReadDriveCheckSettings(SettingsStore& store, const DriveRecord& rec,
                                          const AttributeTable& table) {
  namespace drive = settings::drive;
  namespace attribute = settings::attribute;
  const std::string& section = rec.Section();
  DriveCheckSettings s;
  s.startupDate = drive::StartupDate(store, section);
  s.enableSmartNotify = drive::EnableSmartNotify(store, section);
  s.useCustomNotify = drive::UseCustomNotify(store, section);
  const bool custom = s.useCustomNotify != 0;
  const TemperatureRule hot = ReadTemperatureRule(store, rec);
  s.enableTempNotify = hot.enabled ? 1 : 0;
  s.criticalTemp = hot.critical;
  // With its own notification settings the drive's Popup decides alone.
  s.temperaturePopup = (custom ? drive::Popup(store, section) : settings::Popup(store)) != 0 ? 1 : 0;
  s.changeMethods = ReadChangeMethods(store, section);
  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const int id = table.attributes[static_cast<std::size_t>(slot)].id;
    if (id == 0) continue;
    AttributeCheckSettings& a = s.attributes[static_cast<std::size_t>(slot)];
    a.saved = SavedValue(store, section, id);
    a.useCustomThresholds = attribute::UseCustomThresholds(store, section, id);
    if (a.useCustomThresholds != 0) {
      a.customNotify = attribute::CustomNotify(store, section, id);
      if (a.customNotify == 2) a.criticalValue = attribute::CriticalValue(store, section, id);
      a.methods = {attribute::Popup(store, section, id) != 0,
                   attribute::Email(store, section, id) != 0,
                   attribute::NetSend(store, section, id) != 0};
    }
    a.logChanges = attribute::LogChanges(store, section, id);
    if (IsSectorCountId(id)) a.savedCount = attribute::RawCount(store, section, id);
  }
  return s;
}

bool ChangeNotifies(const AttributeCheckSettings& a, int value) {
  if (a.useCustomThresholds == 0) return true;
  switch (a.customNotify) {
    case 1:
      return true;
    case 2:
      return value <= a.criticalValue;
    default:
      return false;
  }
}

DriveFindings DecideDrive(const DriveRecord& rec, const AttributeTable& table,
                          const DriveCheckSettings& s) {
  DriveFindings f;
  if (!rec.InUse()) return f;
  f.firstSight = s.startupDate == 0;
  if (rec.smartEnabled == 0 || s.enableSmartNotify == 0) return f;
  f.checked = true;

  f.overTemperature = TemperatureRule{s.enableTempNotify != 0, s.criticalTemp}.TooHot(rec.temperature);
  f.reportedTec = rec.tec != 0;

  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const auto i = static_cast<std::size_t>(slot);
    const AttributeEntry& entry = table.attributes[i];
    const int id = entry.id;
    if (id == 0) continue;
    const int value = entry.value;
    const AttributeCheckSettings& a = s.attributes[i];
    if (IsSectorCountId(id)) {
      const std::uint32_t count = SectorCount(entry);
      if (!a.savedCount)
        f.countsToRecord.emplace_back(id, count);
      else if (count > *a.savedCount) {
        f.growths.push_back({slot, id, *a.savedCount, count});
        f.changeMethods.Add(s.changeMethods);
      }
    }
    if (a.saved != kNoBaseline && a.saved != value) {
      AttributeChange c{slot, id, a.saved, value, id == kTemperatureId, false, false, {}};
      if (!c.isTemperature) {
        c.notifies = ChangeNotifies(a, value);
        c.logged = a.logChanges != 0;
        if (c.notifies) c.methods = a.useCustomThresholds != 0 ? a.methods : s.changeMethods;
        f.changeMethods.Add(c.methods);
      }
      f.changes.push_back(c);
      // A temperature that moved is not tested against its threshold.
      if (c.isTemperature) continue;
    }
    if (CountsAsTec(entry, table.thresholds[i])) f.tecSlots.push_back(slot);
  }
  return f;
}

std::vector<std::string> SectionsWithBaseline(const std::vector<SettingsStoreEntry>& dump) {
  std::vector<std::string> out;
  std::vector<std::string> seen;
  for (const SettingsStoreEntry& e : dump) {
    if (IsGlobalSection(e.section)) continue;
    int id = 0;
    const char* end = e.key.data() + e.key.size();
    const auto [rest, ec] = std::from_chars(e.key.data(), end, id);
    if (ec != std::errc() || rest == end || id < 1 || id > 255) continue;
    if (Folded(e.key) != Folded(BaselineKey(id))) continue;
    std::string folded = Folded(e.section);
    if (std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
    seen.push_back(std::move(folded));
    out.push_back(e.section);
  }
  return out;
}

std::vector<std::string> MissingSections(const std::vector<std::string>& known,
                                         const std::vector<std::string>& present,
                                         const std::function<bool(const std::string&)>& alreadyReported) {
  std::vector<std::string> here;
  for (const std::string& p : present) here.push_back(Folded(p));
  std::vector<std::string> out;
  for (const std::string& k : known) {
    if (std::find(here.begin(), here.end(), Folded(k)) != here.end()) continue;
    if (alreadyReported && alreadyReported(k)) continue;
    out.push_back(k);
  }
  return out;
}

bool MailDue(int repeat, std::uint32_t hash, std::uint32_t lastHash, std::int64_t now,
             std::int64_t lastTime) {
  if (repeat == 0 || hash != lastHash) return true;
  if (repeat == 2) return now - lastTime >= 24 * 60 * 60 || now < lastTime;
  return false;
}

std::uint32_t MailTextHash(std::string_view text) {
  std::uint32_t h = 2166136261u;
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h == 0 ? 1 : h;
}

AlertKind ChooseAlert(bool tecAlert, bool temperatureAlert, bool changeAlert,
                      bool alertDriveNotifies) {
  if (tecAlert && alertDriveNotifies) return AlertKind::kTec;
  if (temperatureAlert) return AlertKind::kTemperature;
  if (changeAlert && alertDriveNotifies) return AlertKind::kChange;
  return AlertKind::kNone;
}

}  // namespace torvel
