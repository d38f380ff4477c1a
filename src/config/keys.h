// Every section and key name of the settings store, in one place.
#pragma once

#include <string>
#include <string_view>

namespace torvel::keys {

inline constexpr const char* kOptions = "Options";

// Options.
inline constexpr const char* kOnce = "Once";
inline constexpr const char* kLanguageFile = "LanguageFile";
inline constexpr const char* kShowOldLanguageFileMess = "ShowOldLanguageFileMess";
inline constexpr const char* kSelectedDrive = "Selected drive";
inline constexpr const char* kCy = "cy";
inline constexpr const char* kShowToolTips = "ShowToolTips";
inline constexpr const char* kAutoCheck = "AutoCheck";
inline constexpr const char* kPollEvery = "PollEvery";
inline constexpr const char* kTimeType = "TimeType";
inline constexpr const char* kAutostart = "Autostart";
inline constexpr const char* kCheckAndExit = "CheckAndExit";
inline constexpr const char* kOpenAtStartup = "OpenAtStartup";
inline constexpr const char* kLogEnable = "LogEnable";
inline constexpr const char* kUseEventLog = "UseEventLog";
inline constexpr const char* kShowTrayStatus = "ShowTrayStatus";
inline constexpr const char* kFlashIcon = "FlashIcon";
// 0: the launcher raises no desktop notifications (default 1).
inline constexpr const char* kDesktopNotifications = "DesktopNotifications";
inline constexpr const char* kPopup = "Popup";
inline constexpr const char* kEmail = "Email";
inline constexpr const char* kNetsend = "Netsend";
inline constexpr const char* kNetworkUserName = "NetworkUserName";
inline constexpr const char* kPlaySound = "PlaySound";
inline constexpr const char* kSound = "Sound";
inline constexpr const char* kEnableTempNotify = "EnableTempNotify";
inline constexpr const char* kCriticalTemp = "CriticalTemp";
inline constexpr const char* kSmtpServer = "SMTPserver";
inline constexpr const char* kRecipients = "Recipients";
inline constexpr const char* kSender = "Sender";
inline constexpr const char* kSmtpAuth = "smtpAuth";
inline constexpr const char* kSmtpUsername = "smtpUsername";
inline constexpr const char* kSmtpPassword = "smtpPassword";
inline constexpr const char* kSmtpTls = "smtpTLS";
inline constexpr const char* kMailRepeat = "MailRepeat";
// What the last alert mail said (a hash) and when, for MailRepeat.
inline constexpr const char* kLastMailHash = "LastMailHash";
inline constexpr const char* kLastMailTime = "LastMailTime";
inline constexpr const char* kSmtpCaFile = "smtpCAFile";
// 1: a disk in standby is read anyway; 0 (the default) leaves it asleep.
inline constexpr const char* kWakeSleeping = "WakeSleeping";
inline constexpr const char* kNumChangeAttrs = "NumChangeAttrs";
inline constexpr const char* kExit = "Exit";

// Per-drive sections (named by the drive's serial text).
inline constexpr const char* kEnableMonitor = "EnableMonitor";
inline constexpr const char* kStartupDate = "StartupDate";
inline constexpr const char* kLastCheck = "LastCheck";
inline constexpr const char* kUseCustomNotify = "UseCustomNotify";
inline constexpr const char* kEnableSmartNotify = "EnableSMARTNotify";
inline constexpr const char* kChangePopup = "ChangePopup";
inline constexpr const char* kChangeEmail = "ChangeEmail";
inline constexpr const char* kChangeNetsend = "ChangeNetsend";
// The model, so a drive that stops answering can be named.
inline constexpr const char* kModel = "Model";
inline constexpr const char* kSerial = "Serial";
// 1 once the drive was reported as no longer answering.
inline constexpr const char* kMissing = "Missing";
// The drive's device node when it last answered, so that a disk left asleep
// (not identified) is still known to be there.
inline constexpr const char* kDevice = "Device";
// (Popup, Email, Netsend, EnableTempNotify and CriticalTemp share their
// names with the Options keys above.)

// Per-attribute key suffixes: "%d-<suffix>".
inline constexpr const char* kUseCustomThresholds = "UseCustomThresholds";
inline constexpr const char* kCustomNotify = "CustomNotify";
inline constexpr const char* kCriticalValue = "CriticalValue";
inline constexpr const char* kAttrPopup = "Popup";
inline constexpr const char* kAttrEmail = "Email";
inline constexpr const char* kAttrNetSend = "NetSend";
inline constexpr const char* kLogChanges = "LogChanges";
inline constexpr const char* kLastChangeDate = "LastChangeDate";
inline constexpr const char* kTecDate = "TECdate";
// The accepted raw count of a sector-count attribute.
inline constexpr const char* kRawCount = "RawCount";
// The fall last projected, (from << 8) | to, so the same fall is not
// projected again while the baseline is kept.
inline constexpr const char* kLastFall = "LastFall";

// "%d": the attribute's change-alert switch.
std::string AttributeKey(int id);
// "%d-%s": the attribute's saved value, named by the attribute-name table
// (drive/smart_data.h's AttributeName).
std::string AttributeValueKey(int id, std::string_view name);
// "%d-<suffix>".
std::string AttributeKey(int id, const char* suffix);

}  // namespace torvel::keys
