// The user's folders as the XDG base directory rules name them. A variable
// that is unset, empty or relative is ignored, as the rules say; without a
// home folder the result is empty.
#pragma once

#include <filesystem>

namespace torvel {

// $HOME, else the home folder of the password database; empty when neither.
std::filesystem::path HomeFolder();

// `variable` if it is an absolute path, else `home`/`fallback` (empty when
// `home` is empty). The rule, without the environment.
std::filesystem::path XdgFolder(const char* variable, const std::filesystem::path& home,
                                const char* fallback);

// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigHome();
// $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path DataHome();
// $XDG_CACHE_HOME, else ~/.cache.
std::filesystem::path CacheHome();
// Where torvelctl keeps its trace and log: `torvelHome` ($TORVEL_HOME) when
// absolute, else `dataHome`/Torvel, the folder the desktop side runs in, so
// its Log tab shows the command line's entries too. Empty when neither.
std::filesystem::path ProgramDataFolder(const char* torvelHome, const std::filesystem::path& dataHome);
std::filesystem::path ProgramDataFolder();
// $XDG_RUNTIME_DIR when absolute, else empty: it has no fallback of its own.
std::filesystem::path RuntimeFolder();

}  // namespace torvel
