// `torvelctl mail test`: the mail settings dialog's test mail, from the
// command line, with its result.
#pragma once

#include <filesystem>
#include "base/text_out.h"
#include <string>
#include <vector>

namespace torvel {

class SettingsStore;
class TraceLog;

inline constexpr const char* kMailUsage = "       torvelctl mail test\n";
inline constexpr const char* kMailHelp =
    "  mail test  send the mail settings dialog's test mail with the stored\n"
    "             settings and print its result; exits 0 when the server took it\n";

// Exit code when the mail did not go out.
inline constexpr int kExitMailFailed = 1;

int RunMailCommand(const std::vector<std::string>& args, SettingsStore& store, TraceLog& trace,
                   TextOut& out, TextOut& err,
                   const std::filesystem::path& modulePath);

}  // namespace torvel
