#include "monitor/main_frame.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(CommandLine, OneArgumentStartingWithOSelectsOpenMode) {
  for (const char* open : {"-o", "/o", "o", "-open", "ox"})
    EXPECT_TRUE(IsOpenMode({open})) << open;
  EXPECT_FALSE(IsOpenMode({}));
  for (const char* resident : {"-x", "O", "-O", "--o", "", "-"})
    EXPECT_FALSE(IsOpenMode({resident})) << resident;
  EXPECT_FALSE(IsOpenMode({"-o", "x"}));
  EXPECT_TRUE(IsOption("/e", 'e'));
}

}  // namespace
}  // namespace torvel
