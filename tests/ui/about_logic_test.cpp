#include "ui/logic/about_logic.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(HyperlinkErrors, EachCodeHasItsTextAndUnknownCodesTheirNumber) {
  EXPECT_EQ(HyperlinkErrorMessage(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
  // The blank at the end belongs to the text.
  EXPECT_EQ(HyperlinkErrorText(26), "A sharing violation occurred. ");
  EXPECT_EQ(HyperlinkErrorText(31), "There is no application associated\nwith the given filename extension.");
  EXPECT_EQ(HyperlinkErrorText(99), "Unknown Error (99) occurred.");
  EXPECT_EQ(HyperlinkErrorText(1), "Unknown Error (1) occurred.");
}

TEST(BrowserCommand, IsCutBeforeItsPlaceholder) {
  // Quoted: the cut falls before the opening mark.
  EXPECT_EQ(CutBrowserCommand("\"/opt/web browser/run\" -new \"%1\" -x"), "\"/opt/web browser/run\" -new ");
  EXPECT_EQ(BrowserCommandLine("\"/opt/web browser/run\" -new \"%1\"", "https://a.example/"),
            "\"/opt/web browser/run\" -new  https://a.example/");
  EXPECT_EQ(CutBrowserCommand("firefox %1 --safe"), "firefox ");
  // A quoted placeholder after a bare one still wins.
  EXPECT_EQ(CutBrowserCommand("run %1x \"%1\""), "run %1x ");
  EXPECT_EQ(BrowserCommandLine("firefox", "u"), "firefox u");
}

TEST(AboutTexts, FeedbackLinkCarriesVersionBuildAndSystem) {
  EXPECT_EQ(FeedbackUrl(6, 1),
            "https://torvel.example.org/torvel/feedback.html?prod=Torvel&ver=2.41.334&win=6.1");
  EXPECT_EQ(SupportMailUrl(), "mailto:support@torvel.example.org");
  EXPECT_EQ(WebsiteText(), "torvel.example.org");
  EXPECT_EQ(AboutVersionLine(), "Torvel 2.41");
  EXPECT_EQ(AboutBuildLine(), "Build: 334");
}

TEST(HelpTopics, NamePagesInsideTheHelpFolder) {
  EXPECT_EQ(HelpPageOfTopic("Torvel Help.chm::\\html\\Main window.htm"), "html/Main window.htm");
  EXPECT_EQ(HelpPageOfTopic("Torvel Help.chm"), "html/index.htm");
  EXPECT_EQ(HelpPageOfTopic("Torvel Help.chm::\\html\\..\\..\\etc\\passwd"), std::nullopt);
  EXPECT_EQ(HelpPageOfTopic("Torvel Help.chm::"), std::nullopt);
}

}  // namespace
}  // namespace torvel
