// Typed access to every key of the settings store. Each function owns its
// key's name, the default a reader gets while the key is absent, and the
// lower bound a write keeps, so no caller spells a key or a default. Where
// the design gives one key different defaults for different readers, there
// is one function per reader and its name says whose it is.
//
// Values are ints as the store keeps them (booleans 0 or 1, read as "not
// 0"); nothing is cached: each call asks the store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvel {

class SettingsStore;

namespace settings {

// Placeholder mail settings, shown until the user types real ones.
inline constexpr const char* kPlaceholderSmtpServer = "smtp.example.com";
inline constexpr const char* kPlaceholderRecipients = "admin@example.com";
inline constexpr const char* kPlaceholderSender = "torvel@example.com";
inline constexpr const char* kDefaultSound = "alert.wav";
// NetworkUserName as the sender reads it: no name was ever chosen.
inline constexpr const char* kNoNetworkUser = "?";

// ---- Options: global settings and working values.
int Once(SettingsStore& s);
void SetOnce(SettingsStore& s, int v);
std::string LanguageFile(SettingsStore& s);
void SetLanguageFile(SettingsStore& s, std::string_view path);
int ShowOldLanguageFileMess(SettingsStore& s);
void SetShowOldLanguageFileMess(SettingsStore& s, int v);
int SelectedDrive(SettingsStore& s);
void SetSelectedDrive(SettingsStore& s, int drive);
// The main window's height; `designed` while none was saved.
int Cy(SettingsStore& s, int designed);
void SetCy(SettingsStore& s, int height);
int ShowToolTips(SettingsStore& s);
int AutoCheck(SettingsStore& s);
void SetAutoCheck(SettingsStore& s, int v);
// As the Preferences page reads it: 1.
int PollEvery(SettingsStore& s);
// As the main window's next-check line, the launcher's schedule and
// `torvelctl schedule` read it: 1 (hours) for TimeType 0, 30 (minutes) for
// TimeType 1.
int PollEveryForNextCheck(SettingsStore& s, int timeType);
// Written as at least 1.
void SetPollEvery(SettingsStore& s, int v);
int TimeType(SettingsStore& s);
void SetTimeType(SettingsStore& s, int v);
int Autostart(SettingsStore& s);
void SetAutostart(SettingsStore& s, int v);
int CheckAndExit(SettingsStore& s);
void SetCheckAndExit(SettingsStore& s, int v);
int OpenAtStartup(SettingsStore& s);
void SetOpenAtStartup(SettingsStore& s, int v);
int LogEnable(SettingsStore& s);
void SetLogEnable(SettingsStore& s, int v);
int UseEventLog(SettingsStore& s);
void SetUseEventLog(SettingsStore& s, int v);
int ShowTrayStatus(SettingsStore& s);
void SetShowTrayStatus(SettingsStore& s, int v);
int FlashIcon(SettingsStore& s);
void SetFlashIcon(SettingsStore& s, int v);
// The launcher's desktop notifications of alerts and state changes: 1.
int DesktopNotifications(SettingsStore& s);
void SetDesktopNotifications(SettingsStore& s, int v);
int Popup(SettingsStore& s);
void SetPopup(SettingsStore& s, int v);
int Email(SettingsStore& s);
void SetEmail(SettingsStore& s, int v);
int Netsend(SettingsStore& s);
void SetNetsend(SettingsStore& s, int v);
// As the Preferences page shows it: "administrator".
std::string NetworkUserName(SettingsStore& s);
// As a network message is addressed: kNoNetworkUser while none was chosen.
std::string NetworkUserNameForSending(SettingsStore& s);
void SetNetworkUserName(SettingsStore& s, std::string_view name);
int PlaySound(SettingsStore& s);
void SetPlaySound(SettingsStore& s, int v);
std::string Sound(SettingsStore& s);
void SetSound(SettingsStore& s, std::string_view file);
int EnableTempNotify(SettingsStore& s);
void SetEnableTempNotify(SettingsStore& s, int v);
// As the Preferences page shows it: 50.
int CriticalTemp(SettingsStore& s);
// As the check reads it for a drive at `temperature`: temperature + 10.
int CriticalTempForCheck(SettingsStore& s, int temperature);
// Written as at least 1.
void SetCriticalTemp(SettingsStore& s, int v);
std::string SmtpServer(SettingsStore& s);
void SetSmtpServer(SettingsStore& s, std::string_view v);
std::string Recipients(SettingsStore& s);
void SetRecipients(SettingsStore& s, std::string_view v);
std::string Sender(SettingsStore& s);
void SetSender(SettingsStore& s, std::string_view v);
int SmtpAuth(SettingsStore& s);
void SetSmtpAuth(SettingsStore& s, int v);
// 0 STARTTLS when offered, never AUTH without TLS; 1 STARTTLS required;
// 2 implicit TLS (SMTPS); 3 no TLS, AUTH in clear. Out of range reads as 0.
int SmtpTls(SettingsStore& s);
int WakeSleeping(SettingsStore& s);
void SetSmtpTls(SettingsStore& s, int v);
// 0 an alert mail at every check with a finding; 1 once per finding until it
// clears; 2 once a day while it lasts. Out of range reads as 0.
int MailRepeat(SettingsStore& s);
void SetMailRepeat(SettingsStore& s, int v);
int LastMailHash(SettingsStore& s);
int LastMailTime(SettingsStore& s);
void SetLastMail(SettingsStore& s, int hash, int time);
// A PEM file of CA certificates; empty for the system's store.
std::string SmtpCaFile(SettingsStore& s);
void SetSmtpCaFile(SettingsStore& s, std::string_view v);
std::string SmtpUsername(SettingsStore& s);
void SetSmtpUsername(SettingsStore& s, std::string_view v);
// The password as typed: stored transformed, undone here.
std::string SmtpPassword(SettingsStore& s);
void SetSmtpPassword(SettingsStore& s, std::string_view typed);
void SetNumChangeAttrs(SettingsStore& s, int count);
void SetExit(SettingsStore& s, int v);

// ---- A drive's own section (named by its serial text).
namespace drive {
int EnableMonitor(SettingsStore& s, std::string_view section);
void SetEnableMonitor(SettingsStore& s, std::string_view section, int v);
int StartupDate(SettingsStore& s, std::string_view section);
void SetStartupDate(SettingsStore& s, std::string_view section, int time);
int LastCheck(SettingsStore& s, std::string_view section);
void SetLastCheck(SettingsStore& s, std::string_view section, int time);
std::string Model(SettingsStore& s, std::string_view section);
void SetModel(SettingsStore& s, std::string_view section, std::string_view model);
std::string Serial(SettingsStore& s, std::string_view section);
void SetSerial(SettingsStore& s, std::string_view section, std::string_view serial);
std::string Device(SettingsStore& s, std::string_view section);
void SetDevice(SettingsStore& s, std::string_view section, std::string_view device);
int Missing(SettingsStore& s, std::string_view section);
void SetMissing(SettingsStore& s, std::string_view section, int v);
int UseCustomNotify(SettingsStore& s, std::string_view section);
void SetUseCustomNotify(SettingsStore& s, std::string_view section, int v);
int EnableSmartNotify(SettingsStore& s, std::string_view section);
void SetEnableSmartNotify(SettingsStore& s, std::string_view section, int v);
int EnableTempNotify(SettingsStore& s, std::string_view section);
void SetEnableTempNotify(SettingsStore& s, std::string_view section, int v);
// temperature + 10 while never set.
int CriticalTemp(SettingsStore& s, std::string_view section, int temperature);
// Written as at least 1.
void SetCriticalTemp(SettingsStore& s, std::string_view section, int v);
int Popup(SettingsStore& s, std::string_view section);
void SetPopup(SettingsStore& s, std::string_view section, int v);
int Email(SettingsStore& s, std::string_view section);
void SetEmail(SettingsStore& s, std::string_view section, int v);
int Netsend(SettingsStore& s, std::string_view section);
void SetNetsend(SettingsStore& s, std::string_view section, int v);
int ChangePopup(SettingsStore& s, std::string_view section);
void SetChangePopup(SettingsStore& s, std::string_view section, int v);
int ChangeEmail(SettingsStore& s, std::string_view section);
void SetChangeEmail(SettingsStore& s, std::string_view section, int v);
int ChangeNetsend(SettingsStore& s, std::string_view section);
void SetChangeNetsend(SettingsStore& s, std::string_view section, int v);
}  // namespace drive

// ---- An attribute's keys inside its drive's section ("%d-..."). The saved
// value ("%d-%s") needs the attribute-name table: monitor/baseline.h.
namespace attribute {
// "%d": the change-alert switch the lists show.
int ChangeAlert(SettingsStore& s, std::string_view section, int id);
int UseCustomThresholds(SettingsStore& s, std::string_view section, int id);
void SetUseCustomThresholds(SettingsStore& s, std::string_view section, int id, int v);
// 1 on every change, 2 at or below CriticalValue, 3 never.
int CustomNotify(SettingsStore& s, std::string_view section, int id);
void SetCustomNotify(SettingsStore& s, std::string_view section, int id, int mode);
// -1 while not set.
int CriticalValue(SettingsStore& s, std::string_view section, int id);
// Written as at least 1.
void SetCriticalValue(SettingsStore& s, std::string_view section, int id, int v);
int Popup(SettingsStore& s, std::string_view section, int id);
void SetPopup(SettingsStore& s, std::string_view section, int id, int v);
int Email(SettingsStore& s, std::string_view section, int id);
void SetEmail(SettingsStore& s, std::string_view section, int id, int v);
int NetSend(SettingsStore& s, std::string_view section, int id);
void SetNetSend(SettingsStore& s, std::string_view section, int id, int v);
int LogChanges(SettingsStore& s, std::string_view section, int id);
void SetLogChanges(SettingsStore& s, std::string_view section, int id, int v);
int LastChangeDate(SettingsStore& s, std::string_view section, int id);
void SetLastChangeDate(SettingsStore& s, std::string_view section, int id, int time);
// 0: no date projected.
int TecDate(SettingsStore& s, std::string_view section, int id);
void SetTecDate(SettingsStore& s, std::string_view section, int id, int time);
// The raw count accepted with the baseline; nullopt while none was stored.
std::optional<std::uint32_t> RawCount(SettingsStore& s, std::string_view section, int id);
void SetRawCount(SettingsStore& s, std::string_view section, int id, std::uint32_t count);
// 0: no fall projected since the baseline was accepted.
int LastFall(SettingsStore& s, std::string_view section, int id);
void SetLastFall(SettingsStore& s, std::string_view section, int id, int fall);
}  // namespace attribute

}  // namespace settings
}  // namespace torvel
