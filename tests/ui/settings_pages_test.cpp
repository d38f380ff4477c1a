// The preferences and log pages on the offscreen platform, over a memory
// store, in a temporary current directory and XDG config folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "config/ini_reader.h"
#include "config/keys.h"
#include "config/language.h"
#include "platform/event_loop.h"
#include "platform/ui_services.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"
#include "page_fakes.h"
#include "support/window_env.h"
#include "ui/controls/button_st.h"
#include "ui/log_page.h"
#include "ui/logic/autostart.h"
#include "ui/logic/main_window_logic.h"
#include "ui/main_window.h"
#include "ui/preferences_page.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

// The value of `key=` in a desktop entry's text; nothing when absent.
std::optional<std::string> EntryValue(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}

// The text field inside a number field, where the user types.
QLineEdit* Editor(QSpinBox* box) { return box->findChild<QLineEdit*>(); }

class SettingsPages : public ::testing::Test {
 protected:
  void SetUp() override {
    oldDir_ = fs::current_path();
    fs::current_path(dir.path());
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) oldXdg_ = xdg;
    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    world.AddDrive(0, "WDC WD5000AAKS", "WD-1").temperature = 35;
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  }
  void TearDown() override {
    fs::current_path(oldDir_);
    if (oldXdg_) setenv("XDG_CONFIG_HOME", oldXdg_->c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }

  CPreferencesPage& OpenPreferences() {
    preferences_ = std::make_unique<CPreferencesPage>(context, nullptr);
    return *preferences_;
  }
  CLogPage& OpenLog() {
    log_ = std::make_unique<CLogPage>(context, nullptr);
    return *log_;
  }
  template <class W>
  W* Find(QWidget& page, const char* name) {
    W* w = page.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  int Option(const char* key) { return world.store.GetProfileInt(keys::kOptions, key, -1); }
  fs::path Entry() const { return dir.path() / "config" / "autostart" / "Torvel.desktop"; }
  std::string EntryText() const { return test::ReadFile(Entry()); }

  test::TempDir dir;
  test::WindowWorld world;
  test::RecordingPageHost host;
  test::RecordingDialogs dialogs;
  PageContext context{world.env, host, dialogs};

 private:
  fs::path oldDir_;
  std::optional<std::string> oldXdg_;
  std::unique_ptr<CPreferencesPage> preferences_;
  std::unique_ptr<CLogPage> log_;
};

// --- Preferences page -------------------------------------------------------

TEST_F(SettingsPages, FreshStoreShowsTheDefaultsAndWritesTheOpeningKeys) {
  CPreferencesPage& page = OpenPreferences();
  for (const char* on : {"pollDrives", "autostart", "logEvents", "trayStatus", "popup", "playSound",
                         "temperature"})
    EXPECT_TRUE(Find<QCheckBox>(page, on)->isChecked()) << on;
  for (const char* off : {"checkAndExit", "openAtStartup", "eventLog", "email", "netsend"})
    EXPECT_FALSE(Find<QCheckBox>(page, off)->isChecked()) << off;
  EXPECT_EQ(Find<QSpinBox>(page, "interval")->value(), 1);
  EXPECT_EQ(Find<QComboBox>(page, "unit")->currentText(), "Hours");
  EXPECT_EQ(Find<QSpinBox>(page, "criticalTemp")->value(), 50);
  EXPECT_TRUE(Find<QSpinBox>(page, "criticalTemp")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>(page, "userName")->text(), "administrator");
  EXPECT_FALSE(Find<QLineEdit>(page, "userName")->isEnabled());
  EXPECT_FALSE(Find<CButtonST>(page, "mailSettings")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(page, "checkAndExit")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(page, "flashIcon")->isHidden());

  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kNetworkUserName, ""), "administrator");
  EXPECT_EQ(Option(keys::kAutostart), 1);
  EXPECT_EQ(Option(keys::kEnableTempNotify), 1);
  // The first opening points the start-up entry at the launcher here.
  const std::string entry = EntryText();
  EXPECT_EQ(EntryValue(entry, "Exec"), LauncherProgramPath(dir.path()).string());
  EXPECT_EQ(EntryValue(entry, "Path"), dir.path().string());
  EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
}

TEST_F(SettingsPages, BoxesEnableTheirControlsAndWriteAtOnce) {
  CPreferencesPage& page = OpenPreferences();
  Find<QCheckBox>(page, "pollDrives")->click();
  EXPECT_EQ(Option(keys::kAutoCheck), 0);
  EXPECT_FALSE(Find<QSpinBox>(page, "interval")->isEnabled());
  EXPECT_FALSE(Find<QComboBox>(page, "unit")->isEnabled());
  Find<QCheckBox>(page, "email")->click();
  EXPECT_EQ(Option(keys::kEmail), 1);
  EXPECT_TRUE(Find<CButtonST>(page, "mailSettings")->isEnabled());
  Find<CButtonST>(page, "mailSettings")->click();
  EXPECT_EQ(dialogs.opened, std::vector<std::string>{"mail"});
  Find<QCheckBox>(page, "netsend")->click();
  EXPECT_TRUE(Find<QLineEdit>(page, "userName")->isEnabled());
  Find<QCheckBox>(page, "temperature")->click();
  EXPECT_EQ(Option(keys::kEnableTempNotify), 0);
  EXPECT_FALSE(Find<QSpinBox>(page, "criticalTemp")->isEnabled());
  Find<QCheckBox>(page, "trayStatus")->click();
  EXPECT_EQ(Option(keys::kShowTrayStatus), 0);
  Find<QCheckBox>(page, "autostart")->click();
  EXPECT_FALSE(Find<QCheckBox>(page, "checkAndExit")->isEnabled());
}

TEST_F(SettingsPages, MailRepeatFollowsTheMailBoxAndIsStoredAsChosen) {
  world.store.WriteProfileInt(keys::kOptions, keys::kMailRepeat, 2);
  CPreferencesPage& page = OpenPreferences();
  auto* repeat = Find<QComboBox>(page, "mailRepeat");
  EXPECT_EQ(repeat->currentText(), "Once a day");
  EXPECT_EQ(repeat->count(), 3);
  EXPECT_FALSE(repeat->isEnabled()) << "mail is off";
  Find<QCheckBox>(page, "email")->click();
  EXPECT_TRUE(repeat->isEnabled());
  repeat->setCurrentIndex(1);
  EXPECT_EQ(Option(keys::kMailRepeat), 1);
  EXPECT_EQ(repeat->itemText(0).toStdString(), BuiltInText("PreferencesTab", 33));
}

TEST_F(SettingsPages, IntervalAndTemperatureNeverGoBelowOne) {
  world.store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 5);
  world.store.WriteProfileInt(keys::kOptions, keys::kCriticalTemp, 1);
  CPreferencesPage& page = OpenPreferences();
  auto* interval = Find<QSpinBox>(page, "interval");
  Editor(interval)->setText("0");
  EXPECT_EQ(interval->value(), 1);
  EXPECT_EQ(Option(keys::kPollEvery), 1);
  interval->stepBy(-1);
  EXPECT_EQ(interval->value(), 1);
  EXPECT_EQ(Option(keys::kPollEvery), 1);
  interval->stepBy(3);
  EXPECT_EQ(Option(keys::kPollEvery), 4);

  auto* critical = Find<QSpinBox>(page, "criticalTemp");
  critical->stepBy(-1);
  EXPECT_EQ(Option(keys::kCriticalTemp), 1);
  // Typed without the arrows: stored when the editing ends, bounded alike.
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  Editor(critical)->setText("62");
  QApplication::sendEvent(critical, &enter);
  EXPECT_EQ(Option(keys::kCriticalTemp), 62);
  Editor(critical)->setText("0");
  QApplication::sendEvent(critical, &enter);
  EXPECT_EQ(Option(keys::kCriticalTemp), 1);
}

TEST_F(SettingsPages, MinutesStoresTimeTypeAndTellsLauncherAndMainWindow) {
  auto loop = MakePollEventLoop();
  WindowSystem windows(*loop, dir.path() / "windows");
  std::vector<WindowMessage> launcher;
  std::vector<WindowMessage> main;
  windows.CreateWindow(kLauncherClass, kLauncherTitle,
                       [&](const WindowMessage& m) { launcher.push_back(m); return 0; });
  windows.CreateWindow(kDialogClass, MainWindowTitle(),
                       [&](const WindowMessage& m) { main.push_back(m); return 0; });
  world.env.windows = &windows;

  CPreferencesPage& page = OpenPreferences();
  Find<QComboBox>(page, "unit")->setCurrentIndex(1);
  EXPECT_EQ(Option(keys::kTimeType), 1);
  EXPECT_EQ(Option(keys::kPollEvery), -1);  // the interval stays as it was
  ASSERT_EQ(launcher.size(), 1u);
  EXPECT_EQ(launcher[0], (WindowMessage{kMsgScheduleChanged, 0, 0, {}}));
  ASSERT_EQ(main.size(), 1u);
  EXPECT_EQ(main[0], (WindowMessage{kMsgScheduleChanged, 1, 0, {}}));
}

TEST_F(SettingsPages, DriveWithoutTemperatureLeavesTheGlobalWarningOn) {
  world.tables.records[0].temperature = 0;
  world.store.WriteProfileInt(keys::kOptions, keys::kEnableTempNotify, 1);
  CPreferencesPage& page = OpenPreferences();
  EXPECT_FALSE(Find<QCheckBox>(page, "temperature")->isEnabled());
  EXPECT_FALSE(Find<QSpinBox>(page, "criticalTemp")->isEnabled());
  EXPECT_EQ(Option(keys::kEnableTempNotify), 1);
}

TEST_F(SettingsPages, StartupEntryFollowsTheBoxes) {
  CPreferencesPage& page = OpenPreferences();
  Find<QCheckBox>(page, "checkAndExit")->click();
  EXPECT_EQ(Option(keys::kCheckAndExit), 1);
  EXPECT_EQ(EntryValue(EntryText(), "Exec"), CoreProgramPath(dir.path()).string());
  Find<QCheckBox>(page, "checkAndExit")->click();
  EXPECT_EQ(EntryValue(EntryText(), "Exec"), LauncherProgramPath(dir.path()).string());

  Find<QCheckBox>(page, "autostart")->click();
  EXPECT_EQ(Option(keys::kAutostart), 0);
  EXPECT_FALSE(fs::exists(Entry()));
  EXPECT_TRUE(world.ui.boxes.empty());
}

TEST_F(SettingsPages, MissingEntryCountsAsDeletedOtherFailuresKeepTheKey) {
  CPreferencesPage& page = OpenPreferences();
  fs::remove(Entry());
  Find<QCheckBox>(page, "checkAndExit")->click();  // delete, then re-create
  EXPECT_EQ(Option(keys::kCheckAndExit), 1);
  fs::remove(Entry());
  Find<QCheckBox>(page, "autostart")->click();
  EXPECT_TRUE(world.ui.boxes.empty());
  EXPECT_EQ(Option(keys::kAutostart), 0);

  // A folder where the entry should be cannot be deleted as a file.
  Find<QCheckBox>(page, "autostart")->click();
  fs::remove(Entry());
  fs::create_directories(Entry() / "x");
  Find<QCheckBox>(page, "autostart")->click();
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_EQ(world.ui.boxes[0].text.rfind("Cannot delete the file \"" + Entry().string() + "\".\n", 0), 0u);
  EXPECT_EQ(world.ui.boxes[0].caption, "Torvel");
  EXPECT_EQ(Option(keys::kAutostart), 1);
  EXPECT_TRUE(Find<QCheckBox>(page, "autostart")->isChecked());
}

TEST_F(SettingsPages, TestNetworkMessageNeedsAName) {
  world.store.WriteProfileString(keys::kOptions, keys::kNetworkUserName, "?");
  world.store.WriteProfileInt(keys::kOptions, keys::kNetsend, 1);
  CPreferencesPage& page = OpenPreferences();
  Find<CButtonST>(page, "testMessage")->click();
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_EQ(world.ui.boxes[0].text, BuiltInText("PreferencesTab", 20));
  EXPECT_TRUE(world.netMessages.empty());
  Find<QLineEdit>(page, "userName")->setText("STORAGE01");
  Find<CButtonST>(page, "testMessage")->click();
  ASSERT_EQ(world.netMessages.size(), 1u);
  EXPECT_EQ(world.netMessages[0].first, "STORAGE01");
  EXPECT_EQ(world.netMessages[0].second, "This is a test message from Torvel");
}

TEST_F(SettingsPages, DesktopEntryQuotesAProgramPathWithBlanks) {
  const std::string text = DesktopEntryText("/opt/my disks/100%$/Torvel", "/opt/my disks/100%$");
  EXPECT_EQ(EntryValue(text, "Exec"), "\"/opt/my disks/100%%\\\\$/Torvel\"");
  EXPECT_EQ(EntryValue(text, "Path"), "/opt/my disks/100%$");
  EXPECT_EQ(QuoteExecArgument("/usr/bin/Torvel"), "/usr/bin/Torvel");
}

// --- Language -----------------------------------------------------------------

const fs::path kLanguages = fs::path(TORVEL_SOURCE_DIR) / "Language";
const fs::path kGerman = kLanguages / "Deutsch.lng";

TEST(ShippedLanguageFiles, AreCurrentAndCoverEveryShownText) {
  for (const char* name : {"Deutsch.lng", "English.lng"}) {
    const fs::path file = kLanguages / name;
    EXPECT_EQ(GetPrivateProfileString("Info", "Ver", "", kProfileBufferSize, file), kLanguageFileVersion) << name;
    for (const LanguageSection& section : kLanguageSections) {
      if (std::string_view(section.name) == "AdvancedInfoDlg") continue;  // no window shows it
      for (int key = 1; key < section.slots && !BuiltInText(section.name, key).empty(); ++key) {
        // About keys 1, 2, 4 and 7 are shown nowhere.
        if (std::string_view(section.name) == "AboutTab" && key != 3 && key != 5 && key != 6) continue;
        EXPECT_FALSE(
            GetPrivateProfileString(section.name, std::to_string(key), "", kProfileBufferSize, file)
                .empty())
            << name << " " << section.name << " " << key;
      }
    }
  }
}

// The start-up and system-log options name what they do on this system.
TEST(ShippedLanguageFiles, PreferencesSpeakOfLoginAndTheJournal) {
  for (const int key : {4, 23, 29}) {
    std::vector<std::string> texts = {BuiltInText("PreferencesTab", key)};
    for (const char* name : {"Deutsch.lng", "English.lng"})
      texts.push_back(GetPrivateProfileString("PreferencesTab", std::to_string(key), "", kProfileBufferSize,
                                              kLanguages / name));
    for (const std::string& text : texts) {
      EXPECT_EQ(text.find("Windows"), std::string::npos) << key << ": " << text;
      EXPECT_EQ(text.find("Event"), std::string::npos) << key << ": " << text;
      EXPECT_EQ(text.find("Systemstart"), std::string::npos) << key << ": " << text;
      if (key != 4) {
        EXPECT_NE(text.find("ournal"), std::string::npos) << key << ": " << text;
      }
    }
  }
  EXPECT_EQ(BuiltInText("PreferencesTab", 4), "Start monitoring when I log in");
}

TEST_F(SettingsPages, ChoosingGermanRelabelsTheMainWindowAndEnglishRestoresIt) {
  fs::copy(kLanguages, dir.path() / "Language");
  CMainWindow window(world.env, &dialogs);
  auto* list = window.tabHost()->page(2)->findChild<QComboBox*>(QStringLiteral("language"));
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->findText(QStringLiteral("Deutsch")), 0);
  EXPECT_EQ(list->currentText(), "English");
  const QString englishTab = window.tabHost()->tabBar()->tabText(0);

  list->setCurrentIndex(list->findText(QStringLiteral("Deutsch")));
  const auto german = [](const char* section, int key) {
    return ToQt(GetPrivateProfileString(section, std::to_string(key), "", kProfileBufferSize, kGerman));
  };
  EXPECT_NE(german("MainDialog", 6), englishTab);
  EXPECT_EQ(window.tabHost()->tabBar()->tabText(0), german("MainDialog", 6));
  EXPECT_EQ(window.hideButton()->tooltipText(), german("MainDialog", 11));
  EXPECT_EQ(window.tabHost()->page(2)->findChild<QCheckBox*>(QStringLiteral("popup"))->text(),
            german("PreferencesTab", 11));
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kLanguageFile, ""),
            (dir.path() / "Language" / "Deutsch.lng").string());

  list->setCurrentIndex(list->findText(QStringLiteral("English")));
  EXPECT_EQ(window.tabHost()->tabBar()->tabText(0), englishTab);
  EXPECT_EQ(world.store.GetProfileString(keys::kOptions, keys::kLanguageFile, "?"), "");
  EXPECT_TRUE(world.ui.boxes.empty());  // both files are current: no outdated warning
}

// --- Log page -----------------------------------------------------------------

// Answers the next modal file dialog with `file` (or cancels it), noting
// that one was shown.
void AnswerFileDialog(const QString& file, bool* shown) {
  QTimer::singleShot(0, [file, shown] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    *shown = true;
    if (file.isEmpty()) return dialog->reject();
    dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();
  });
}

TEST_F(SettingsPages, EmptyLogMakesBothButtonsDoNothing) {
  CLogPage& page = OpenLog();
  bool dialogShown = false;
  AnswerFileDialog(QString(), &dialogShown);
  Find<CButtonST>(page, "saveLogAs")->click();
  Find<CButtonST>(page, "clearLog")->click();
  QApplication::processEvents();
  EXPECT_FALSE(dialogShown);
  EXPECT_TRUE(world.ui.boxes.empty());
}

TEST_F(SettingsPages, SavedCopyHoldsTheShownBytesUpToTheZeroByte) {
  const std::string shown = "03/05/2007 10:11:12\tINFO\tSMART monitoring started\r\n"
                            "ALERT\tTemperature 55\xB0" "C\xA0\x80\r\n\rlone CR\nLF only\r\n";
  test::WriteFile(dir.path() / "torvel.log", shown + std::string(1, '\0') + "after the zero");
  CLogPage& page = OpenLog();
  EXPECT_EQ(Find<QPlainTextEdit>(page, "logText")->toPlainText().contains("after"), false);
  EXPECT_TRUE(Find<QPlainTextEdit>(page, "logText")->toPlainText().contains(QStringLiteral("55°C")));

  bool dialogShown = false;
  // A name outside Windows-1252's reach must still name the file on disk.
  AnswerFileDialog(QString::fromStdString(dir.File("Kopie \u0416.log")), &dialogShown);
  Find<CButtonST>(page, "saveLogAs")->click();
  EXPECT_TRUE(dialogShown);
  EXPECT_EQ(test::ReadFile(dir.path() / "Kopie \u0416.log"), shown);
}

TEST_F(SettingsPages, ClearAsksAndDeletesOnlyOnYes) {
  test::WriteFile(dir.path() / "torvel.log", "INFO\tstarted\r\n");
  CLogPage& page = OpenLog();
  auto* text = Find<QPlainTextEdit>(page, "logText");
  Find<CButtonST>(page, "clearLog")->click();  // No (the scripted default)
  ASSERT_EQ(world.ui.boxes.size(), 1u);
  EXPECT_EQ(world.ui.boxes[0].text, BuiltInText("LogTab", 3));
  EXPECT_EQ(world.ui.boxes[0].style, kMbYesNo | 0x20u);
  EXPECT_TRUE(fs::exists(dir.path() / "torvel.log"));
  EXPECT_FALSE(text->toPlainText().isEmpty());

  world.ui.answers.push_back(kIdYes);
  Find<CButtonST>(page, "clearLog")->click();
  EXPECT_FALSE(fs::exists(dir.path() / "torvel.log"));
  EXPECT_TRUE(text->toPlainText().isEmpty());
}

TEST_F(SettingsPages, LoggingOffGreysTheTextAndKeepsIt) {
  test::WriteFile(dir.path() / "torvel.log", "INFO\tfirst\r\n");
  CLogPage& page = OpenLog();
  world.store.WriteProfileInt(keys::kOptions, keys::kLogEnable, 0);
  test::WriteFile(dir.path() / "torvel.log", "INFO\tsecond\r\n");
  page.show();
  auto* text = Find<QPlainTextEdit>(page, "logText");
  EXPECT_FALSE(text->isEnabled());
  EXPECT_EQ(text->toPlainText(), "INFO\tfirst\n");
  world.store.WriteProfileInt(keys::kOptions, keys::kLogEnable, 1);
  page.hide();
  EXPECT_TRUE(text->isEnabled());
  EXPECT_EQ(text->toPlainText(), "INFO\tsecond\n");
}

}  // namespace
}  // namespace torvel
