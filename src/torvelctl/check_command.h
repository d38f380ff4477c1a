// `torvelctl check`: one cycle of the resident core without windows, for
// cron, systemd timers and monitoring systems.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace torvel {

struct CtlContext;

// Exit statuses: no finding, a change or over-temperature, a T.E.C.
inline constexpr int kCheckClean = 0;
inline constexpr int kCheckWarning = 1;
inline constexpr int kCheckCritical = 2;

extern const char* const kCheckUsage;
extern const char* const kCheckHelp;

// `args` are the words after "check". Prints the status summary (UTF-8);
// boxes go to `err`.
int RunCheckCommand(const std::vector<std::string>& args, CtlContext& ctx, std::ostream& out,
                    std::ostream& err);

}  // namespace torvel
