#include "config/language.h"

#include <gtest/gtest.h>

#include <map>

#include "config/ini_reader.h"
#include "config/keys.h"
#include "config/settings_store.h"
#include "platform/ui_services.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

const std::string kDeutsch = std::string(TORVEL_SOURCE_DIR) + "/Language/Deutsch.lng";

struct ScriptedUi : UiServices {
  struct Box {
    std::string text, caption;
    unsigned style;
  };
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style});
    return answer;
  }
  void OpenHelpTopic(const std::string& topic) override { topics.push_back(topic); }
  int answer = kIdNo;
  std::vector<Box> boxes;
  std::vector<std::string> topics;
};

struct LanguageTest : ::testing::Test {
  test::TraceCapture capture;
  MemorySettingsStore store;
  ScriptedUi ui;

  std::string Write(const std::string& name, const std::string& bytes) {
    test::WriteFile(capture.dir.path() / "Language" / name, bytes);
    return (capture.dir.path() / "Language" / name).string();
  }
  void Use(const std::string& path) {
    store.WriteProfileString(keys::kOptions, keys::kLanguageFile, path);
  }
  TextTable Load(const std::string& section) {
    TextTable t(section);
    LoadSectionTexts(section, t, store, capture.trace);
    return t;
  }
  int Armed() { return store.GetProfileInt(keys::kOptions, keys::kShowOldLanguageFileMess, 1); }
};

int FilledSlots(const TextTable& t) {
  int n = 0;
  for (const std::string& s : t.slots) n += !s.empty();
  return n;
}

TEST_F(LanguageTest, BuiltInBlockIsTheLanguageFileEmbeddedByteForByte) {
  const std::string_view block = BuiltInLanguageBlock();
  EXPECT_EQ(block, test::ReadFile(std::string(TORVEL_SOURCE_DIR) + "/src/config/english.lng"));
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.front(), ';');
  std::size_t lineFeeds = 0, crLfs = 0;
  for (std::size_t i = 0; i < block.size(); ++i) {
    lineFeeds += block[i] == '\n';
    crLfs += block[i] == '\n' && i > 0 && block[i - 1] == '\r';
  }
  EXPECT_EQ(crLfs, lineFeeds);
  const IniFile ini = IniFile::Parse(block);
  EXPECT_EQ(ini.GetString("Info", "Lng"), "English");
  EXPECT_EQ(ini.GetString("Info", "Ver"), "2.4");
}

TEST_F(LanguageTest, EverySectionHasItsFullBuiltInRun) {
  const std::map<std::string, int> keysPerSection = {
      {"MainDialog", 28},      {"DiskInfoTab", 22},
      {"SMARTInfoTab", 47},    {"PreferencesTab", 35},
      {"LogTab", 5},           {"AboutTab", 7},
      {"AdvancedInfoDlg", 9},  {"SMARTReportDlg", 14},
      {"Messages", 41},        {"CustomThresholdsDlg", 14},
      {"MailSettingsDlg", 23}, {"DrivePropertiesDlg", 15},
      {"RawViewDlg", 10}};
  ASSERT_EQ(keysPerSection.size(), kLanguageSections.size());
  for (const LanguageSection& s : kLanguageSections) {
    const TextTable t = Load(s.name);
    EXPECT_EQ(static_cast<int>(t.slots.size()), s.slots) << s.name;
    EXPECT_EQ(FilledSlots(t), keysPerSection.at(s.name)) << s.name;
    EXPECT_FALSE(t.Text(keysPerSection.at(s.name)).empty()) << s.name;  // an unbroken run from 1
  }
  EXPECT_TRUE(capture.Messages().empty());
}

TEST_F(LanguageTest, BuiltInTextsKeepTrailingBlanksQuotesAndCp1252) {
  EXPECT_EQ(Load("DiskInfoTab").Text(2), "Model ");
  EXPECT_EQ(Load("SMARTReportDlg").Text(9), "&Close ");
  EXPECT_EQ(Load("PreferencesTab").Text(27),
            "Critical temperature (\xB0"
            "C):");
  EXPECT_EQ(Load("DrivePropertiesDlg").Text(6),
            "Critical temperature (\xB0"
            "C):");
  EXPECT_TRUE(
      Load("SMARTInfoTab").Text(18).ends_with("called \"Threshold Exceeded Condition (T.E.C.)\")"));
  EXPECT_EQ(Load("Messages").Text(33), "Found %d bad attribute(s)");
}

TEST_F(LanguageTest, FileOverlaysOnlyItsUnbrokenRunWithinTheTable) {
  std::string file = "[PreferencesTab]\r\n";
  for (int n = 1; n <= 10; ++n) file += std::to_string(n) + " = P" + std::to_string(n) + "\r\n";
  file += "12 = P12\r\n[LogTab]\r\n1 = L1\r\n2 = L2\r\n3 = L3\r\n4 = L4\r\n5 =\r\n6 = L6\r\n";
  file += "[MainDialog]\r\n1 = " + std::string(300, 'm') + "\r\n[Messages]\r\n";
  for (int n = 1; n <= 40; ++n) file += std::to_string(n) + " = M" + std::to_string(n) + "\r\n";
  file += "[DrivePropertiesDlg]\r\n";
  for (int n = 1; n <= 20; ++n) file += std::to_string(n) + " = D" + std::to_string(n) + "\r\n";
  Use(Write("Test.lng", file));

  const TextTable prefs = Load("PreferencesTab");
  EXPECT_EQ(prefs.Text(10), "P10");
  EXPECT_EQ(prefs.Text(11), "Popup message");
  EXPECT_EQ(prefs.Text(12), "Email message");
  const TextTable log = Load("LogTab");
  EXPECT_EQ(log.Text(4), "L4");
  EXPECT_EQ(log.Text(5), "All Files");
  EXPECT_EQ(log.Text(6), "");
  EXPECT_EQ(Load("MainDialog").Text(1), std::string(256, 'm'));
  const TextTable messages = Load("Messages");
  EXPECT_EQ(messages.slots.size(), 45u);
  EXPECT_EQ(messages.Text(39), "M39");
  const TextTable drive = Load("DrivePropertiesDlg");
  EXPECT_EQ(drive.slots.size(), 20u);
  EXPECT_EQ(drive.Text(19), "D19");
}

TEST_F(LanguageTest, MissingBuiltInSectionIsTracedAndTheFileStillRead) {
  const std::string path = Write("Test.lng", "[NoSuchDlg]\r\n1 = from file\r\n");
  Use(path);
  TextTable t(4);
  t.slots[2] = "kept";
  LoadSectionTexts("NoSuchDlg", t, store, capture.trace);
  EXPECT_EQ(t.Text(1), "from file");
  EXPECT_EQ(t.Text(2), "kept");
  EXPECT_EQ(capture.Messages(),
            (std::vector<std::string>{"The section NoSuchDlg not found in 336\n",
                                      "NoSuchDlg - Language file: " + path + "\n"}));
}

TEST_F(LanguageTest, MissingFileLeavesEnglish) {
  Use(capture.dir.File("Language/Gone.lng"));
  EXPECT_EQ(Load("MainDialog").Text(1), "Hard disk drives");
  EXPECT_EQ(capture.Messages().size(), 1u);
}

TEST_F(LanguageTest, ChoosingEnglishStoresNoFileAndIgnoresAnEnglishFile) {
  Write("English.lng", "[Info]\r\nVer=2.41.1\r\n[MainDialog]\r\n1 = Bogus\r\n");
  Use(kDeutsch);
  ChooseLanguage(capture.dir.path() / "Language", "English", store, ui);
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kLanguageFile, "x"), "");
  EXPECT_EQ(Load("MainDialog").Text(1), "Hard disk drives");

  const std::string path = Write("Deutsch.lng", "[Info]\r\nVer=2.41.1\r\n");
  ChooseLanguage(capture.dir.path() / "Language", "Deutsch", store, ui);
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kLanguageFile, ""), path);
  EXPECT_TRUE(ui.boxes.empty());
}

struct OutdatedCase {
  const char* name;
  const char* file;  // nullptr: no file
  bool warns;
};

class OutdatedTest : public LanguageTest, public ::testing::WithParamInterface<OutdatedCase> {};

TEST_P(OutdatedTest, WarnsUnlessVerIsExactlyTheCurrentRevision) {
  const OutdatedCase& c = GetParam();
  const std::string path = c.file ? Write("X.lng", c.file) : capture.dir.File("Language/X.lng");
  CheckOutdatedLanguageFile(path, store, ui);
  EXPECT_EQ(ui.boxes.size(), c.warns ? 1u : 0u);
  EXPECT_EQ(Armed(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutdatedTest,
    ::testing::Values(OutdatedCase{"Ver24", "[Info]\r\nVer=2.4\r\n", true},
                      // 2.41 files still speak of Windows start-up and the Event log.
                      OutdatedCase{"Ver241", "[Info]\r\nVer=2.41\r\n", true},
                      OutdatedCase{"Ver2411Longer", "[Info]\r\nVer=2.41.1a\r\n", true},
                      OutdatedCase{"Ver2411Blanks", "[Info]\r\nVer = 2.41.1 \r\n", false},
                      OutdatedCase{"Ver2411Quoted", "[info]\r\nver=\"2.41.1\"\r\n", false},
                      OutdatedCase{"NoVer", "[Info]\r\nLng=X\r\n", true},
                      OutdatedCase{"NoInfo", "[Other]\r\nVer=2.41.1\r\n", true},
                      OutdatedCase{"NoFile", nullptr, true}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(LanguageTest, OutdatedBoxNamesTheFileAndYesOpensTheHelpTopic) {
  const std::string path = Write("Old.lng", "[Info]\r\nVer=2.4\r\n");
  CheckOutdatedLanguageFile("", store, ui);
  EXPECT_EQ(Armed(), 1);
  ui.answer = kIdYes;
  CheckOutdatedLanguageFile(path, store, ui);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "Torvel");
  EXPECT_EQ(ui.boxes[0].style, kMbYesNo | kMbIconWarning);
  EXPECT_NE(ui.boxes[0].text.find("The path to this file is\n" + path + "\n\nWould you like"),
            std::string::npos);
  EXPECT_EQ(ui.topics, std::vector<std::string>{"Torvel Help.chm::\\html\\Languges.htm"});
}

TEST_F(LanguageTest, WarningIsReArmedOnlyByChoosing) {
  const std::string folder = (capture.dir.path() / "Language").string();
  const std::string path = Write("Old.lng", "[Info]\r\nVer=2.4\r\n");
  auto initPreferences = [&] {
    CheckOutdatedLanguageFile(store.GetProfileString(keys::kOptions, keys::kLanguageFile, ""),
                              store, ui);
  };
  ChooseLanguage(folder, "Old", store, ui);  // armed: warns at once
  EXPECT_EQ(ui.boxes.size(), 1u);
  initPreferences();  // and again, as choosing re-armed it
  EXPECT_EQ(ui.boxes.size(), 2u);
  initPreferences();
  EXPECT_EQ(ui.boxes.size(), 2u);
  ChooseLanguage(folder, "Old", store, ui);  // not armed: silent now
  EXPECT_EQ(ui.boxes.size(), 2u);
  initPreferences();
  EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(LanguageTest, ListsLanguagesSortedWithoutRegardToCase) {
  for (const char* name : {"English.lng", "dansk.lng", "Deutsch.lng", "readme.txt", "Old.lng.bak"})
    Write(name, "");
  std::filesystem::create_directories(capture.dir.path() / "Language" / "Dir.lng");
  const auto titles = ListLanguages(capture.dir.path() / "Language");
  EXPECT_EQ(titles, (std::vector<std::string>{"dansk", "Deutsch", "English"}));

  const std::vector<std::pair<std::string, int>> cases = {{"", 2},
                                                          {"/a/Language/deutsch.lng", 1},
                                                          {"/a/Language/Eng.lng", 2},
                                                          {"/a/Language/D.lng", 0},
                                                          {"/a/Language/Polski.lng", -1}};
  for (const auto& [file, index] : cases) {
    Use(file);
    EXPECT_EQ(SelectedLanguage(titles, store), index) << file;
  }
  Use("");
  EXPECT_EQ(SelectedLanguage({"english", "Deutsch"}, store), -1);
}

TEST(FormatWithOneInt, UsesTheTranslationOnlyWhenItTakesExactlyOneInt) {
  const std::string builtIn = "Found %d bad";
  const std::vector<std::pair<std::string, std::string>> cases = {{"Gefunden: %d", "Gefunden: 7"},
                                                                  {"%5d x", "    7 x"},
                                                                  {"100%% %d", "100% 7"},
                                                                  {"%-3i|", "7  |"},
                                                                  {"%+.2d", "+07"},
                                                                  {"%s", "Found 7 bad"},
                                                                  {"%n %d", "Found 7 bad"},
                                                                  {"%d %d", "Found 7 bad"},
                                                                  {"no number", "Found 7 bad"},
                                                                  {"%d %", "Found 7 bad"},
                                                                  {"%ld", "Found 7 bad"},
                                                                  {"%*d", "Found 7 bad"},
                                                                  {"%1000d", "Found 7 bad"},
                                                                  {"", "Found 7 bad"}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(FormatWithOneInt(text, builtIn, 7), expected) << text;
  EXPECT_EQ(FormatWithOneInt("%s", "Found %s", 7), "Found %s");
}

TEST_F(LanguageTest, GermanFileIsCompleteCurrentAndLoads) {
  const IniFile german = IniFile::Load(kDeutsch);
  for (const LanguageSection& s : kLanguageSections) {
    const int builtIn = FilledSlots(Load(s.name));
    for (int n = 1; n <= builtIn; ++n)
      EXPECT_NE(german.GetString(s.name, std::to_string(n)), "") << s.name << n;
    EXPECT_EQ(german.GetString(s.name, std::to_string(builtIn + 1)), "") << s.name;
  }
  Use(kDeutsch);
  EXPECT_EQ(Load("MainDialog").Text(1), "Festplatten");
  EXPECT_EQ(Load("DiskInfoTab").Text(2), "Modell ");
  EXPECT_EQ(Load("PreferencesTab").Text(27),
            "Kritische Temperatur (\xB0"
            "C):");
  const TextTable messages = Load("Messages");
  EXPECT_EQ(FormatWithOneInt(messages.Text(33), "Found %d bad attribute(s)", 3),
            "3 fehlerhafte(s) Attribut(e) gefunden");
  CheckOutdatedLanguageFile(kDeutsch, store, ui);
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace torvel
