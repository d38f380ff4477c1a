// The About page's and the shared controls' decisions without the toolkit:
// the version lines, the feedback link, the hyperlink error texts, the
// browser command, and the help topics with the pages they name.
#pragma once

#include <optional>
#include <string>

namespace torvel {

// Help topics, as the windows ask for them.
inline constexpr const char* kHelpTopicAttributeProperties =
    "Torvel Help.chm::\\html\\Attribute properties.htm";
inline constexpr const char* kHelpTopicDriveProperties = "Torvel Help.chm::\\html\\Drive properties.htm";
inline constexpr const char* kHelpTopicEmailSettings = "Torvel Help.chm::\\html\\Email settings.htm";
inline constexpr const char* kHelpTopicRawView = "Torvel Help.chm::\\html\\SMART Raw view.htm";
inline constexpr const char* kHelpTopicQuickView = "Torvel Help.chm::\\html\\Quick view.htm";
inline constexpr const char* kHelpTopicAboutTab = "Torvel Help.chm::\\html\\About tab.htm";

// The page a topic names inside the help folder: the part after "::" with
// '\' read as '/' and without its leading '/', e.g. "html/Main window.htm";
// the bare help file ("Torvel Help.chm") names "html/index.htm". Nothing for
// a topic that would leave the folder.
std::optional<std::string> HelpPageOfTopic(const std::string& topic);

// "Torvel 2.41" and "Build: 334".
std::string AboutVersionLine();
std::string AboutBuildLine();

// The maker's site with "/torvel/feedback.html?prod=Torvel&ver=2.41.334&win=M.m".
std::string FeedbackUrl(int osMajor, int osMinor);
// "mailto:" and the support address.
std::string SupportMailUrl();
// The site's address as the About page shows it: without the scheme and the
// closing '/' ("torvel.example.org").
std::string WebsiteText();

// What opening a link gives, in the shell's terms: above 32 is success.
// On Linux: the desktop (or the BROWSER command) took the link -> 33; no
// desktop handler and no BROWSER command -> 31 (no association); a BROWSER
// command that cannot be started -> 2 (file not found), or 5 (access
// denied) when its program is there but cannot be run.
inline constexpr int kLinkOpened = 33;
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkAccessDenied = 5;
inline constexpr int kLinkNoAssociation = 31;

// What a failed link open reports; codes are the shell's (2 file not found,
// 31 no association, ...), anything else "Unknown Error (%d) occurred.".
std::string HyperlinkErrorText(int code);
// "Unable to open hyperlink:\n\n" and the text for `code`.
std::string HyperlinkErrorMessage(int code);

// The browser command cut before its placeholder: before a quoted "%1" (the
// opening mark included), else at the first %1; whole when it has none.
std::string CutBrowserCommand(const std::string& command);
// The cut command, a blank and the URL.
std::string BrowserCommandLine(const std::string& command, const std::string& url);

}  // namespace torvel
