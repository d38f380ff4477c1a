// The drive properties, attribute notification and mail settings dialogs:
// what they show from the store, what they write, and a real test mail to a
// local SMTP server (tests/notify/smtp_server.py).
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <cstdlib>
#include <optional>

#include "config/keys.h"
#include "config/settings.h"
#include "drive/smart_data.h"
#include "platform/ui_services.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/window_env.h"
#include "ui/controls/colour_label.h"
#include "ui/custom_thresholds_dlg.h"
#include "ui/drive_properties_dlg.h"
#include "ui/logic/settings_dialogs_logic.h"
#include "ui/mail_settings_dlg.h"

namespace torvel {
namespace {

constexpr const char* kSerial = "5VM1ABCD";

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Types into a number or text field as the user would, over what it held.
void Type(QWidget* field, const QString& text, bool endEdit = false) {
  QLineEdit* edit = qobject_cast<QLineEdit*>(field);
  if (!edit) edit = field->findChild<QLineEdit*>();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  // As when the field loses the focus.
  if (endEdit) Q_EMIT static_cast<QAbstractSpinBox*>(field)->editingFinished();
}

struct SettingsDialogs : ::testing::Test {
  SettingsDialogs() {
    DriveRecord& r = world.AddDrive(0, "ST3500418AS", kSerial);
    r.temperature = 35;
    auto& attributes = world.tables.attributes[0].attributes;
    attributes[0].id = 9;
    attributes[0].value = 98;
    attributes[1].id = kTemperatureId;
    attributes[1].value = 35;
  }
  int Stored(const char* key, int fallback = -99) { return world.store.GetProfileInt(kSerial, key, fallback); }
  int StoredAttr(int id, const char* suffix, int fallback = -99) {
    return Stored(keys::AttributeKey(id, suffix).c_str(), fallback);
  }

  test::WindowWorld world;
};

// ---- Drive properties ------------------------------------------------------

TEST_F(SettingsDialogs, NeverOpenedDriveStartsGreyedAndTickingLoadsTheDefaults) {
  CDrivePropertiesDlg dlg(world.env, nullptr);
  auto* useCustom = Child<QCheckBox>(dlg, "useCustom");
  EXPECT_FALSE(useCustom->isChecked());
  for (const char* name : {"failureWarnings", "temperature", "criticalTemp", "popup", "changeNetsend"})
    EXPECT_FALSE(Child<QWidget>(dlg, name)->isEnabled()) << name;
  EXPECT_EQ(world.store.writes, 0);
  EXPECT_EQ(Child<QLabel>(dlg, "diskLine")->text(), "ST3500418AS, 500.1 GB [S/N: 5VM1ABCD]");

  useCustom->click();
  EXPECT_EQ(Stored(keys::kUseCustomNotify), 1);
  for (const char* name : {"popup", "changePopup", "failureWarnings", "temperature"})
    EXPECT_TRUE(Child<QCheckBox>(dlg, name)->isChecked()) << name;
  for (const char* name : {"email", "netsend", "changeEmail", "changeNetsend"})
    EXPECT_FALSE(Child<QCheckBox>(dlg, name)->isChecked()) << name;
  EXPECT_EQ(Child<QSpinBox>(dlg, "criticalTemp")->value(), 45);
  EXPECT_TRUE(Child<QWidget>(dlg, "criticalTemp")->isEnabled());
  // Applied as if clicked: the warning's state is written.
  EXPECT_EQ(Stored(keys::kEnableTempNotify), 1);

  // Unticking keeps what was written and greys the rest again.
  Child<QCheckBox>(dlg, "failureWarnings")->click();
  useCustom->click();
  EXPECT_EQ(Stored(keys::kEnableSmartNotify), 0);
  EXPECT_FALSE(Child<QWidget>(dlg, "failureWarnings")->isEnabled());
}

TEST_F(SettingsDialogs, DriveWithoutTemperatureKeepsTheTemperatureControlsGreyed) {
  world.tables.records[0].temperature = 0;
  world.store.WriteProfileInt(kSerial, keys::kUseCustomNotify, 1);
  world.store.WriteProfileInt(kSerial, keys::kEnableTempNotify, 1);
  CDrivePropertiesDlg dlg(world.env, nullptr);
  EXPECT_TRUE(Child<QWidget>(dlg, "failureWarnings")->isEnabled());
  EXPECT_FALSE(Child<QWidget>(dlg, "temperature")->isEnabled());
  EXPECT_FALSE(Child<QWidget>(dlg, "criticalTemp")->isEnabled());
}

TEST_F(SettingsDialogs, CriticalTemperatureIsStoredAtLeastOneArrowedOrTyped) {
  world.store.WriteProfileInt(kSerial, keys::kUseCustomNotify, 1);
  world.store.WriteProfileInt(kSerial, keys::kCriticalTemp, 2);
  CDrivePropertiesDlg dlg(world.env, nullptr);
  dlg.show();
  auto* critical = Child<QSpinBox>(dlg, "criticalTemp");
  critical->stepDown();
  critical->stepDown();
  EXPECT_EQ(critical->value(), 0);
  EXPECT_EQ(Stored(keys::kCriticalTemp), 1);

  // Typed without touching the arrows: kept when the edit ends...
  Type(critical, "62", true);
  EXPECT_EQ(Stored(keys::kCriticalTemp), 62);
  Type(critical, "0", true);
  EXPECT_EQ(Stored(keys::kCriticalTemp), 1);
  // ...and when Enter closes the dialog straight after typing.
  Type(critical, "57");
  QTest::keyClick(critical, Qt::Key_Return);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(Stored(keys::kCriticalTemp), 57);
}

// ---- An attribute's notification settings -----------------------------------

TEST_F(SettingsDialogs, AttributeNeverEditedShowsDefaultsGreyedAndItsCurrentValue) {
  CCustomThresholdsDlg dlg(world.env, 0, nullptr);
  EXPECT_FALSE(Child<QCheckBox>(dlg, "useCustom")->isChecked());
  for (const char* name : {"whenever", "atOrBelow", "never", "level", "popup", "logging"})
    EXPECT_FALSE(Child<QWidget>(dlg, name)->isEnabled()) << name;
  EXPECT_TRUE(Child<QCheckBox>(dlg, "logging")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dlg, "popup")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(dlg, "email")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(dlg, "netsend")->isChecked());
  EXPECT_EQ(Child<QSpinBox>(dlg, "level")->value(), 98);
  auto* line = Child<CColourLabel>(dlg, "attributeLine");
  EXPECT_EQ(line->text().toStdString(), " ID 09 (9) - " + std::string(AttributeName(9)) + ", 98");
  EXPECT_EQ(line->bkColor(), QColor(137, 137, 137));
  EXPECT_EQ(world.store.writes, 0);
}

TEST_F(SettingsDialogs, TemperatureAttributeShowsTheDriveTemperatureOrNa) {
  {
    CCustomThresholdsDlg dlg(world.env, 1, nullptr);
    EXPECT_EQ(Child<QSpinBox>(dlg, "level")->value(), 35);
    EXPECT_TRUE(Child<QLabel>(dlg, "attributeLine")->text().endsWith(QStringLiteral(", 35 °C")));
  }
  world.tables.records[0].temperature = 0;
  CCustomThresholdsDlg dlg(world.env, 1, nullptr);
  EXPECT_TRUE(Child<QLabel>(dlg, "attributeLine")->text().endsWith(QStringLiteral(", n/a")));
}

TEST_F(SettingsDialogs, StoredModesZeroAndFourSelectNoButton) {
  world.store.WriteProfileInt(kSerial, "9-UseCustomThresholds", 1);
  for (int mode : {0, 4, 2}) {
    world.store.WriteProfileInt(kSerial, "9-CustomNotify", mode);
    CCustomThresholdsDlg dlg(world.env, 0, nullptr);
    int selected = 0;
    for (const char* name : {"whenever", "atOrBelow", "never"})
      selected += Child<QRadioButton>(dlg, name)->isChecked() ? 1 : 0;
    EXPECT_EQ(selected, mode == 2 ? 1 : 0) << mode;
    EXPECT_EQ(Child<QWidget>(dlg, "level")->isEnabled(), mode == 2) << mode;
  }
}

TEST_F(SettingsDialogs, NeverButtonGreysTheMethodsAndKeepsThemStored) {
  world.store.WriteProfileInt(kSerial, "9-UseCustomThresholds", 1);
  world.store.WriteProfileInt(kSerial, "9-Email", 1);
  CCustomThresholdsDlg dlg(world.env, 0, nullptr);
  EXPECT_TRUE(Child<QRadioButton>(dlg, "whenever")->isChecked());
  Child<QRadioButton>(dlg, "never")->click();
  EXPECT_EQ(StoredAttr(9, keys::kCustomNotify), 3);
  EXPECT_FALSE(Child<QWidget>(dlg, "email")->isEnabled());
  EXPECT_TRUE(Child<QCheckBox>(dlg, "email")->isChecked());
  EXPECT_EQ(StoredAttr(9, keys::kAttrEmail), 1);
  Child<QRadioButton>(dlg, "atOrBelow")->click();
  EXPECT_EQ(StoredAttr(9, keys::kCustomNotify), 2);
  EXPECT_TRUE(Child<QWidget>(dlg, "email")->isEnabled());
  EXPECT_TRUE(Child<QWidget>(dlg, "level")->isEnabled());
}

TEST_F(SettingsDialogs, LevelIsStoredWithinOneTo253ArrowedOrTyped) {
  world.store.WriteProfileInt(kSerial, "9-UseCustomThresholds", 1);
  world.store.WriteProfileInt(kSerial, "9-CustomNotify", 2);
  CCustomThresholdsDlg dlg(world.env, 0, nullptr);
  dlg.show();
  auto* level = Child<QSpinBox>(dlg, "level");
  // A level only typed used to stay -1, and mode 2 then never told.
  Type(level, "40", true);
  EXPECT_EQ(StoredAttr(9, keys::kCriticalValue), 40);
  level->setValue(253);
  level->stepUp();
  EXPECT_EQ(StoredAttr(9, keys::kCriticalValue), 253);
  Type(level, "7");
  Child<QPushButton>(dlg, "close")->click();
  EXPECT_EQ(StoredAttr(9, keys::kCriticalValue), 7);
}

// ---- Mail settings -------------------------------------------------------------

TEST_F(SettingsDialogs, EscapeKeepsTheOldServerButTheNewAuthentication) {
  world.store.WriteProfileString(keys::kOptions, keys::kSmtpServer, "old.example");
  CMailSettingsDlg dlg(world.env, nullptr);
  dlg.show();
  EXPECT_FALSE(Child<QWidget>(dlg, "userName")->isEnabled());
  Type(Child<QLineEdit>(dlg, "server"), "new.example");
  Child<QCheckBox>(dlg, "authentication")->click();
  EXPECT_TRUE(Child<QWidget>(dlg, "password")->isEnabled());
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kSmtpServer, ""), "old.example");
  EXPECT_EQ(world.store.GetProfileInt(keys::kOptions, keys::kSmtpAuth, 0), 1);
}

TEST_F(SettingsDialogs, PasswordIsShownAsTypedAndStoredOneCodeHigher) {
  world.store.WriteProfileString(keys::kOptions, keys::kSmtpPassword, "bcd");
  {
    CMailSettingsDlg dlg(world.env, nullptr);
    EXPECT_EQ(Child<QLineEdit>(dlg, "password")->text(), "abc");
    EXPECT_EQ(Child<QLineEdit>(dlg, "password")->echoMode(), QLineEdit::Password);
    // Greyed (authentication off) but still saved.
    Child<QLineEdit>(dlg, "password")->setText("xy");
    Child<QLineEdit>(dlg, "userName")->setText("ops");
    Child<QPushButton>(dlg, "close")->click();
  }
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kSmtpPassword, ""), "yz");
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kSmtpUsername, ""), "ops");
  world.store.WriteProfileString(keys::kOptions, keys::kSmtpPassword, "");
  CMailSettingsDlg dlg(world.env, nullptr);
  EXPECT_EQ(Child<QLineEdit>(dlg, "password")->text(), "");
}

TEST_F(SettingsDialogs, CloseRefusesWhatWouldBreakTheMailAndStoresTlsAndCaFile) {
  CMailSettingsDlg dlg(world.env, nullptr);
  dlg.show();
  // A character Windows-1252 lacks would be stored as "?".
  Child<QLineEdit>(dlg, "password")->setText(QString::fromUtf8("paÅ" "55"));  // "ł"
  Child<QPushButton>(dlg, "close")->click();
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_NE(world.ui.boxes[0].text.find("cannot be stored"), std::string::npos);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kSmtpPassword, "unset"), "unset");

  Child<QLineEdit>(dlg, "password")->setText("pa55");
  Child<QLineEdit>(dlg, "recipients")->setText("a@x.test\nRCPT TO:<b@y.test>");
  Child<QPushButton>(dlg, "close")->click();
  ASSERT_EQ(world.ui.boxes.size(), 2u);
  EXPECT_EQ(world.ui.boxes[1].text, "The mail settings cannot be used: the Recipients hold a line "
                                    "break or control character");
  EXPECT_TRUE(dlg.isVisible());

  Child<QLineEdit>(dlg, "recipients")->setText("a@x.test");
  Child<QLineEdit>(dlg, "server")->setText("  smtp.example.org  ");
  Child<QComboBox>(dlg, "security")->setCurrentIndex(2);
  Child<QLineEdit>(dlg, "caFile")->setText("/etc/ssl/own-ca.pem");
  Child<QPushButton>(dlg, "close")->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(settings::SmtpServer(world.store), "smtp.example.org");
  EXPECT_EQ(settings::SmtpTls(world.store), 2);
  EXPECT_EQ(settings::SmtpCaFile(world.store), "/etc/ssl/own-ca.pem");
  EXPECT_EQ(settings::SmtpPassword(world.store), "pa55");
}

// The test mail through the real SMTP module (TORVEL_SMTP_MODULE) while the
// dialog's event loop keeps running.
struct TestMail : SettingsDialogs {
  TestMail() {
    setenv("TORVEL_SMTP_MODULE", TORVEL_SMTP_MODULE_PATH, 1);
    dlg.emplace(world.env, nullptr);
    unsetenv("TORVEL_SMTP_MODULE");
    dlg->show();
  }
  void StartServer() {
    server.emplace(std::vector<std::string>{"/usr/bin/python3",
                                            TORVEL_SOURCE_DIR "/tests/notify/smtp_server.py",
                                            dir.File("mails"), "--auth", "ops:pa55"},
                   dir.path());
    const auto line = server->ReadUntil("port=");
    ASSERT_TRUE(line) << "smtp_server.py did not start (python3-aiosmtpd missing?)";
    address = "127.0.0.1:" + line->substr(5);
  }
  // Serves the dialog's events until the result box has been shown.
  bool WaitForResult() {
    QElapsedTimer timer;
    timer.start();
    while (world.ui.boxes.empty() && timer.elapsed() < 60'000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    return !world.ui.boxes.empty();
  }
  void Fill(const std::string& serverText) {
    Type(Child<QLineEdit>(*dlg, "server"), QString::fromStdString(serverText));
    Type(Child<QLineEdit>(*dlg, "recipients"), "a@x.test");
    Type(Child<QLineEdit>(*dlg, "sender"), "torvel@x.test");
    // The local server has no TLS: logging in there takes the choice "none".
    Child<QComboBox>(*dlg, "security")->setCurrentIndex(3);
  }

  test::TempDir dir;
  std::optional<test::ChildProcess> server;
  std::string address;
  std::optional<CMailSettingsDlg> dlg;
};

TEST_F(TestMail, ArrivesWithTheTypedLogInAndShowsTheResultBox) {
  StartServer();
  Fill(address);
  Child<QCheckBox>(*dlg, "authentication")->click();
  Type(Child<QLineEdit>(*dlg, "userName"), "ops");
  Type(Child<QLineEdit>(*dlg, "password"), "pa55");
  Child<QPushButton>(*dlg, "test")->click();

  EXPECT_TRUE(dlg->testing());
  EXPECT_FALSE(Child<QWidget>(*dlg, "test")->isEnabled());
  EXPECT_FALSE(Child<QWidget>(*dlg, "close")->isEnabled());
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  // Escape while the mail is out leaves the dialog open for its result.
  QTest::keyClick(dlg.operator->(), Qt::Key_Escape);
  EXPECT_TRUE(dlg->isVisible());

  ASSERT_TRUE(WaitForResult());
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_EQ(world.ui.boxes[0].text, "Mail has been sent successfully!");
  EXPECT_EQ(world.ui.boxes[0].caption, "Torvel - SMTP Client");
  EXPECT_EQ(world.ui.boxes[0].style, kMbOk | kMbIconInformation);
  EXPECT_TRUE(Child<QWidget>(*dlg, "test")->isEnabled());
  EXPECT_TRUE(Child<QWidget>(*dlg, "close")->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  const std::string mails = test::ReadFile(dir.File("mails"));
  EXPECT_NE(mails.find("\"login\": \"ops\""), std::string::npos) << mails;
  EXPECT_NE(mails.find("Torvel Alert"), std::string::npos);
  EXPECT_NE(mails.find("This is a test email from Torvel by Ostrana Software"), std::string::npos);
  // Sent with what was typed; nothing is stored before Close.
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kSmtpServer, "unset"), "unset");
}

TEST_F(TestMail, ClosedPortShowsTheConnectFailure) {
  // Port 1 on loopback: nothing listens there.
  Fill("127.0.0.1:1");
  Child<QPushButton>(*dlg, "test")->click();
  ASSERT_TRUE(WaitForResult());
  EXPECT_EQ(world.ui.boxes[0].text.rfind("Failed to connect to SMTP Server ('127.0.0.1:1') (", 0), 0u)
      << world.ui.boxes[0].text << ": the reason follows";
  EXPECT_EQ(world.ui.boxes[0].caption, "Torvel - SMTP Client");
  EXPECT_TRUE(Child<QWidget>(*dlg, "close")->isEnabled());
}

}  // namespace
}  // namespace torvel
