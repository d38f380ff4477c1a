// `torvelctl schedule`: the launcher's polling interval as a systemd timer
// setting, for machines that run `torvelctl check` from torvel-check.timer
// instead of the tray launcher.
#pragma once

#include <cstdint>
#include <filesystem>
#include "base/text_out.h"
#include <string>
#include <vector>

namespace torvel {

class SettingsStore;

extern const char* const kScheduleUsage;
extern const char* const kScheduleHelp;

// A systemd time span for the interval: "45min" or "2h".
std::string TimerSpan(int pollEvery, int timeType);

// The drop-in that `--install` writes, below `configHome`:
// systemd/user/torvel-check.timer.d/schedule.conf.
std::filesystem::path ScheduleDropIn(const std::filesystem::path& configHome);


// `args` are the words after "schedule". Returns 0, 1 when the drop-in
// cannot be written, 2 for bad usage.
int RunScheduleCommand(const std::vector<std::string>& args, SettingsStore& store,
                       const std::filesystem::path& configHome, TextOut& out,
                       TextOut& err);

}  // namespace torvel
