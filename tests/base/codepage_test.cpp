#include "base/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

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

// The table against the C library's own Windows-1252, byte by byte.
TEST(Cp1252ToUtf8, AgreesWithIconvOnEveryHighByte) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0x80; b <= 0xFF; ++b) {
    char in = static_cast<char>(b), buf[8];
    char *src = &in, *dst = buf;
    size_t inLeft = 1, outLeft = sizeof buf;
    if (iconv(cd, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      continue;  // undefined: the next test's case
    }
    EXPECT_EQ(Cp1252ToUtf8(std::string(1, in)), std::string(buf, dst)) << "byte " << b;
  }
  iconv_close(cd);
}

TEST(Cp1252ToUtf8, UndefinedBytesBecomeC1ControlsAndNothingIsDropped) {
  EXPECT_EQ(Cp1252ToUtf8("a\x81" "b\x8D\x8F\x90\x9D" "c"),
            "a\xC2\x81" "b\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D" "c");
}

TEST(Utf8ToCp1252, InvertsEveryByteAndRefusesOtherCharacters) {
  std::string all;
  for (int b = 1; b <= 0xFF; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), std::optional<std::string>("\x80 5"));
  EXPECT_EQ(Utf8ToCp1252("\xE2\x84\xA2\xF0\x9F\x98\x80"), std::nullopt);  // trade mark ok, emoji not
  EXPECT_EQ(Utf8ToCp1252("\xC4\x80"), std::nullopt);                        // A with macron
}

}  // namespace
}  // namespace torvel
