#include "config/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/settings_store.h"

// Key names are spelled out here rather than taken from config/keys.h: a
// typo in that table must fail these tests, not follow into them.
namespace torvel {
namespace {

namespace drive = settings::drive;
namespace attribute = settings::attribute;

constexpr const char* kSection = "WD-WMC4N0123456";

TEST(SettingsDefaults, FreshStoreGivesEachReaderItsDesignedDefault) {
  MemorySettingsStore s;

  EXPECT_EQ(settings::Once(s), 0);
  EXPECT_EQ(settings::LanguageFile(s), "");
  EXPECT_EQ(settings::ShowOldLanguageFileMess(s), 1);
  EXPECT_EQ(settings::SelectedDrive(s), 0);
  EXPECT_EQ(settings::Cy(s, 417), 417);
  EXPECT_EQ(settings::Cy(s, 388), 388);
  EXPECT_EQ(settings::ShowToolTips(s), 1);
  EXPECT_EQ(settings::AutoCheck(s), 1);
  EXPECT_EQ(settings::TimeType(s), 0);
  EXPECT_EQ(settings::Autostart(s), 1);
  EXPECT_EQ(settings::CheckAndExit(s), 0);
  EXPECT_EQ(settings::OpenAtStartup(s), 0);
  EXPECT_EQ(settings::LogEnable(s), 1);
  EXPECT_EQ(settings::UseEventLog(s), 0);
  EXPECT_EQ(settings::ShowTrayStatus(s), 1);
  EXPECT_EQ(settings::FlashIcon(s), 1);
  EXPECT_EQ(settings::DesktopNotifications(s), 1);
  EXPECT_EQ(settings::Popup(s), 1);
  EXPECT_EQ(settings::Email(s), 0);
  EXPECT_EQ(settings::Netsend(s), 0);
  EXPECT_EQ(settings::PlaySound(s), 1);
  EXPECT_EQ(settings::Sound(s), "alert.wav");
  EXPECT_EQ(settings::EnableTempNotify(s), 1);
  EXPECT_EQ(settings::SmtpServer(s), "smtp.example.com");
  EXPECT_EQ(settings::Recipients(s), "admin@example.com");
  EXPECT_EQ(settings::Sender(s), "torvel@example.com");
  EXPECT_EQ(settings::SmtpAuth(s), 0);
  EXPECT_EQ(settings::SmtpUsername(s), "");
  EXPECT_EQ(settings::SmtpPassword(s), "");

  // One key, a default per reader.
  EXPECT_EQ(settings::PollEvery(s), 1);
  EXPECT_EQ(settings::PollEveryForNextCheck(s, 0), 1);
  EXPECT_EQ(settings::PollEveryForNextCheck(s, 1), 30);
  EXPECT_EQ(settings::CriticalTemp(s), 50);
  EXPECT_EQ(settings::CriticalTempForCheck(s, 38), 48);
  EXPECT_EQ(settings::CriticalTempForCheck(s, 0), 10);
  EXPECT_EQ(settings::NetworkUserName(s), "administrator");
  EXPECT_EQ(settings::NetworkUserNameForSending(s), "?");

  EXPECT_EQ(s.writes, 0) << "a reader wrote its default";
}

TEST(SettingsDefaults, FreshDriveSectionAndAttributeKeys) {
  MemorySettingsStore s;

  EXPECT_EQ(drive::EnableMonitor(s, kSection), 1);
  EXPECT_EQ(drive::StartupDate(s, kSection), 0);
  EXPECT_EQ(drive::LastCheck(s, kSection), 0);
  EXPECT_EQ(drive::UseCustomNotify(s, kSection), 0);
  EXPECT_EQ(drive::EnableSmartNotify(s, kSection), 1);
  EXPECT_EQ(drive::EnableTempNotify(s, kSection), 1);
  EXPECT_EQ(drive::CriticalTemp(s, kSection, 38), 48);
  EXPECT_EQ(drive::CriticalTemp(s, kSection, 51), 61);
  EXPECT_EQ(drive::Popup(s, kSection), 1);
  EXPECT_EQ(drive::Email(s, kSection), 0);
  EXPECT_EQ(drive::Netsend(s, kSection), 0);
  EXPECT_EQ(drive::ChangePopup(s, kSection), 1);
  EXPECT_EQ(drive::ChangeEmail(s, kSection), 0);
  EXPECT_EQ(drive::ChangeNetsend(s, kSection), 0);

  EXPECT_EQ(attribute::ChangeAlert(s, kSection, 5), 1);
  EXPECT_EQ(attribute::UseCustomThresholds(s, kSection, 5), 0);
  EXPECT_EQ(attribute::CustomNotify(s, kSection, 5), 1);
  EXPECT_EQ(attribute::CriticalValue(s, kSection, 5), -1);
  EXPECT_EQ(attribute::Popup(s, kSection, 5), 1);
  EXPECT_EQ(attribute::Email(s, kSection, 5), 0);
  EXPECT_EQ(attribute::NetSend(s, kSection, 5), 0);
  EXPECT_EQ(attribute::LogChanges(s, kSection, 5), 1);
  EXPECT_EQ(attribute::LastChangeDate(s, kSection, 5), 0);
  EXPECT_EQ(attribute::TecDate(s, kSection, 5), 0);

  EXPECT_EQ(s.writes, 0) << "a reader wrote its default";
}

// A setter on a fresh store must leave exactly one entry, spelled as the
// design names it (the store itself ignores case, other tools do not).
struct Written {
  const char* what;
  std::function<void(SettingsStore&)> write;
  const char* section;
  const char* key;
  int value;
};

TEST(SettingsNames, EachIntSetterWritesItsDesignedKey) {
  const Written cases[] = {
      {"Once", [](SettingsStore& s) { settings::SetOnce(s, 1); }, "Options", "Once", 1},
      {"SelectedDrive", [](SettingsStore& s) { settings::SetSelectedDrive(s, 3); }, "Options",
       "Selected drive", 3},
      {"Cy", [](SettingsStore& s) { settings::SetCy(s, 455); }, "Options", "cy", 455},
      {"PollEvery", [](SettingsStore& s) { settings::SetPollEvery(s, 12); }, "Options", "PollEvery",
       12},
      {"TimeType", [](SettingsStore& s) { settings::SetTimeType(s, 1); }, "Options", "TimeType", 1},
      {"ShowOldLanguageFileMess", [](SettingsStore& s) { settings::SetShowOldLanguageFileMess(s, 0); },
       "Options", "ShowOldLanguageFileMess", 0},
      {"CheckAndExit", [](SettingsStore& s) { settings::SetCheckAndExit(s, 1); }, "Options",
       "CheckAndExit", 1},
      {"CriticalTemp", [](SettingsStore& s) { settings::SetCriticalTemp(s, 47); }, "Options",
       "CriticalTemp", 47},
      {"SmtpAuth", [](SettingsStore& s) { settings::SetSmtpAuth(s, 1); }, "Options", "smtpAuth", 1},
      {"NumChangeAttrs", [](SettingsStore& s) { settings::SetNumChangeAttrs(s, 4); }, "Options",
       "NumChangeAttrs", 4},
      {"Exit", [](SettingsStore& s) { settings::SetExit(s, 1); }, "Options", "Exit", 1},
      {"DesktopNotifications", [](SettingsStore& s) { settings::SetDesktopNotifications(s, 0); },
       "Options", "DesktopNotifications", 0},
      {"drive EnableSMARTNotify", [](SettingsStore& s) { drive::SetEnableSmartNotify(s, kSection, 0); },
       kSection, "EnableSMARTNotify", 0},
      {"drive CriticalTemp", [](SettingsStore& s) { drive::SetCriticalTemp(s, kSection, 55); },
       kSection, "CriticalTemp", 55},
      {"drive LastCheck", [](SettingsStore& s) { drive::SetLastCheck(s, kSection, 1104537600); },
       kSection, "LastCheck", 1104537600},
      {"drive ChangeNetsend", [](SettingsStore& s) { drive::SetChangeNetsend(s, kSection, 1); },
       kSection, "ChangeNetsend", 1},
      {"attribute CriticalValue", [](SettingsStore& s) { attribute::SetCriticalValue(s, kSection, 5, 90); },
       kSection, "5-CriticalValue", 90},
      {"attribute UseCustomThresholds",
       [](SettingsStore& s) { attribute::SetUseCustomThresholds(s, kSection, 194, 1); }, kSection,
       "194-UseCustomThresholds", 1},
      {"attribute NetSend", [](SettingsStore& s) { attribute::SetNetSend(s, kSection, 9, 1); },
       kSection, "9-NetSend", 1},
      {"attribute TecDate", [](SettingsStore& s) { attribute::SetTecDate(s, kSection, 5, 1200000000); },
       kSection, "5-TECdate", 1200000000},
  };
  for (const Written& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySettingsStore s;
    c.write(s);
    const auto entries = s.Dump();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].section, c.section);
    EXPECT_EQ(entries[0].key, c.key);
    EXPECT_TRUE(entries[0].isInt);
    EXPECT_EQ(s.GetProfileInt(c.section, c.key, -99), c.value);
  }
}

TEST(SettingsNames, TextSettersWriteTheirDesignedKeysAndReadersFindThem) {
  MemorySettingsStore s;
  settings::SetLanguageFile(s, "Language/Deutsch.lng");
  settings::SetNetworkUserName(s, "oper");
  settings::SetSound(s, "/home/u/ding.wav");
  settings::SetSmtpServer(s, "mail.lan");
  settings::SetRecipients(s, "ops@lan");
  settings::SetSender(s, "box@lan");
  settings::SetSmtpUsername(s, "box");

  EXPECT_EQ(s.GetProfileString("Options", "LanguageFile", "?"), "Language/Deutsch.lng");
  EXPECT_EQ(s.GetProfileString("Options", "NetworkUserName", "?"), "oper");
  EXPECT_EQ(s.GetProfileString("Options", "Sound", "?"), "/home/u/ding.wav");
  EXPECT_EQ(s.GetProfileString("Options", "SMTPserver", "?"), "mail.lan");
  EXPECT_EQ(s.GetProfileString("Options", "Recipients", "?"), "ops@lan");
  EXPECT_EQ(s.GetProfileString("Options", "Sender", "?"), "box@lan");
  EXPECT_EQ(s.GetProfileString("Options", "smtpUsername", "?"), "box");
  EXPECT_EQ(s.Dump().size(), 7u);

  // Both readers of a shared key see a stored value, not their defaults.
  EXPECT_EQ(settings::NetworkUserName(s), "oper");
  EXPECT_EQ(settings::NetworkUserNameForSending(s), "oper");
  EXPECT_EQ(settings::LanguageFile(s), "Language/Deutsch.lng");
  EXPECT_EQ(settings::Sound(s), "/home/u/ding.wav");
  EXPECT_EQ(settings::SmtpServer(s), "mail.lan");
}

TEST(SettingsNames, ReadersOfOneKeyShareWhatIsStored) {
  MemorySettingsStore s;
  s.WriteProfileInt("Options", "PollEvery", 7);
  s.WriteProfileInt("Options", "CriticalTemp", 44);
  s.WriteProfileInt(kSection, "CriticalTemp", 39);
  s.WriteProfileInt(kSection, "5-CriticalValue", 0);
  s.WriteProfileInt(kSection, "5", 0);
  s.WriteProfileInt(kSection, "EnableMonitor", 0);

  EXPECT_EQ(settings::PollEvery(s), 7);
  EXPECT_EQ(settings::PollEveryForNextCheck(s, 0), 7);
  EXPECT_EQ(settings::PollEveryForNextCheck(s, 1), 7);
  EXPECT_EQ(settings::CriticalTemp(s), 44);
  EXPECT_EQ(settings::CriticalTempForCheck(s, 60), 44);
  // The drive's own key, not the global one of the same name.
  EXPECT_EQ(drive::CriticalTemp(s, kSection, 60), 39);
  EXPECT_EQ(drive::CriticalTemp(s, "other", 60), 70);
  // A stored 0 is a value, not "unset".
  EXPECT_EQ(attribute::CriticalValue(s, kSection, 5), 0);
  EXPECT_EQ(attribute::CriticalValue(s, kSection, 6), -1);
  EXPECT_EQ(attribute::ChangeAlert(s, kSection, 5), 0);
  EXPECT_EQ(attribute::ChangeAlert(s, kSection, 6), 1);
  EXPECT_EQ(drive::EnableMonitor(s, kSection), 0);
}

TEST(SettingsBounds, PollEveryAndCriticalValuesAreNeverWrittenBelowOne) {
  const std::pair<int, int> cases[] = {{0, 1}, {-3, 1}, {1, 1}, {7, 7}};
  for (auto [in, out] : cases) {
    SCOPED_TRACE(in);
    MemorySettingsStore s;
    settings::SetPollEvery(s, in);
    settings::SetCriticalTemp(s, in);
    drive::SetCriticalTemp(s, kSection, in);
    attribute::SetCriticalValue(s, kSection, 5, in);
    EXPECT_EQ(s.GetProfileInt("Options", "PollEvery", -99), out);
    EXPECT_EQ(s.GetProfileInt("Options", "CriticalTemp", -99), out);
    EXPECT_EQ(s.GetProfileInt(kSection, "CriticalTemp", -99), out);
    EXPECT_EQ(s.GetProfileInt(kSection, "5-CriticalValue", -99), out);
  }
}

TEST(SettingsBounds, OtherIntKeysAreWrittenAsGiven) {
  MemorySettingsStore s;
  settings::SetSelectedDrive(s, -1);
  settings::SetTimeType(s, 0);
  attribute::SetCustomNotify(s, kSection, 5, 0);
  drive::SetStartupDate(s, kSection, -5);
  EXPECT_EQ(s.GetProfileInt("Options", "Selected drive", 99), -1);
  EXPECT_EQ(s.GetProfileInt("Options", "TimeType", 99), 0);
  EXPECT_EQ(s.GetProfileInt(kSection, "5-CustomNotify", 99), 0);
  EXPECT_EQ(s.GetProfileInt(kSection, "StartupDate", 99), -5);
}

TEST(SettingsPassword, StoredShiftedAndReadBackAsTyped) {
  MemorySettingsStore s;
  settings::SetSmtpPassword(s, "abc");
  EXPECT_EQ(s.GetProfileString("Options", "smtpPassword", "?"), "bcd");
  EXPECT_EQ(settings::SmtpPassword(s), "abc");

  // What an older installation stored is decoded the same way.
  s.WriteProfileString("Options", "smtpPassword", "qb66");
  EXPECT_EQ(settings::SmtpPassword(s), "pa55");
}

}  // namespace
}  // namespace torvel
