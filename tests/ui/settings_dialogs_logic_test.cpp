// The settings dialogs' decisions that no dialog test reaches directly.
#include "ui/logic/settings_dialogs_logic.h"

#include <gtest/gtest.h>

#include "config/keys.h"
#include "config/settings_store.h"

namespace torvel {
namespace {

TEST(SettingsDialogsLogic, TooltipDropsTheMnemonicMarkOnly) {
  EXPECT_EQ(TooltipText("&Close"), "Close");
  EXPECT_EQ(TooltipText("Save && e&xit"), "Save & exit");
  EXPECT_EQ(TooltipText("trailing&"), "trailing");
}

TEST(SettingsDialogsLogic, TestMailTakesTheTypedFieldsAndTheStoredAuthentication) {
  MemorySettingsStore store;
  MailFields typed{"mx:2525", "a@x.test", "me@x.test", "ops", "abc", 0, {}};
  store.WriteProfileString(keys::kOptions, keys::kSmtpPassword, "zzz");
  MailRequest r = TestMailRequest(typed, store, 5);
  EXPECT_EQ(r.authType, 0);
  EXPECT_EQ(r.password, "abc");
  EXPECT_EQ(r.server, "mx:2525");
  EXPECT_EQ(r.notifyWindow, 5u);
  store.WriteProfileInt(keys::kOptions, keys::kSmtpAuth, 1);
  EXPECT_EQ(TestMailRequest(typed, store, 5).authType, 2);
}

TEST(SettingsDialogsLogic, UnknownModeSelectsNothingAndLeavesTheLevelAlone) {
  const AttributeEnabling unknown = AttributeRefresh(true, 4);
  EXPECT_EQ(unknown.button, -1);
  EXPECT_EQ(unknown.methods, true);
  EXPECT_FALSE(unknown.level.has_value());
  const AttributeEnabling off = AttributeRefresh(false, 2);
  EXPECT_FALSE(off.button.has_value());
  EXPECT_FALSE(off.modeControls);
}

}  // namespace
}  // namespace torvel
