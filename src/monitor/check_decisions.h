// The check's decisions as plain functions of plain inputs: what a check
// reads of a drive's settings, what it finds on the drive, and which alert
// the pass raises. check.cpp reads the inputs and carries the findings out
// (state, log, events, boxes); tests call these directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drive/drive_tables.h"
#include "config/settings_store.h"

namespace torvel {


using SettingsStoreEntry = SettingsStore::Entry;

// The ways a change alert goes out.
struct AlertMethods {
  bool popup = false;
  bool email = false;
  bool netsend = false;

  void Add(const AlertMethods& o) {
    popup |= o.popup;
    email |= o.email;
    netsend |= o.netsend;
  }
  bool operator==(const AlertMethods&) const = default;
};

// An attribute's settings as the check reads them.
struct AttributeCheckSettings {
  int saved = 0;  // 0..255, kNoBaseline when none was saved
  int useCustomThresholds = 0;
  int customNotify = 1;  // 1 on every change, 2 at or below criticalValue, 3 never
  int criticalValue = -1;
  // With custom settings, the only ways its change alert goes out.
  AlertMethods methods;
  int logChanges = 1;
  // Sector-count attributes: the raw count accepted with the baseline.
  std::optional<std::uint32_t> savedCount;
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
  // The drive's own change methods with custom notification, else the
  // global ones.
  AlertMethods changeMethods{true, false, false};
  std::array<AttributeCheckSettings, kAttributeSlots> attributes{};
};

// When a drive counts as too hot: the drive's own rule with custom
// notification, else the global one.
struct TemperatureRule {
  bool enabled = true;
  int critical = 0;
  bool TooHot(int temperature) const { return enabled && temperature != 0 && temperature >= critical; }
};
TemperatureRule ReadTemperatureRule(SettingsStore& store, const DriveRecord& rec);

// The drive's change methods as its section holds them.
AlertMethods ReadChangeMethods(SettingsStore& store, std::string_view section);

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
  // How its alert goes out (nothing when it does not notify).
  AlertMethods methods;
};

// A sector count that grew since the baseline.
struct SectorGrowth {
  int slot = 0;
  int id = 0;
  std::uint32_t saved = 0;
  std::uint32_t count = 0;
};

struct DriveFindings {
  bool firstSight = false;
  // S.M.A.R.T. is on and the drive's S.M.A.R.T. notification is not off.
  bool checked = false;
  bool overTemperature = false;
  // The drive reported a T.E.C. itself.
  bool reportedTec = false;
  std::vector<AttributeChange> changes;  // in slot order
  std::vector<SectorGrowth> growths;     // in slot order
  // Sector counts seen without a stored count: recorded, nothing found.
  std::vector<std::pair<int, std::uint32_t>> countsToRecord;
  // Slots whose value is a threshold exceeded condition (CountsAsTec).
  std::vector<int> tecSlots;
  // How this drive's notifying changes and growths go out.
  AlertMethods changeMethods;
  bool ChangeFound() const;
};

DriveFindings DecideDrive(const DriveRecord& rec, const AttributeTable& table,
                          const DriveCheckSettings& settings);

// Whether a change of an attribute with these settings raises the change alert.
bool ChangeNotifies(const AttributeCheckSettings& attribute, int value);

// A drive this store knows (it has a baseline) that did not answer.
struct MissingDrive {
  std::string section;
  std::string model;
  std::string serial;
  AlertMethods changeMethods;
};

// The sections of `dump` that hold a baseline ("%d-<name>" keys), in the
// store's order, global sections left out.
std::vector<std::string> SectionsWithBaseline(const std::vector<SettingsStoreEntry>& dump);

// Known sections whose drive is not among `present` (case folded, as the
// store folds), and not already reported (`alreadyReported` says so).
std::vector<std::string> MissingSections(const std::vector<std::string>& known,
                                         const std::vector<std::string>& present,
                                         const std::function<bool(const std::string&)>& alreadyReported);

// MailRepeat: whether an alert mail whose text hashes to `hash` goes out,
// given the last mail sent (its hash, 0 when the findings cleared since,
// and its time). 0 always; 1 only for another text; 2 also once a day.
bool MailDue(int repeat, std::uint32_t hash, std::uint32_t lastHash, std::int64_t now,
             std::int64_t lastTime);
// The hash MailDue compares (FNV-1a, never 0).
std::uint32_t MailTextHash(std::string_view text);

enum class AlertKind { kNone, kTec, kTemperature, kChange };

// The one alert of a pass: T.E.C. first, then over-temperature, then change.
// T.E.C. and change alerts need the alert drive's S.M.A.R.T. notification.
AlertKind ChooseAlert(bool tecAlert, bool temperatureAlert, bool changeAlert,
                      bool alertDriveNotifies);

}  // namespace torvel
