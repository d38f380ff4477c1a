#include "monitor/schedule.h"

#include "monitor/monitor_state.h"

#include <algorithm>

#include "config/settings.h"
#include "base/codepage.h"

namespace torvel {

namespace {
constexpr std::size_t kSummaryBytes = 256;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kSecondsPerHour = 3600;
}  // namespace

ScheduleSettings ReadSchedule(SettingsStore& store) {
  ScheduleSettings s;
  s.autoCheck = settings::AutoCheck(store) != 0;
  s.timeType = settings::TimeType(store);
  s.pollEvery = settings::PollEveryForNextCheck(store, s.timeType);
  return s;
}

std::int64_t IntervalSeconds(const ScheduleSettings& schedule) {
  const std::int64_t count = std::max(schedule.pollEvery, 1);
  return count * (schedule.timeType != 0 ? kSecondsPerMinute : kSecondsPerHour);
}

std::int64_t NextRun(std::int64_t lastRun, std::int64_t now, std::int64_t interval,
                     bool scheduleChanged) {
  const std::int64_t next = lastRun + interval;
  if (scheduleChanged || now >= next) return now + interval;
  return next;
}

std::string SummaryText(std::string_view copyData) {
  copyData = copyData.substr(0, std::min(copyData.size(), kSummaryBytes));
  return std::string(copyData.substr(0, copyData.find('\0')));
}

TrayState TrayStateOf(std::string_view summaryText, std::string_view criticalText) {
  TrayState worst = TrayState::Unknown;
  std::size_t open = summaryText.find('[');
  while (open != std::string_view::npos) {
    std::string_view status = summaryText.substr(open + 1);
    const std::size_t close = status.find(']');
    status = status.substr(0, close);
    // A status cut off by the 256-byte limit may hold only the critical
    // text's beginning.
    const bool cut = close == std::string_view::npos;
    TrayState block = TrayState::Ok;
    if (!criticalText.empty() &&
        (status.starts_with(criticalText) ||
         (cut && !status.empty() && criticalText.starts_with(status))))
      block = TrayState::Bad;
    else if (!status.empty() && status.front() == ' ')
      block = TrayState::Changed;
    worst = std::max(worst, block);
    if (cut) break;
    open = summaryText.find('[', open + 1 + close + 1);
  }
  return worst;
}

TrayState TrayStateOfFindings(unsigned findings, int checkedDrives) {
  if (findings & kFoundTec) return TrayState::Bad;
  if (findings & kFoundWarning) return TrayState::Changed;
  return checkedDrives > 0 ? TrayState::Ok : TrayState::Unknown;
}

namespace {
constexpr std::uint64_t kTrayWordTag = 0x54525900;  // "TRY"
}  // namespace

std::uint64_t TrayStateWord(TrayState state) {
  return kTrayWordTag | static_cast<std::uint64_t>(state);
}

std::optional<TrayState> TrayStateOfWord(std::uint64_t word) {
  if ((word & ~std::uint64_t{0xFF}) != kTrayWordTag) return std::nullopt;
  const std::uint64_t v = word & 0xFF;
  if (v > static_cast<std::uint64_t>(TrayState::Bad)) return std::nullopt;
  return static_cast<TrayState>(v);
}

const char* TrayStateName(TrayState state) {
  switch (state) {
    case TrayState::Ok: return "ok";
    case TrayState::Changed: return "changed";
    case TrayState::Bad: return "bad";
    case TrayState::Unknown: break;
  }
  return "unknown";
}

bool ShouldFlash(TrayState state, bool flashIcon) {
  return flashIcon && (state == TrayState::Changed || state == TrayState::Bad);
}

std::string TooltipText(std::string_view summaryText, bool showTrayStatus) {
  if (!showTrayStatus || summaryText.empty()) return "Torvel";
  return Cp1252ToUtf8(summaryText);
}

std::optional<DesktopNotice> DesktopNoticeFor(TrayState before, std::string_view beforeSummary,
                                              TrayState now, std::string_view summaryText, bool enabled) {
  if (!enabled || now == TrayState::Unknown) return std::nullopt;
  const bool wasAlert = before == TrayState::Changed || before == TrayState::Bad;
  if (now == TrayState::Ok && !wasAlert) return std::nullopt;                 // all well, as before
  if (now == before && summaryText == beforeSummary) return std::nullopt;  // the same alert again
  DesktopNotice notice;
  notice.body = Cp1252ToUtf8(summaryText);
  if (now == TrayState::Bad) {
    notice.summary = "A disk reports a critical condition";
    notice.urgency = 2;
  } else if (now == TrayState::Changed) {
    notice.summary = "A disk needs attention";
    notice.urgency = 1;
  } else {
    notice.summary = "The disks are OK again";
    notice.urgency = 0;
  }
  return notice;
}

}  // namespace torvel
