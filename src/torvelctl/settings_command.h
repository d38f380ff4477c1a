// `torvelctl settings`: shows the settings store, or writes one value in it.
#pragma once

#include "base/text_out.h"
#include <string>
#include <vector>

namespace torvel {

class SettingsStore;

inline constexpr const char* kSettingsUsage =
    "       torvelctl settings [SECTION]\n"
    "       torvelctl settings set SECTION KEY int|str VALUE\n";
inline constexpr const char* kSettingsHelp =
    "  settings   print the settings store, or only SECTION (Options, or a\n"
    "             drive's serial number), one 'key (int|str) = value' line each\n"
    "  settings set SECTION KEY int|str VALUE\n"
    "             write one value; int is a 32-bit signed number\n";

// Exit code when the store could not be read or written (usage errors are 64).
inline constexpr int kExitSettingsFailed = 1;

// args: the words after `settings`. Names and texts are Windows-1252 in the
// store and UTF-8 on the command line and in the listing.
int RunSettingsCommand(const std::vector<std::string>& args, SettingsStore& store,
                       TextOut& out, TextOut& err);

}  // namespace torvel
