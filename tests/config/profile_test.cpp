#include "config/profile.h"

#include <gtest/gtest.h>

#include <climits>

#include "config/keys.h"
#include "config/settings_store.h"

namespace torvel {
namespace {

TEST(PasswordTest, EachByteMovesByOneModulo256) {
  struct Case {
    std::string typed, stored;
  };
  const Case cases[] = {{"abc", "bcd"}, {"", ""}, {std::string("\xFF\x00z", 3), std::string("\x00\x01{", 3)}};
  for (const Case& c : cases) {
    EXPECT_EQ(EncodePassword(c.typed), c.stored);
    EXPECT_EQ(DecodePassword(c.stored), c.typed);
  }
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  EXPECT_EQ(DecodePassword(EncodePassword(every)), every);
}

TEST(FirstRunTest, WritesLanguageFileThenOnceAndNothingLater) {
  MemorySettingsStore store;
  ApplyFirstRunDefaults(store);
  const auto after = store.Dump();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kLanguageFile, "?"), "");
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kOnce, 0), 1);

  ApplyFirstRunDefaults(store);
  EXPECT_EQ(store.writes, 2);

  // A user's language choice survives every later start.
  store.WriteProfileString(keys::kOptions, keys::kLanguageFile, "Language/Deutsch.lng");
  ApplyFirstRunDefaults(store);
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kLanguageFile, ""), "Language/Deutsch.lng");
}

TEST(AtLeastOneTest, ZeroAndBelowBecomeOne) {
  const std::pair<int, int> cases[] = {{INT_MIN, 1}, {-1, 1}, {0, 1}, {1, 1}, {2, 2}, {INT_MAX, INT_MAX}};
  for (auto [in, out] : cases) EXPECT_EQ(AtLeastOne(in), out) << in;
}

}  // namespace
}  // namespace torvel
