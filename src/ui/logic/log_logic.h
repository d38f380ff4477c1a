// The log page's decisions and file work without the toolkit, and the
// file-error box that the log and preferences pages show when a file they
// remove cannot be deleted.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace torvel {

class UiServices;

// The event log file, relative to the current directory.
inline constexpr const char* kLogFileName = "torvel.log";
inline constexpr const char* kLogHelpTopic = "Torvel Help.chm::\\html\\Log tab.htm";
// The question-mark icon of a message box (MB_ICONQUESTION).

// The whole file as the text box shows it: its bytes up to the first zero
// byte. Nothing when the file cannot be opened or read.
std::optional<std::string> ReadLogText(const std::filesystem::path& file);

// Creates or truncates `file` and writes `bytes` exactly; false on failure.
bool WriteLogCopy(const std::filesystem::path& file, std::string_view bytes);

// Deletes a file. One that is already gone counts as deleted, so a user can
// always switch off what the file stood for; any other failure is returned.
std::error_code DeleteFileIfPresent(const std::filesystem::path& file);

// The standard file-error box for a file that could not be deleted.
std::string CannotDeleteText(const std::filesystem::path& file, const std::error_code& error);
void ShowCannotDelete(UiServices& ui, const std::filesystem::path& file,
                      const std::error_code& error);

// Where the log page's controls go for a page `pageHeight` pixels high.
struct LogPageGeometry {
  int frameHeight = 0;  // from the frame's top
  int textTop = 0;
  int textHeight = 0;
  int buttonTop = 0;
};
// The frame reaches 3 pixels above the page's bottom, the buttons' bottom
// edge 6; the text box ends 31 pixels above the bottom, its top 4 pixels
// lower at 120 pixels per inch.
LogPageGeometry LayoutLogPage(int pageHeight, int frameTop, int textTop, int buttonHeight,
                              int logicalDpi);

}  // namespace torvel
