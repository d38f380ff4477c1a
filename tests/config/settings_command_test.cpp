#include "torvelctl/settings_command.h"
#include "torvelctl/commands.h"

#include <gtest/gtest.h>


#include "config/settings.h"
#include "config/settings_store.h"
#include "config/sqlite_settings_store.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

struct SettingsCommandTest : ::testing::Test {
  MemorySettingsStore store;
  StringOut out, err;

  int Run(std::vector<std::string> args) { return RunSettingsCommand(args, store, out, err); }
};

TEST_F(SettingsCommandTest, ListsSectionsWithTypesAndUtf8Texts) {
  store.WriteProfileString("Options", "Sound", "b\xE4r.wav");
  store.WriteProfileInt("Options", "Once", 1);
  store.WriteProfileString("Options", "smtpPassword", "bcd");
  store.WriteProfileString("Options", "LanguageFile", "");
  store.WriteProfileString("Options", "Tab", "a\"b\tc\x81");
  store.WriteProfileInt("5VM1ABCD", "5-CriticalValue", -1);
  store.WriteProfileInt("5VM1ABCD", "194-Temperature Celsius", 45);

  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(out.str(),
            "[5VM1ABCD]\n"
            "194-Temperature Celsius (int) = 45\n"
            "5-CriticalValue (int) = -1\n"
            "\n"
            "[Options]\n"
            "LanguageFile (str) = \"\"\n"
            "Once (int) = 1\n"
            "smtpPassword (str) = \"bcd\"\n"
            "Sound (str) = \"b\xC3\xA4r.wav\"\n"
            "Tab (str) = \"a\\\"b\\x09c\\x81\"\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  EXPECT_EQ(Run({"5vm1abcd"}), 0);
  EXPECT_EQ(out.str(), "[5VM1ABCD]\n194-Temperature Celsius (int) = 45\n5-CriticalValue (int) = -1\n");
  EXPECT_EQ(Run({"NoSuchDrive"}), kExitSettingsFailed);
}

TEST_F(SettingsCommandTest, SetChecksItsArguments) {
  struct Case {
    std::vector<std::string> args;
    int exit;
  };
  const Case cases[] = {
      {{"set", "Options", "PollEvery", "int", "-2147483648"}, 0},
      {{"set", "Options", "Sound", "str", "\xE2\x82\xAC \xC2\xB0" "C"}, 0},  // "€ °C"
      {{"set", "Options", "PollEvery", "int", "2147483648"}, kExitUsage},
      {{"set", "Options", "PollEvery", "int", "12x"}, kExitUsage},
      {{"set", "Options", "PollEvery", "int", ""}, kExitUsage},
      {{"set", "Options", "Sound", "str", "\xC4\x80"}, kExitUsage},  // U+0100 has no Windows-1252 byte
      {{"set", "Options", "Sound", "dword", "1"}, kExitUsage},
      {{"set", "Options", "Sound", "str"}, kExitUsage},
      {{"Options", "extra"}, kExitUsage},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(c.args), c.exit) << c.args.back();
  EXPECT_EQ(store.GetProfileInt("Options", "PollEvery", 0), -2147483647 - 1);
  EXPECT_EQ(store.GetProfileString("Options", "Sound", ""), "\x80 \xB0" "C");
  EXPECT_EQ(store.writes, 2);
}

TEST_F(SettingsCommandTest, ThePasswordIsStoredAsTheMailDialogStoresIt) {
  EXPECT_EQ(Run({"set", "options", "SMTPPASSWORD", "str", "abc"}), 0) << err.str();
  EXPECT_EQ(settings::SmtpPassword(store), "abc") << "the server gets what was typed";
  EXPECT_EQ(store.GetProfileString("Options", "smtpPassword", ""), "bcd");
}

TEST(SettingsCommandStoreTest, WriteThatDoesNotStickFails) {
  test::TempDir dir;
  SqliteSettingsStore broken(dir.path().string());  // a folder, not a file
  StringOut out, err;
  EXPECT_EQ(RunSettingsCommand({"set", "Options", "Once", "int", "1"}, broken, out, err),
            kExitSettingsFailed);
  EXPECT_NE(err.str(), "");
}

}  // namespace
}  // namespace torvel
