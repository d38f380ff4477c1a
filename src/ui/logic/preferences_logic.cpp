#include "ui/logic/preferences_logic.h"

#include <algorithm>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "base/debug_trace.h"
#include "platform/window_messages.h"
#include "ui/logic/autostart.h"
#include "ui/logic/log_logic.h"
#include "ui/logic/main_window_logic.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

void Create(const AutostartPlace& place, const fs::path& target, TraceLog& trace) {
  if (!CreateAutostartEntry(place.entry, target, place.folder))
    trace.DebugTrace("Cannot create the start-up entry %s\n", place.entry.string().c_str());
}

// Deletes the entry; false after the file-error box.
bool Delete(const AutostartPlace& place, UiServices& ui) {
  const std::error_code error = DeleteFileIfPresent(place.entry);
  if (!error) return true;
  ShowCannotDelete(ui, place.entry, error);
  return false;
}

}  // namespace

PreferencesView LoadPreferencesView(SettingsStore& store, const DriveTables& tables,
                                    int selectedDrive) {
  PreferencesView v;
  v.unitIndex = settings::TimeType(store) != 0 ? 1 : 0;
  v.pollEvery = settings::PollEvery(store);
  v.autoCheck = settings::AutoCheck(store) != 0;
  v.autostart = settings::Autostart(store) != 0;
  v.popup = settings::Popup(store) != 0;
  v.flashIcon = settings::FlashIcon(store) != 0;
  v.logEnable = settings::LogEnable(store) != 0;
  v.checkAndExit = settings::CheckAndExit(store) != 0;
  v.openAtStartup = settings::OpenAtStartup(store) != 0;
  v.useEventLog = settings::UseEventLog(store) != 0;
  v.showTrayStatus = settings::ShowTrayStatus(store) != 0;
  v.email = settings::Email(store) != 0;
  v.mailRepeat = settings::MailRepeat(store);
  v.netsend = settings::Netsend(store) != 0;
  v.playSound = settings::PlaySound(store) != 0;
  const bool inRange = selectedDrive >= 0 && selectedDrive < kMaxDrives;
  v.temperatureKnown =
      inRange && tables.records[static_cast<std::size_t>(selectedDrive)].temperature != 0;
  // Without a temperature the box stays unchecked; the stored switch is
  // left alone, it is global and other drives report one.
  v.tempNotify = v.temperatureKnown && settings::EnableTempNotify(store) != 0;
  v.criticalTemp = settings::CriticalTemp(store);
  v.userName = settings::NetworkUserName(store);
  return v;
}

PreferencesEnabling EnablingFor(const PreferencesView& view, bool perDrivePath) {
  PreferencesEnabling e;
  e.interval = view.autoCheck;
  e.checkAndExit = view.autostart;
  e.eventLog = perDrivePath;
  e.tempBox = view.temperatureKnown;
  e.criticalTemp = view.tempNotify;
  e.mailSettings = view.email;
  e.mailRepeat = view.email;
  e.userName = view.netsend;
  return e;
}

IntervalChange IntervalTyped(int typed, int stored) {
  const int position = std::clamp(typed, 1, kPollEveryMax);
  return {position, typed != stored};
}

IntervalChange IntervalArrowed(int next) {
  if (next <= 0) return {1, false};
  return {std::min(next, kPollEveryMax), true};
}

int CriticalTempToStore(int value) { return value <= 0 ? 1 : std::min(value, kCriticalTempMax); }

int TimeTypeForUnit(int index) { return index == 0 ? 0 : 1; }

void SendScheduleNotice(WindowSystem* windows) {
  if (windows == nullptr) return;
  const WindowHandle launcher = windows->FindWindow(kLauncherClass, kLauncherTitle);
  if (launcher != kNoWindow) windows->SendMessage(launcher, {kMsgScheduleChanged, 0, 0, {}});
  const WindowHandle main = windows->FindWindow(kDialogClass, MainWindowTitle());
  if (main != kNoWindow) windows->SendMessage(main, {kMsgScheduleChanged, 1, 0, {}});
}

bool NetMessageNameMissing(const std::string& name) {
  return name.empty() || name == settings::kNoNetworkUser;
}

AutostartPlace CurrentAutostartPlace() {
  std::error_code ec;
  return {AutostartEntryPath(), fs::current_path(ec)};
}

bool ApplyAutostart(bool on, SettingsStore& store, UiServices& ui, TraceLog& trace,
                    const AutostartPlace& place) {
  if (on) {
    // Also run at every opening, so the entry follows the folder Torvel now
    // runs from.
    const bool core = settings::CheckAndExit(store) != 0;
    Create(place, core ? CoreProgramPath(place.folder) : LauncherProgramPath(place.folder), trace);
    settings::SetAutostart(store, 1);
    return true;
  }
  if (!Delete(place, ui)) return false;
  settings::SetAutostart(store, 0);
  return true;
}

bool ApplyCheckAndExit(bool on, SettingsStore& store, UiServices& ui, TraceLog& trace,
                       const AutostartPlace& place) {
  // Without start-up there is no entry to point anywhere; only the choice
  // is kept for when it is switched on.
  if (settings::Autostart(store) != 0) {
    if (!Delete(place, ui)) return false;
    Create(place, on ? CoreProgramPath(place.folder) : LauncherProgramPath(place.folder), trace);
  }
  settings::SetCheckAndExit(store, on ? 1 : 0);
  return true;
}

}  // namespace torvel
