#include "torvelctl/texts_command.h"
#include "torvelctl/commands.h"

#include <gtest/gtest.h>


#include "config/keys.h"
#include "config/settings_store.h"
#include "base/debug_trace.h"

namespace torvel {
namespace {

struct TextsCommandTest : ::testing::Test {
  MemorySettingsStore store;
  TraceLog trace = TraceLog::Off();
  StringOut out, err;
  int Run(std::vector<std::string> args) { return RunTextsCommand(args, store, trace, out, err); }
};

TEST_F(TextsCommandTest, PrintsEveryFilledSlotInUtf8) {
  ASSERT_EQ(Run({"PreferencesTab"}), 0);
  const std::string text = out.str();
  EXPECT_TRUE(text.starts_with("1\tPoll drives\n2\tHours\n3\tMinutes\n")) << text;
  EXPECT_NE(text.find("\n27\tCritical temperature (\xC2\xB0"
                      "C):\n"),
            std::string::npos);
  EXPECT_TRUE(text.ends_with("\n31\tShow disk status in the tray\n32\tRepeat alert mail:\n33\tAt every check\n34\tOnce per finding\n35\tOnce a day\n")) << text;
  EXPECT_TRUE(err.str().empty());
}

TEST_F(TextsCommandTest, HonoursTheChosenLanguageFile) {
  store.WriteProfileString(keys::kOptions, keys::kLanguageFile,
                           std::string(TORVEL_SOURCE_DIR) + "/Language/Deutsch.lng");
  ASSERT_EQ(Run({"DiskInfoTab"}), 0);
  EXPECT_TRUE(
      out.str().starts_with("1\tFestplatteninformationen\n2\tModell \n3\tKapazit\xC3\xA4t \n"))
      << out.str();
}

TEST_F(TextsCommandTest, RejectsUnknownSectionsAndBadUsage) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"messages"}, {}, {"Messages", "x"}}) {
    EXPECT_EQ(Run(args), kExitUsage);
    EXPECT_FALSE(err.str().empty());
    err.str("");
  }
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace torvel
