// `torvelctl check`: one cycle of the resident core without windows, for
// cron, systemd timers and monitoring systems.
#pragma once

#include "base/text_out.h"
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

struct CtlContext;

// Exit statuses, as monitoring systems read them: no finding; a change, a
// grown sector count, over-temperature or a drive gone; a T.E.C.; nothing
// could be checked (or the command line was wrong).
inline constexpr int kCheckClean = 0;
inline constexpr int kCheckWarning = 1;
inline constexpr int kCheckCritical = 2;
inline constexpr int kCheckUnknown = 3;

struct DriveTables;
struct MonitorState;
// The exit status of a finished check.
int CheckExitStatus(const MonitorState& state);

// syslog priorities, as the journal reads them from a "<N>" line prefix.
inline constexpr int kJournalCritical = 2;
inline constexpr int kJournalWarning = 4;
inline constexpr int kJournalInfo = 6;
// `text` with "<priority>" before each line.
std::string JournalLines(std::string_view text, int priority);
// What `check` prints (UTF-8): the summary's block of every drive, the
// drives gone, the disks left asleep; with `journal`, each line prefixed by
// its drive's priority (a T.E.C. critical, a warning finding warning).
std::string CheckText(const DriveTables& tables, const MonitorState& state, const std::string& summary,
                      bool journal);

extern const char* const kCheckUsage;
extern const char* const kCheckHelp;

// `args` are the words after "check". Prints every drive's status (UTF-8);
// boxes go to `err`.
int RunCheckCommand(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                    TextOut& err);

}  // namespace torvel
