#include "ui/logic/settings_dialogs_logic.h"

#include <algorithm>

#include "base/version.h"
#include "config/language.h"
#include "config/profile.h"
#include "config/settings.h"
#include "drive/drive_tables.h"
#include "drive/report.h"
#include "drive/attribute_names.h"
#include "drive/smart_data.h"
#include "base/sprintf.h"

namespace torvel {
namespace {

constexpr const char* kTitlePrefix = "Torvel - ";
// Windows-1252: the degree sign is byte 0xB0.
constexpr const char* kDegreesCelsius = "\xB0" "C";

int On(bool on) { return on ? 1 : 0; }

const std::string& Section(const DriveRecord& record) { return record.Section(); }

const DriveRecord* RecordAt(const DriveTables& tables, int drive) {
  return drive >= 0 && drive < kMaxDrives ? &tables.records[static_cast<std::size_t>(drive)] : nullptr;
}

const AttributeEntry* EntryAt(const DriveTables& tables, int drive, int slot) {
  if (!RecordAt(tables, drive) || slot < 0 || slot >= kAttributeSlots) return nullptr;
  return &tables.attributes[static_cast<std::size_t>(drive)].attributes[static_cast<std::size_t>(slot)];
}

}  // namespace

std::string TooltipText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && ++i == text.size()) break;
    out += text[i];
  }
  return out;
}

int SettingsDialogDrive(SettingsStore& store) {
  const int d = settings::SelectedDrive(store);
  return d >= 0 && d < kMaxDrives ? d : 0;
}

// ---- Drive properties ------------------------------------------------------

std::string DrivePropertiesTitle(const TextTable& texts) { return kTitlePrefix + texts.Text(13); }

std::string DiskLineText(const DriveRecord& record) {
  return Sprintf("%s, %.1f GB [S/N: %s]", record.model.c_str(), static_cast<double>(record.capacity),
                 record.serial.c_str());
}

bool DriveUsesCustomSettings(SettingsStore& store, const DriveRecord& record) {
  return settings::drive::UseCustomNotify(store, Section(record)) != 0;
}

DriveCustomView LoadDriveCustomView(SettingsStore& store, const DriveRecord& record) {
  const std::string& s = Section(record);
  DriveCustomView v;
  v.popup = settings::drive::Popup(store, s) != 0;
  v.email = settings::drive::Email(store, s) != 0;
  v.netsend = settings::drive::Netsend(store, s) != 0;
  v.changePopup = settings::drive::ChangePopup(store, s) != 0;
  v.changeEmail = settings::drive::ChangeEmail(store, s) != 0;
  v.changeNetsend = settings::drive::ChangeNetsend(store, s) != 0;
  v.smartNotify = settings::drive::EnableSmartNotify(store, s) != 0;
  v.temperatureKnown = record.temperature != 0;
  v.tempNotify = settings::drive::EnableTempNotify(store, s) != 0;
  v.criticalTemp = settings::drive::CriticalTemp(store, s, record.temperature);
  return v;
}

DrivePropertiesEnabling DrivePropertiesEnablingFor(bool useCustom, bool temperatureKnown,
                                                   bool tempNotify) {
  DrivePropertiesEnabling e;
  if (!useCustom) return e;
  e.failureBox = true;
  e.methods = true;
  e.tempBox = temperatureKnown;
  e.criticalTemp = temperatureKnown && tempNotify;
  return e;
}

void WriteDriveSwitch(SettingsStore& store, const DriveRecord& record, DriveSetter set, bool on) {
  set(store, Section(record), On(on));
}

int WriteDriveCriticalTemp(SettingsStore& store, const DriveRecord& record, int value) {
  const int stored = std::min(AtLeastOne(value), kDriveCriticalTempMax);
  settings::drive::SetCriticalTemp(store, Section(record), stored);
  return stored;
}

// ---- An attribute's notification settings -----------------------------------

std::string AttributeSettingsTitle(const TextTable& texts) { return kTitlePrefix + texts.Text(13); }

std::string AttributeLineText(const DriveTables& tables, int drive, int slot) {
  const AttributeEntry* entry = EntryAt(tables, drive, slot);
  if (!entry) return {};
  const int id = entry->id;
  const std::string name(AttributeDisplayName(id, *RecordAt(tables, drive)));
  std::string line = Sprintf(" ID %-.2X (%d) - %s, ", id, id, name.c_str());
  if (id == kTemperatureId) {
    const int temperature = RecordAt(tables, drive)->temperature;
    line += temperature != 0 ? Sprintf("%d %s", temperature, kDegreesCelsius) : std::string("n/a");
  } else {
    line += Sprintf("%d", entry->value);
  }
  return line;
}

AttributeSettingsView LoadAttributeSettings(SettingsStore& store, const DriveTables& tables,
                                            int drive, int slot) {
  AttributeSettingsView v;
  const AttributeEntry* entry = EntryAt(tables, drive, slot);
  if (!entry) return v;
  const DriveRecord& record = *RecordAt(tables, drive);
  const std::string& s = Section(record);
  v.id = entry->id;
  v.useCustom = settings::attribute::UseCustomThresholds(store, s, v.id) != 0;
  v.mode = settings::attribute::CustomNotify(store, s, v.id);
  v.logChanges = settings::attribute::LogChanges(store, s, v.id) != 0;
  v.popup = settings::attribute::Popup(store, s, v.id) != 0;
  v.email = settings::attribute::Email(store, s, v.id) != 0;
  v.netsend = settings::attribute::NetSend(store, s, v.id) != 0;
  int level = settings::attribute::CriticalValue(store, s, v.id);
  // Unset: the value it would be compared with now stands in; showing it
  // writes nothing.
  if (level == -1) level = v.id == kTemperatureId ? record.temperature : entry->value;
  v.level = std::clamp(level, kLevelMin, kLevelMax);
  return v;
}

int ModeButton(int mode) {
  return mode >= kNotifyOnChange && mode <= kNotifyNever ? mode - kNotifyOnChange : -1;
}

int ButtonMode(int button) { return button + kNotifyOnChange; }

AttributeEnabling AttributeRefresh(bool useCustom, int mode) {
  AttributeEnabling e;
  if (!useCustom) {
    e.methods = false;
    e.level = false;
    return e;  // the selection stays as it is
  }
  e.modeControls = true;
  e.methods = true;
  e.button = ModeButton(mode);
  if (*e.button < 0) return e;  // an unknown mode changes nothing more
  const AttributeEnabling chosen = AttributeModeChosen(mode);
  e.methods = chosen.methods;
  e.level = chosen.level;
  return e;
}

AttributeEnabling AttributeModeChosen(int mode) {
  AttributeEnabling e;
  e.modeControls = true;
  e.methods = mode != kNotifyNever;
  e.level = mode == kNotifyAtOrBelow;
  return e;
}

void WriteAttributeInt(SettingsStore& store, const DriveRecord& record, int id, AttributeSetter set,
                       int value) {
  set(store, Section(record), id, value);
}

int WriteAttributeLevel(SettingsStore& store, const DriveRecord& record, int id, int value) {
  const int stored = std::clamp(value, kLevelMin, kLevelMax);
  WriteAttributeInt(store, record, id, settings::attribute::SetCriticalValue, stored);
  return stored;
}

// ---- Mail settings -----------------------------------------------------------

std::string MailSettingsTitle(const TextTable& texts) { return kTitlePrefix + texts.Text(1); }

MailFields LoadMailFields(SettingsStore& store) {
  MailRequest stored = StoredMailAccount(store);
  return {std::move(stored.server),   std::move(stored.recipients), std::move(stored.sender),
          std::move(stored.userName), std::move(stored.password),   stored.tls,
          std::move(stored.caFile)};
}

std::string MailFieldsProblem(const MailFields& f, const TextTable& texts) {
  MailRequest r;
  r.server = f.server;
  r.sender = f.sender;
  r.recipients = f.recipients;
  const std::string problem = MailAccountProblem(r);
  return problem.empty() ? problem : texts.Text(21) + problem;
}

namespace {
std::string TrimmedServer(const std::string& server) {
  const auto b = server.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return server.substr(b, server.find_last_not_of(" \t") - b + 1);
}
}  // namespace

void SaveMailFields(SettingsStore& store, const MailFields& f) {
  settings::SetSmtpServer(store, TrimmedServer(f.server));
  settings::SetSmtpTls(store, f.tls);
  settings::SetSmtpCaFile(store, f.caFile);
  settings::SetRecipients(store, f.recipients);
  settings::SetSender(store, f.sender);
  settings::SetSmtpUsername(store, f.userName);
  settings::SetSmtpPassword(store, f.password);
}

bool MailAuthOn(SettingsStore& store) {
  return settings::SmtpAuth(store) != 0;
}

void WriteMailAuth(SettingsStore& store, bool on) {
  settings::SetSmtpAuth(store, On(on));
}

MailRequest TestMailRequest(const MailFields& typed, SettingsStore& store, WindowHandle notify) {
  MailRequest r;
  r.server = TrimmedServer(typed.server);
  r.tls = typed.tls;
  r.caFile = typed.caFile;
  r.authType = MailAuthOn(store) ? 2 : 0;
  r.userName = typed.userName;
  r.password = typed.password;
  r.sender = typed.sender;
  r.recipients = typed.recipients;
  r.subject = kTestMailSubject;
  r.body = Sprintf("This is a test email from Torvel by Ostrana Software (%s)\n", kProductWebAddress);
  r.notifyWindow = notify;
  return r;
}

std::string MailResultCaption(const std::string& category) { return kTitlePrefix + category; }

}  // namespace torvel
