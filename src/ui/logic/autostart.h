// The start-up entry: an XDG autostart desktop entry that starts Torvel when
// the user logs in, pointing at a program in Torvel's own folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace torvel {

// $XDG_CONFIG_HOME/autostart/Torvel.desktop; XDG_CONFIG_HOME unset, empty
// or relative means ~/.config.
std::filesystem::path AutostartEntryPath();

// The programs an entry may start, in Torvel's folder: the core, which
// checks once and exits, and the launcher, which stays in the tray.
std::filesystem::path CoreProgramPath(const std::filesystem::path& folder);
std::filesystem::path LauncherProgramPath(const std::filesystem::path& folder);

// One Exec argument: quoted when it holds a blank or another reserved
// character, with '"', '`', '$' and '\' escaped inside the quotes, and '%'
// doubled so it is not read as a field code.
std::string QuoteExecArgument(std::string_view argument);

// The entry's text: starts `target` in the working folder `folder`.
std::string DesktopEntryText(const std::filesystem::path& target,
                             const std::filesystem::path& folder);

// Writes the entry, creating the autostart folder when needed; false when it
// cannot be written (nobody is told: a missing entry only means no start).
bool CreateAutostartEntry(const std::filesystem::path& entry, const std::filesystem::path& target,
                          const std::filesystem::path& folder);

}  // namespace torvel
