#include "config/ini_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace torvel {
namespace {

using namespace std::string_literals;

struct IniCase {
  const char* name;
  std::string bytes;
  const char* section;
  const char* key;
  std::string expected;  // "-" is the default passed in
};

class IniReaderTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniReaderTest, ReadsAsThePlatformReaderDoes) {
  const IniCase& c = GetParam();
  EXPECT_EQ(IniFile::Parse(c.bytes).GetString(c.section, c.key, "-"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReaderTest,
    ::testing::Values(
        IniCase{"NamesIgnoreCase", "[info]\r\nVER=2.41\r\n", "Info", "ver", "2.41"},
        IniCase{"BlanksAroundNamesAndValueDropped", "  [ Info ] \r\n \t Ver \t=  2.41 \t\r\n",
                "Info", "Ver", "2.41"},
        IniCase{"DoubleQuotesKeepInnerBlanks", "[S]\r\n2 = \"Model \"\r\n", "S", "2", "Model "},
        IniCase{"SingleQuotesRemovedToo", "[S]\n1='x y'\n", "S", "1", "x y"},
        IniCase{"InnerQuotesKept", "[S]\n1 = a \"b\" c\n", "S", "1", "a \"b\" c"},
        IniCase{"UnmatchedQuoteKept", "[S]\n1 = \"abc'\n", "S", "1", "\"abc'"},
        IniCase{"LoneQuoteKept", "[S]\n1 = \"\n", "S", "1", "\""},
        IniCase{"CommentIsNoSection", "[S]\r\n;[T]\r\n1 = x\r\n", "T", "1", "-"},
        IniCase{"CommentIsNoKey", "[S]\r\n; 1 = x\r\n", "S", "1", "-"},
        IniCase{"FirstKeyWins", "[S]\n1 = a\n1 = b\n", "S", "1", "a"},
        IniCase{"OnlyFirstSectionOfANameSearched", "[S]\n1 = a\n[s]\n2 = b\n", "S", "2", "-"},
        IniCase{"KeyBeforeAnySectionBelongsNowhere", "1 = a\n[S]\n", "S", "1", "-"},
        IniCase{"LastLineWithoutLineEnd", "[S]\n1 = a", "S", "1", "a"},
        IniCase{"EmptyValueIsNotTheDefault", "[S]\n1 =\n", "S", "1", ""},
        IniCase{"KeyWithoutEqualsGivesDefault", "[S]\n1\n", "S", "1", "-"},
        IniCase{"ZeroByteEndsValue", "[S]\n1 = ab\0cd\n"s, "S", "1", "ab"},
        IniCase{"MissingSection", "[S]\n1 = a\n", "T", "1", "-"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(IniReader, ValueIsCutToTheBufferLessItsZero) {
  const std::string text(600, 'x');
  const IniFile ini = IniFile::Parse("[S]\n1 = " + text + "\n2 = \"" + text + "\"\n");
  EXPECT_EQ(ini.GetString("S", "1"), text.substr(0, kProfileBufferSize - 1));
  EXPECT_EQ(ini.GetString("S", "2"), text.substr(0, kProfileBufferSize - 1));
  EXPECT_EQ(ini.GetString("S", "1", "", 4), "xxx");
}

TEST(IniReader, ReadsFilesAndGivesTheDefaultForAMissingOne) {
  test::TempDir dir;
  test::WriteFile(dir.path() / "a.lng", "; c\r\n[Info]\r\nVer = 2.41\r\n");
  EXPECT_EQ(GetPrivateProfileString("Info", "Ver", "", kProfileBufferSize, dir.path() / "a.lng"),
            "2.41");
  EXPECT_EQ(
      GetPrivateProfileString("Info", "Ver", "none", kProfileBufferSize, dir.path() / "b.lng"),
      "none");
}

}  // namespace
}  // namespace torvel
