// The launcher's decisions, free of Qt so that tests and torvelctl share
// them: when the next core starts, how the tray reads the core's status
// summary, what the tooltip says and when the desktop hears of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvel {

class SettingsStore;

// What Options holds about the schedule, read with the main window's
// defaults: AutoCheck 1, TimeType 0, PollEvery 1 for hours or 30 for
// minutes.
struct ScheduleSettings {
  bool autoCheck = true;
  int pollEvery = 1;
  int timeType = 0;  // 0 hours, 1 minutes
};

// Reads the three keys now (settings are never cached).
ScheduleSettings ReadSchedule(SettingsStore& store);

// The interval in seconds: PollEvery minutes when TimeType is non-zero,
// hours otherwise; never below one unit, whatever the store holds.
std::int64_t IntervalSeconds(const ScheduleSettings& schedule);

// When the next check is due, as the main window's next-check line
// computes it: one interval after the last run; when that has already
// passed, or the schedule was just changed (1153), one interval from now.
// Units are the caller's (seconds, or milliseconds throughout).
std::int64_t NextRun(std::int64_t lastRun, std::int64_t now, std::int64_t interval,
                     bool scheduleChanged);

// The status summary's text: its bytes up to the first NUL, at most 256.
std::string SummaryText(std::string_view copyData);

enum class TrayState { Unknown, Ok, Changed, Bad };

// How the tray icon reads a summary. The summary holds one
// "...\n[<status>]" block per drive. A block whose status starts with the
// critical text (Messages 22, a T.E.C.) is bad; one that starts with a
// blank is changed, because the compact status puts the change count first
// after a blank, while an unchanged drive's status starts with "SMART OK"
// or a "not supported" text. The worst block wins; a summary without any
// block (no drive) is Unknown. A block cut off at 256 bytes counts with
// what is left of it.
TrayState TrayStateOf(std::string_view summaryText, std::string_view criticalText);

// The tray state of a check's findings (monitor_state.h's kFound bits):
// a T.E.C. is bad, any other finding changed, nothing found ok; unknown
// when no drive was checked.
TrayState TrayStateOfFindings(unsigned findings, int checkedDrives);

// WM_COPYDATA's data word carries the tray state beside the summary text,
// which may be cut: the tag tells it from a sender that puts 0 there.
std::uint64_t TrayStateWord(TrayState state);
std::optional<TrayState> TrayStateOfWord(std::uint64_t word);

const char* TrayStateName(TrayState state);

// True when a check's result deserves a flashing icon: something was found
// and FlashIcon is on.
bool ShouldFlash(TrayState state, bool flashIcon);

// The tooltip, UTF-8: the summary itself when ShowTrayStatus is on and a
// summary has arrived, else the program's name.
std::string TooltipText(std::string_view summaryText, bool showTrayStatus);

// A desktop notification (org.freedesktop.Notifications), UTF-8 plain text.
struct DesktopNotice {
  std::string summary;  // the notification's title
  std::string body;
  int urgency = 1;  // as org.freedesktop.Notifications numbers it: 0 low, 1 normal, 2 critical

  friend bool operator==(const DesktopNotice&, const DesktopNotice&) = default;
};

// Whether a status report deserves a desktop notification, and what it
// says. `before` and `beforeSummary` are the previous report's tray state
// and summary text (Unknown and "" before the first one), `now` and
// `summaryText` this one's. A notice comes when the state turns changed or
// bad (from any other), when a changed or bad state comes with another
// summary (a new alert), and when a changed or bad state gives way to OK.
// None comes for an OK after OK or unknown (the first check), for an
// unknown state (no drive checked), for the same alert again, or while `enabled`
// (Options/DesktopNotifications) is false. The body is the summary in
// UTF-8; a T.E.C. is critical, a change normal, OK again low.
std::optional<DesktopNotice> DesktopNoticeFor(TrayState before, std::string_view beforeSummary,
                                              TrayState now, std::string_view summaryText, bool enabled);

}  // namespace torvel
