// The check's decisions as plain functions of plain inputs: what a check
// reads of a drive's settings, what it finds on the drive, and which alert
// the pass raises. check.cpp reads the inputs and carries the findings out
// (state, log, events, boxes); tests call these directly.
#pragma once

#include <array>
#include <vector>

#include "drive/drive_tables.h"

namespace torvel {

class SettingsStore;

// An attribute's settings as the check reads them.
struct AttributeCheckSettings {
  int saved = 0;  // 0..255, kNoBaseline when none was saved
  int useCustomThresholds = 0;
  int customNotify = 1;  // 1 on every change, 2 at or below criticalValue, 3 never
  int criticalValue = -1;
  int logChanges = 1;
};

// A drive's settings as the check reads them.
struct DriveCheckSettings {
  int startupDate = 0;
  int enableSmartNotify = 1;
  int useCustomNotify = 0;
  // The drive's own with custom notification, else the global ones.
  int enableTempNotify = 1;
  int criticalTemp = 0;
  // A too-hot drive adds its message to the temperature box.
  int temperaturePopup = 1;
  std::array<AttributeCheckSettings, kAttributeSlots> attributes{};
};

DriveCheckSettings ReadDriveCheckSettings(SettingsStore& store, const DriveRecord& rec,
                                          const AttributeTable& table);

// A saved value that differs from the current one.
struct AttributeChange {
  int slot = 0;
  int id = 0;
  int saved = 0;
  int value = 0;
  // Temperature moves all the time: recorded, never alerted.
  bool isTemperature = false;
  // The attribute's custom settings let this change raise the change alert.
  bool notifies = false;
  bool logged = false;
};

struct DriveFindings {
  bool firstSight = false;
  // S.M.A.R.T. is on and the drive's S.M.A.R.T. notification is not off.
  bool checked = false;
  bool overTemperature = false;
  // The drive reported a T.E.C. itself.
  bool reportedTec = false;
  std::vector<AttributeChange> changes;  // in slot order
  // Slots whose value is at or below the threshold.
  std::vector<int> tecSlots;
};

DriveFindings DecideDrive(const DriveRecord& rec, const AttributeTable& table,
                          const DriveCheckSettings& settings);

// Whether a change of an attribute with these settings raises the change alert.
bool ChangeNotifies(const AttributeCheckSettings& attribute, int value);

enum class AlertKind { kNone, kTec, kTemperature, kChange };

// The one alert of a pass: T.E.C. first, then over-temperature, then change.
// T.E.C. and change alerts need the alert drive's S.M.A.R.T. notification.
AlertKind ChooseAlert(bool tecAlert, bool temperatureAlert, bool changeAlert,
                      bool alertDriveNotifies);

}  // namespace torvel
