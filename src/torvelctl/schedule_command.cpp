#include "torvelctl/schedule_command.h"

#include <cstdlib>
#include "base/text_out.h"
#include <system_error>

#include "monitor/schedule.h"

namespace torvel {

const char* const kScheduleUsage = "       torvelctl schedule [--install]\n";
const char* const kScheduleHelp =
    "  schedule   print the systemd timer setting that matches the launcher's\n"
    "             schedule (Options/PollEvery in hours, or minutes when\n"
    "             Options/TimeType is 1): 'OnUnitActiveSec=<span>'. With\n"
    "             --install, also write it as a drop-in for the user timer,\n"
    "             $XDG_CONFIG_HOME/systemd/user/torvel-check.timer.d/schedule.conf;\n"
    "             then run 'systemctl --user daemon-reload'. It never enables\n"
    "             the timer; 'systemctl --user enable --now torvel-check.timer' does\n";

namespace {
namespace fs = std::filesystem;

constexpr int kExitWriteFailed = 1;
constexpr int kExitBadUsage = 2;

bool WriteAtomically(const fs::path& file, const std::string& text, std::string& why) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec) {
    why = ec.message();
    return false;
  }
  const fs::path temporary = file.string() + ".new";
  if (!WriteWholeFile(temporary, text)) {
    why = "cannot write " + temporary.string();
    return false;
  }
  fs::rename(temporary, file, ec);
  if (ec) why = ec.message();
  return !ec;
}

}  // namespace

std::string TimerSpan(int pollEvery, int timeType) {
  const ScheduleSettings s{true, pollEvery, timeType};
  const std::int64_t seconds = IntervalSeconds(s);
  return timeType != 0 ? std::to_string(seconds / 60) + "min" : std::to_string(seconds / 3600) + "h";
}

fs::path ScheduleDropIn(const fs::path& configHome) {
  return configHome / "systemd" / "user" / "torvel-check.timer.d" / "schedule.conf";
}

int RunScheduleCommand(const std::vector<std::string>& args, SettingsStore& store,
                       const fs::path& configHome, TextOut& out, TextOut& err) {
  bool install = false;
  for (const std::string& a : args) {
    if (a != "--install") {
      err << "torvelctl: unknown option '" << a << "' for 'schedule'\n";
      return kExitBadUsage;
    }
    install = true;
  }
  const ScheduleSettings s = ReadSchedule(store);
  const std::string setting = "OnUnitActiveSec=" + TimerSpan(s.pollEvery, s.timeType);
  out << setting << "\n";
  if (!s.autoCheck)
    err << "torvelctl: Options/AutoCheck is 0 (polling off); to match it, leave the timer "
           "disabled: systemctl --user disable --now torvel-check.timer\n";
  if (!install) return 0;

  const fs::path file = ScheduleDropIn(configHome);
  // The empty assignment drops the unit's own interval: timer settings add
  // up across drop-ins otherwise.
  const std::string text =
      "# Written by 'torvelctl schedule --install' from Options/PollEvery and\n"
      "# Options/TimeType. Run it again after changing the schedule.\n"
      "[Timer]\n"
      "OnUnitActiveSec=\n" +
      setting + "\n";
  std::string why;
  if (!WriteAtomically(file, text, why)) {
    err << "torvelctl: cannot install " << file.string() << ": " << why << "\n";
    return kExitWriteFailed;
  }
  out << "Wrote " << file.string() << "\n"
      << "Now run: systemctl --user daemon-reload\n";
  return 0;
}

}  // namespace torvel
