// The decisions of the three settings dialogs (drive properties, an
// attribute's notification settings, mail settings) without the toolkit:
// what each control shows, what is enabled, the bounds of the number fields
// and what each change writes. The dialogs only wire.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "notify/mail.h"
#include "ui/logic/colours.h"

namespace torvel {

struct DriveRecord;
struct DriveTables;
class SettingsStore;
struct TextTable;

inline constexpr const char* kDrivePropertiesHelpTopic = "Torvel Help.chm::\\html\\Drive properties.htm";
inline constexpr const char* kAttributePropertiesHelpTopic =
    "Torvel Help.chm::\\html\\Attribute properties.htm";
inline constexpr const char* kMailSettingsHelpTopic = "Torvel Help.chm::\\html\\Email settings.htm";

// A button text as its tooltip shows it: the "&" of the mnemonic is not
// drawn ("&&" stays one "&").
std::string TooltipText(const std::string& text);

// The drive the dialogs work on: Options/Selected drive, 0 when out of range.
int SettingsDialogDrive(SettingsStore& store);

// ---- Drive properties ------------------------------------------------------

// The critical-temperature arrows' range; nothing below 1 is ever stored.
inline constexpr int kDriveCriticalTempMin = 0;
inline constexpr int kDriveCriticalTempMax = 150;

// "Torvel - Drive Properties".
std::string DrivePropertiesTitle(const TextTable& texts);
// "%s, %.1f GB [S/N: %s]": model, capacity, serial.
std::string DiskLineText(const DriveRecord& record);

// UseCustomNotify of the drive (default 0).
bool DriveUsesCustomSettings(SettingsStore& store, const DriveRecord& record);

// What the boxes show while custom settings are on, from the drive's section.
struct DriveCustomView {
  bool smartNotify = true;
  bool popup = true;
  bool email = false;
  bool netsend = false;
  bool changePopup = true;
  bool changeEmail = false;
  bool changeNetsend = false;
  // The drive reports a temperature: only then is the warning box set
  // (and its state written) from tempNotify.
  bool temperatureKnown = false;
  bool tempNotify = true;
  // CriticalTemp, or the drive's temperature + 10.
  int criticalTemp = 10;
};
DriveCustomView LoadDriveCustomView(SettingsStore& store, const DriveRecord& record);

struct DrivePropertiesEnabling {
  bool failureBox = false;
  bool methods = false;  // both method labels and the six boxes
  bool tempBox = false;
  bool criticalTemp = false;  // label, field and arrows
};
DrivePropertiesEnabling DrivePropertiesEnablingFor(bool useCustom, bool temperatureKnown,
                                                   bool tempNotify);

// One of the drive's on/off keys from its box, named by its
// settings::drive setter.
using DriveSetter = void (*)(SettingsStore&, std::string_view section, int);
void WriteDriveSwitch(SettingsStore& store, const DriveRecord& record, DriveSetter set, bool on);
// CriticalTemp from the field, arrowed or typed: never below 1 nor above
// the arrows' top. Returns what was written.
int WriteDriveCriticalTemp(SettingsStore& store, const DriveRecord& record, int value);

// ---- An attribute's notification settings -----------------------------------

inline constexpr int kLevelMin = 1;
inline constexpr int kLevelMax = 253;
// The attribute line: white on mid grey.
inline constexpr Rgb kAttributeLineBackground{137, 137, 137};
inline constexpr Rgb kAttributeLineText = kRgbWhite;

// "%d-CustomNotify".
inline constexpr int kNotifyOnChange = 1;
inline constexpr int kNotifyAtOrBelow = 2;
inline constexpr int kNotifyNever = 3;

// "Torvel - Custom notification settings".
std::string AttributeSettingsTitle(const TextTable& texts);
// " ID 09 (9) - Power-On Hours Count, 98"; for 194 the temperature in °C or
// "n/a".
std::string AttributeLineText(const DriveTables& tables, int drive, int slot);

struct AttributeSettingsView {
  int id = 0;
  bool useCustom = false;
  int mode = kNotifyOnChange;
  bool logChanges = true;
  bool popup = true;
  bool email = false;
  bool netsend = false;
  // "%d-CriticalValue", or while that is unset the current value (the
  // temperature for 194), within the arrows' range.
  int level = kLevelMin;
};
AttributeSettingsView LoadAttributeSettings(SettingsStore& store, const DriveTables& tables,
                                            int drive, int slot);

// The radio button a mode selects: 0 whenever, 1 at or below, 2 never;
// -1 for a mode that selects none.
int ModeButton(int mode);
int ButtonMode(int button);

// What a refresh or a mode button does to the controls; nullopt leaves a
// control as it is.
struct AttributeEnabling {
  bool modeControls = false;  // radio buttons, both labels, the logging box
  std::optional<int> button;  // the radio to select (-1: none)
  std::optional<bool> methods;
  std::optional<bool> level;  // field and arrows
};
AttributeEnabling AttributeRefresh(bool useCustom, int mode);
// A radio button clicked: methods and level only.
AttributeEnabling AttributeModeChosen(int mode);

// One of the attribute's "%d-..." keys in the drive's section, named by its
// settings::attribute setter.
using AttributeSetter = void (*)(SettingsStore&, std::string_view section, int id, int);
void WriteAttributeInt(SettingsStore& store, const DriveRecord& record, int id, AttributeSetter set,
                       int value);
// "%d-CriticalValue" from the field, arrowed or typed, within 1 to 253.
// Returns what was written.
int WriteAttributeLevel(SettingsStore& store, const DriveRecord& record, int id, int value);

// ---- Mail settings -----------------------------------------------------------

inline constexpr const char* kTestMailSubject = "Torvel Alert";

// "Torvel - Mail settings".
std::string MailSettingsTitle(const TextTable& texts);

// The five text fields, the password as typed.
struct MailFields {
  std::string server;
  std::string recipients;
  std::string sender;
  std::string userName;
  std::string password;
  int tls = 0;  // smtpTLS, the order of the security list
  std::string caFile;
};
MailFields LoadMailFields(SettingsStore& store);
// What keeps the fields from being stored or used: empty when nothing, else
// the dialog's text (MailSettingsDlg 21) and the field's name. A line break
// or control character in the server, Sender or Recipients would become an
// SMTP command.
std::string MailFieldsProblem(const MailFields& fields, const TextTable& texts);
// Close: the fields, the server without blanks around it, the password
// transformed.
void SaveMailFields(SettingsStore& store, const MailFields& fields);
bool MailAuthOn(SettingsStore& store);
void WriteMailAuth(SettingsStore& store, bool on);

// The test mail: the fields as typed, authentication as stored.
MailRequest TestMailRequest(const MailFields& typed, SettingsStore& store, WindowHandle notify);
// "Torvel - " and the result's category ("SMTP Client").
std::string MailResultCaption(const std::string& category);

}  // namespace torvel
