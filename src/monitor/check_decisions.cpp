#include "monitor/check_decisions.h"

#include "config/settings.h"
#include "drive/smart_data.h"
#include "monitor/baseline.h"

namespace torvel {

DriveCheckSettings ReadDriveCheckSettings(SettingsStore& store, const DriveRecord& rec,
                                          const AttributeTable& table) {
  namespace drive = settings::drive;
  namespace attribute = settings::attribute;
  const std::string& section = rec.serial;
  DriveCheckSettings s;
  s.startupDate = drive::StartupDate(store, section);
  s.enableSmartNotify = drive::EnableSmartNotify(store, section);
  s.useCustomNotify = drive::UseCustomNotify(store, section);
  const bool custom = s.useCustomNotify != 0;
  const int t = rec.temperature;
  s.enableTempNotify = custom ? drive::EnableTempNotify(store, section)
                              : settings::EnableTempNotify(store);
  s.criticalTemp = custom ? drive::CriticalTemp(store, section, t)
                          : settings::CriticalTempForCheck(store, t);
  s.temperaturePopup =
      (custom && drive::Popup(store, section) != 0) || settings::Popup(store) != 0 ? 1 : 0;
  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const int id = table.attributes[static_cast<std::size_t>(slot)].id;
    if (id == 0) continue;
    AttributeCheckSettings& a = s.attributes[static_cast<std::size_t>(slot)];
    a.saved = SavedValue(store, section, id);
    a.useCustomThresholds = attribute::UseCustomThresholds(store, section, id);
    if (a.useCustomThresholds != 0) {
      a.customNotify = attribute::CustomNotify(store, section, id);
      if (a.customNotify == 2) a.criticalValue = attribute::CriticalValue(store, section, id);
    }
    a.logChanges = attribute::LogChanges(store, section, id);
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

  const int t = rec.temperature;
  f.overTemperature = s.enableTempNotify != 0 && t != 0 && t >= s.criticalTemp;
  f.reportedTec = rec.tec != 0;

  for (int slot = 0; slot < kAttributeSlots; ++slot) {
    const auto i = static_cast<std::size_t>(slot);
    const int id = table.attributes[i].id;
    if (id == 0) continue;
    const int value = table.attributes[i].value;
    const AttributeCheckSettings& a = s.attributes[i];
    if (a.saved != kNoBaseline && a.saved != value) {
      AttributeChange c{slot, id, a.saved, value, id == kTemperatureId, false, false};
      if (!c.isTemperature) {
        c.notifies = ChangeNotifies(a, value);
        c.logged = a.logChanges != 0;
      }
      f.changes.push_back(c);
      // A temperature that moved is not tested against its threshold.
      if (c.isTemperature) continue;
    }
    if (value <= table.thresholds[i].threshold) f.tecSlots.push_back(slot);
  }
  return f;
}

AlertKind ChooseAlert(bool tecAlert, bool temperatureAlert, bool changeAlert,
                      bool alertDriveNotifies) {
  if (tecAlert && alertDriveNotifies) return AlertKind::kTec;
  if (temperatureAlert) return AlertKind::kTemperature;
  if (changeAlert && alertDriveNotifies) return AlertKind::kChange;
  return AlertKind::kNone;
}

}  // namespace torvel
