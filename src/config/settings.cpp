#include "config/settings.h"

#include "config/keys.h"
#include "config/profile.h"
#include "config/settings_store.h"

namespace torvel::settings {
namespace {

int Opt(SettingsStore& s, const char* key, int def) {
  return s.GetProfileInt(keys::kOptions, key, def);
}
void SetOpt(SettingsStore& s, const char* key, int v) { s.WriteProfileInt(keys::kOptions, key, v); }
std::string OptText(SettingsStore& s, const char* key, std::string_view def) {
  return s.GetProfileString(keys::kOptions, key, def);
}
void SetOptText(SettingsStore& s, const char* key, std::string_view v) {
  s.WriteProfileString(keys::kOptions, key, v);
}

}  // namespace

int Once(SettingsStore& s) { return Opt(s, keys::kOnce, 0); }
void SetOnce(SettingsStore& s, int v) { SetOpt(s, keys::kOnce, v); }
int ShowOldLanguageFileMess(SettingsStore& s) { return Opt(s, keys::kShowOldLanguageFileMess, 1); }
void SetShowOldLanguageFileMess(SettingsStore& s, int v) {
  SetOpt(s, keys::kShowOldLanguageFileMess, v);
}
int SelectedDrive(SettingsStore& s) { return Opt(s, keys::kSelectedDrive, 0); }
void SetSelectedDrive(SettingsStore& s, int v) { SetOpt(s, keys::kSelectedDrive, v); }
int ShowToolTips(SettingsStore& s) { return Opt(s, keys::kShowToolTips, 1); }
int AutoCheck(SettingsStore& s) { return Opt(s, keys::kAutoCheck, 1); }
void SetAutoCheck(SettingsStore& s, int v) { SetOpt(s, keys::kAutoCheck, v); }
int TimeType(SettingsStore& s) { return Opt(s, keys::kTimeType, 0); }
void SetTimeType(SettingsStore& s, int v) { SetOpt(s, keys::kTimeType, v); }
int Autostart(SettingsStore& s) { return Opt(s, keys::kAutostart, 1); }
void SetAutostart(SettingsStore& s, int v) { SetOpt(s, keys::kAutostart, v); }
int CheckAndExit(SettingsStore& s) { return Opt(s, keys::kCheckAndExit, 0); }
void SetCheckAndExit(SettingsStore& s, int v) { SetOpt(s, keys::kCheckAndExit, v); }
int OpenAtStartup(SettingsStore& s) { return Opt(s, keys::kOpenAtStartup, 0); }
void SetOpenAtStartup(SettingsStore& s, int v) { SetOpt(s, keys::kOpenAtStartup, v); }
int LogEnable(SettingsStore& s) { return Opt(s, keys::kLogEnable, 1); }
void SetLogEnable(SettingsStore& s, int v) { SetOpt(s, keys::kLogEnable, v); }
int UseEventLog(SettingsStore& s) { return Opt(s, keys::kUseEventLog, 0); }
void SetUseEventLog(SettingsStore& s, int v) { SetOpt(s, keys::kUseEventLog, v); }
int ShowTrayStatus(SettingsStore& s) { return Opt(s, keys::kShowTrayStatus, 1); }
void SetShowTrayStatus(SettingsStore& s, int v) { SetOpt(s, keys::kShowTrayStatus, v); }
int FlashIcon(SettingsStore& s) { return Opt(s, keys::kFlashIcon, 1); }
void SetFlashIcon(SettingsStore& s, int v) { SetOpt(s, keys::kFlashIcon, v); }
int DesktopNotifications(SettingsStore& s) { return Opt(s, keys::kDesktopNotifications, 1); }
void SetDesktopNotifications(SettingsStore& s, int v) { SetOpt(s, keys::kDesktopNotifications, v); }
int Popup(SettingsStore& s) { return Opt(s, keys::kPopup, 1); }
void SetPopup(SettingsStore& s, int v) { SetOpt(s, keys::kPopup, v); }
int Email(SettingsStore& s) { return Opt(s, keys::kEmail, 0); }
void SetEmail(SettingsStore& s, int v) { SetOpt(s, keys::kEmail, v); }
int Netsend(SettingsStore& s) { return Opt(s, keys::kNetsend, 0); }
void SetNetsend(SettingsStore& s, int v) { SetOpt(s, keys::kNetsend, v); }
int PlaySound(SettingsStore& s) { return Opt(s, keys::kPlaySound, 1); }
void SetPlaySound(SettingsStore& s, int v) { SetOpt(s, keys::kPlaySound, v); }
int EnableTempNotify(SettingsStore& s) { return Opt(s, keys::kEnableTempNotify, 1); }
void SetEnableTempNotify(SettingsStore& s, int v) { SetOpt(s, keys::kEnableTempNotify, v); }
int WakeSleeping(SettingsStore& s) { return Opt(s, keys::kWakeSleeping, 0); }
int SmtpAuth(SettingsStore& s) { return Opt(s, keys::kSmtpAuth, 0); }
int SmtpTls(SettingsStore& s) {
  const int v = Opt(s, keys::kSmtpTls, 0);
  return v >= 0 && v <= 3 ? v : 0;
}
void SetSmtpTls(SettingsStore& s, int v) { SetOpt(s, keys::kSmtpTls, v); }
int MailRepeat(SettingsStore& s) {
  const int v = Opt(s, keys::kMailRepeat, 0);
  return v >= 0 && v <= 2 ? v : 0;
}
void SetMailRepeat(SettingsStore& s, int v) { SetOpt(s, keys::kMailRepeat, v); }
int LastMailHash(SettingsStore& s) { return Opt(s, keys::kLastMailHash, 0); }
int LastMailTime(SettingsStore& s) { return Opt(s, keys::kLastMailTime, 0); }
void SetLastMail(SettingsStore& s, int hash, int time) {
  SetOpt(s, keys::kLastMailHash, hash);
  SetOpt(s, keys::kLastMailTime, time);
}
std::string SmtpCaFile(SettingsStore& s) { return OptText(s, keys::kSmtpCaFile, ""); }
void SetSmtpCaFile(SettingsStore& s, std::string_view v) { SetOptText(s, keys::kSmtpCaFile, v); }
void SetSmtpAuth(SettingsStore& s, int v) { SetOpt(s, keys::kSmtpAuth, v); }
std::string LanguageFile(SettingsStore& s) { return OptText(s, keys::kLanguageFile, ""); }
void SetLanguageFile(SettingsStore& s, std::string_view v) {
  SetOptText(s, keys::kLanguageFile, v);
}
std::string Sound(SettingsStore& s) { return OptText(s, keys::kSound, kDefaultSound); }
void SetSound(SettingsStore& s, std::string_view v) { SetOptText(s, keys::kSound, v); }
std::string SmtpServer(SettingsStore& s) {
  return OptText(s, keys::kSmtpServer, kPlaceholderSmtpServer);
}
void SetSmtpServer(SettingsStore& s, std::string_view v) { SetOptText(s, keys::kSmtpServer, v); }
std::string Recipients(SettingsStore& s) {
  return OptText(s, keys::kRecipients, kPlaceholderRecipients);
}
void SetRecipients(SettingsStore& s, std::string_view v) { SetOptText(s, keys::kRecipients, v); }
std::string Sender(SettingsStore& s) { return OptText(s, keys::kSender, kPlaceholderSender); }
void SetSender(SettingsStore& s, std::string_view v) { SetOptText(s, keys::kSender, v); }
std::string SmtpUsername(SettingsStore& s) { return OptText(s, keys::kSmtpUsername, ""); }
void SetSmtpUsername(SettingsStore& s, std::string_view v) {
  SetOptText(s, keys::kSmtpUsername, v);
}

int Cy(SettingsStore& s, int designed) { return Opt(s, keys::kCy, designed); }
void SetCy(SettingsStore& s, int height) { SetOpt(s, keys::kCy, height); }
int PollEvery(SettingsStore& s) { return Opt(s, keys::kPollEvery, 1); }
int PollEveryForNextCheck(SettingsStore& s, int timeType) {
  return Opt(s, keys::kPollEvery, timeType != 0 ? 30 : 1);
}
void SetPollEvery(SettingsStore& s, int v) { SetOpt(s, keys::kPollEvery, AtLeastOne(v)); }
std::string NetworkUserName(SettingsStore& s) {
  return OptText(s, keys::kNetworkUserName, "administrator");
}
std::string NetworkUserNameForSending(SettingsStore& s) {
  return OptText(s, keys::kNetworkUserName, kNoNetworkUser);
}
void SetNetworkUserName(SettingsStore& s, std::string_view name) {
  SetOptText(s, keys::kNetworkUserName, name);
}
int CriticalTemp(SettingsStore& s) { return Opt(s, keys::kCriticalTemp, 50); }
int CriticalTempForCheck(SettingsStore& s, int temperature) {
  return Opt(s, keys::kCriticalTemp, temperature + 10);
}
void SetCriticalTemp(SettingsStore& s, int v) { SetOpt(s, keys::kCriticalTemp, AtLeastOne(v)); }
std::string SmtpPassword(SettingsStore& s) {
  return DecodePassword(OptText(s, keys::kSmtpPassword, ""));
}
void SetSmtpPassword(SettingsStore& s, std::string_view typed) {
  SetOptText(s, keys::kSmtpPassword, EncodePassword(typed));
}
void SetNumChangeAttrs(SettingsStore& s, int count) { SetOpt(s, keys::kNumChangeAttrs, count); }
void SetExit(SettingsStore& s, int v) { SetOpt(s, keys::kExit, v); }

namespace drive {
int EnableMonitor(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kEnableMonitor, 1);
}
void SetEnableMonitor(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kEnableMonitor, v);
}
int StartupDate(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kStartupDate, 0);
}
void SetStartupDate(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kStartupDate, v);
}
int LastCheck(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kLastCheck, 0);
}
void SetLastCheck(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kLastCheck, v);
}
std::string Model(SettingsStore& s, std::string_view section) {
  return s.GetProfileString(section, keys::kModel, "");
}
void SetModel(SettingsStore& s, std::string_view section, std::string_view model) {
  s.WriteProfileString(section, keys::kModel, model);
}
std::string Serial(SettingsStore& s, std::string_view section) {
  return s.GetProfileString(section, keys::kSerial, "");
}
void SetSerial(SettingsStore& s, std::string_view section, std::string_view serial) {
  s.WriteProfileString(section, keys::kSerial, serial);
}
std::string Device(SettingsStore& s, std::string_view section) {
  return s.GetProfileString(section, keys::kDevice, "");
}
void SetDevice(SettingsStore& s, std::string_view section, std::string_view device) {
  s.WriteProfileString(section, keys::kDevice, device);
}
int Missing(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kMissing, 0);
}
void SetMissing(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kMissing, v);
}
int UseCustomNotify(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kUseCustomNotify, 0);
}
void SetUseCustomNotify(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kUseCustomNotify, v);
}
int EnableSmartNotify(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kEnableSmartNotify, 1);
}
void SetEnableSmartNotify(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kEnableSmartNotify, v);
}
int EnableTempNotify(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kEnableTempNotify, 1);
}
void SetEnableTempNotify(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kEnableTempNotify, v);
}
int Popup(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kPopup, 1);
}
void SetPopup(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kPopup, v);
}
int Email(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kEmail, 0);
}
void SetEmail(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kEmail, v);
}
int Netsend(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kNetsend, 0);
}
void SetNetsend(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kNetsend, v);
}
int ChangePopup(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kChangePopup, 1);
}
void SetChangePopup(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kChangePopup, v);
}
int ChangeEmail(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kChangeEmail, 0);
}
void SetChangeEmail(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kChangeEmail, v);
}
int ChangeNetsend(SettingsStore& s, std::string_view section) {
  return s.GetProfileInt(section, keys::kChangeNetsend, 0);
}
void SetChangeNetsend(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kChangeNetsend, v);
}
int CriticalTemp(SettingsStore& s, std::string_view section, int temperature) {
  return s.GetProfileInt(section, keys::kCriticalTemp, temperature + 10);
}
void SetCriticalTemp(SettingsStore& s, std::string_view section, int v) {
  s.WriteProfileInt(section, keys::kCriticalTemp, AtLeastOne(v));
}
}  // namespace drive

namespace attribute {
int ChangeAlert(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id), 1);
}
int UseCustomThresholds(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kUseCustomThresholds), 0);
}
void SetUseCustomThresholds(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kUseCustomThresholds), v);
}
int CustomNotify(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kCustomNotify), 1);
}
void SetCustomNotify(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kCustomNotify), v);
}
int Popup(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kAttrPopup), 1);
}
void SetPopup(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kAttrPopup), v);
}
int Email(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kAttrEmail), 0);
}
void SetEmail(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kAttrEmail), v);
}
int NetSend(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kAttrNetSend), 0);
}
void SetNetSend(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kAttrNetSend), v);
}
int LogChanges(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kLogChanges), 1);
}
void SetLogChanges(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kLogChanges), v);
}
int LastChangeDate(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kLastChangeDate), 0);
}
void SetLastChangeDate(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kLastChangeDate), v);
}
int TecDate(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kTecDate), 0);
}
void SetTecDate(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kTecDate), v);
}
int CriticalValue(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kCriticalValue), -1);
}
void SetCriticalValue(SettingsStore& s, std::string_view section, int id, int v) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kCriticalValue), AtLeastOne(v));
}
std::optional<std::uint32_t> RawCount(SettingsStore& s, std::string_view section, int id) {
  // Two reads with different defaults tell an absent key from any count.
  const std::string key = keys::AttributeKey(id, keys::kRawCount);
  const int a = s.GetProfileInt(section, key, 0);
  if (a == 0 && s.GetProfileInt(section, key, 1) == 1) return std::nullopt;
  return static_cast<std::uint32_t>(a);
}
void SetRawCount(SettingsStore& s, std::string_view section, int id, std::uint32_t count) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kRawCount), static_cast<int>(count));
}
int LastFall(SettingsStore& s, std::string_view section, int id) {
  return s.GetProfileInt(section, keys::AttributeKey(id, keys::kLastFall), 0);
}
void SetLastFall(SettingsStore& s, std::string_view section, int id, int fall) {
  s.WriteProfileInt(section, keys::AttributeKey(id, keys::kLastFall), fall);
}
}  // namespace attribute

}  // namespace torvel::settings
