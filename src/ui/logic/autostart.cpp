#include "ui/logic/autostart.h"
#include "base/text_out.h"
#include "base/xdg_paths.h"

#include <cstdlib>

namespace torvel {
namespace {

namespace fs = std::filesystem;

// Characters that make the Desktop Entry format quote an Exec argument.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The escapes every string value of a desktop entry takes.
std::string EscapeValue(std::string_view value) {
  std::string out;
  for (const char c : value) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  // A leading blank would be trimmed by readers.
  if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
  return out;
}

}  // namespace

fs::path AutostartEntryPath() {
  return ConfigHome() / "autostart" / "Torvel.desktop";
}

fs::path CoreProgramPath(const fs::path& folder) { return folder / "torvelCore"; }

fs::path LauncherProgramPath(const fs::path& folder) { return folder / "Torvel"; }

std::string QuoteExecArgument(std::string_view argument) {
  std::string doubled;
  for (const char c : argument) {
    doubled += c;
    if (c == '%') doubled += '%';
  }
  if (!argument.empty() && argument.find_first_of(kReserved) == std::string_view::npos)
    return doubled;
  std::string quoted = "\"";
  for (const char c : doubled) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string DesktopEntryText(const fs::path& target, const fs::path& folder) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Torvel\n"
         "Comment=Hard disk health monitor\n"
         "Exec=" + EscapeValue(QuoteExecArgument(target.string())) + "\n"
         "Path=" + EscapeValue(folder.string()) + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool CreateAutostartEntry(const fs::path& entry, const fs::path& target, const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(entry.parent_path(), ec);
  return WriteWholeFile(entry, DesktopEntryText(target, folder));
}

}  // namespace torvel
