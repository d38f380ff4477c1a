#include "ui/logic/about_logic.h"

#include <string_view>

#include "base/version.h"
#include "drive/report.h"

namespace torvel {
namespace {

// The site without its closing '/', so that a path can follow.
std::string Site() {
  std::string site = kProductWebAddress;
  while (!site.empty() && site.back() == '/') site.pop_back();
  return site;
}

}  // namespace

std::optional<std::string> HelpPageOfTopic(const std::string& topic) {
  const auto at = topic.find("::");
  if (at == std::string::npos) return std::string("html/index.htm");
  std::string page = topic.substr(at + 2);
  for (char& c : page)
    if (c == '\\') c = '/';
  while (!page.empty() && page.front() == '/') page.erase(0, 1);
  if (page.empty()) return std::nullopt;
  // No part may climb out of the help folder.
  std::string_view rest = page;
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    if (rest.substr(0, slash) == "..") return std::nullopt;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return page;
}

std::string AboutVersionLine() { return std::string("Torvel ") + kVersionText; }

std::string AboutBuildLine() { return "Build: " + std::to_string(kBuildNumber); }

std::string FeedbackUrl(int osMajor, int osMinor) {
  return Site() + "/torvel/feedback.html?prod=Torvel&ver=" + kVersionText + "." +
         std::to_string(kBuildNumber) + "&win=" + std::to_string(osMajor) + "." + std::to_string(osMinor);
}

std::string SupportMailUrl() { return std::string("mailto:") + kSupportEmailAddress; }

std::string WebsiteText() {
  std::string site = Site();
  const auto scheme = site.find("://");
  return scheme == std::string::npos ? site : site.substr(scheme + 3);
}

std::string HyperlinkErrorText(int code) {
  switch (code) {
    case 0:
      return "The operating system is out\nof memory or resources.";
    case 2:
      return "The specified file was not found.";
    case 3:
      return "The specified path was not found.";
    case 5:
      return "The operating system denied\naccess to the specified file.";
    case 8:
      return "There was not enough memory to complete the operation.";
    case 11:
      return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
      return "A sharing violation occurred. ";
    case 27:
      return "The filename association is\nincomplete or invalid.";
    case 28:
      return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
      return "The DDE transaction failed.";
    case 30:
      return "The DDE transaction could not\nbe completed because other DDE transactions\n"
             "were being processed.";
    case 31:
      return "There is no application associated\nwith the given filename extension.";
    case 32:
      return "The specified dynamic-link library was not found.";
    default:
      return "Unknown Error (" + std::to_string(code) + ") occurred.";
  }
}

std::string HyperlinkErrorMessage(int code) {
  return "Unable to open hyperlink:\n\n" + HyperlinkErrorText(code);
}

std::string CutBrowserCommand(const std::string& command) {
  auto at = command.find("\"%1\"");
  if (at == std::string::npos) at = command.find("%1");
  return at == std::string::npos ? command : command.substr(0, at);
}

std::string BrowserCommandLine(const std::string& command, const std::string& url) {
  return CutBrowserCommand(command) + " " + url;
}

}  // namespace torvel
