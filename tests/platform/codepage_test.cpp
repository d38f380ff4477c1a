#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(Cp1252ToUtf8, AsciiPassesThrough) {
  EXPECT_EQ(Cp1252ToUtf8("Drive model: ST3500418AS\r\n"), "Drive model: ST3500418AS\r\n");
  EXPECT_EQ(Cp1252ToUtf8(""), "");
}

TEST(Cp1252ToUtf8, DegreeSignAndTheWindowsOnlyBytes) {
  EXPECT_EQ(Cp1252ToUtf8("45 \xB0" "C"), "45 \xC2\xB0" "C");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");          // Y with diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\xFF"), "\xC3\xBF");
}

TEST(Cp1252ToUtf8, UndefinedBytesBecomeC1ControlsAndNothingIsDropped) {
  EXPECT_EQ(Cp1252ToUtf8("a\x81" "b\x8D\x8F\x90\x9D" "c"),
            "a\xC2\x81" "b\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D" "c");
}

}  // namespace
}  // namespace torvel
