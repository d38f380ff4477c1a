// The preferences page's decisions without the toolkit: what each control
// shows when the page opens, when it is enabled, the bounds of the number
// fields, and what each change writes. The page only wires.
#pragma once

#include <filesystem>
#include <string>

namespace torvel {

struct DriveTables;
class SettingsStore;
class TraceLog;
class UiServices;
class WindowSystem;

inline constexpr const char* kPreferencesHelpTopic = "Torvel Help.chm::\\html\\Preferences tab.htm";
inline constexpr const char* kTestNetMessageText = "This is a test message from Torvel";
inline constexpr int kPollEveryMax = 240;
inline constexpr int kCriticalTempMax = 150;

// What every control shows when the page opens.
struct PreferencesView {
  bool autoCheck = true;
  int pollEvery = 1;
  int unitIndex = 0;  // 0 "Hours", 1 "Minutes"
  bool autostart = true;
  bool checkAndExit = false;
  bool openAtStartup = false;
  bool logEnable = true;
  bool useEventLog = false;
  bool showTrayStatus = true;
  bool flashIcon = true;
  bool popup = true;
  bool email = false;
  bool netsend = false;
  // MailRepeat: 0 every check, 1 once per finding, 2 once a day.
  int mailRepeat = 0;
  bool playSound = true;
  // The selected drive reports a temperature: the warning box can be used.
  bool temperatureKnown = false;
  bool tempNotify = false;
  int criticalTemp = 50;
  std::string userName = "administrator";
};
PreferencesView LoadPreferencesView(SettingsStore& store, const DriveTables& tables,
                                    int selectedDrive);

// Which controls are enabled for the boxes' current states.
struct PreferencesEnabling {
  bool interval = true;  // "every", the number and the unit
  bool checkAndExit = true;
  bool eventLog = true;
  bool tempBox = true;
  bool criticalTemp = true;  // label and number
  bool mailSettings = false;
  bool mailRepeat = false;  // label and list
  bool userName = false;
};
// `perDrivePath`: the drive channel reaches each disk through its own device
// (the system event log exists only then).
PreferencesEnabling EnablingFor(const PreferencesView& view, bool perDrivePath);

// The interval after a change of its field: the position the arrows take
// and whether PollEvery is written (with the schedule notice).
struct IntervalChange {
  int position = 1;
  bool write = false;
};
// Typed: 0 or below goes back to 1; written when it differs from `stored`.
IntervalChange IntervalTyped(int typed, int stored);
// Arrows: `next` is the position plus the step; written when above 0.
IntervalChange IntervalArrowed(int next);
// The critical temperature stored for a field value: 0 or below is 1.
int CriticalTempToStore(int value);
// TimeType for the unit list's item.
int TimeTypeForUnit(int index);

// Tells the launcher (1153, 0) and then the main window (1153, 1) that the
// schedule changed. Windows that do not exist are skipped.
void SendScheduleNotice(WindowSystem* windows);

// A test network message goes only to a name that is set.
bool NetMessageNameMissing(const std::string& name);

// Where the start-up entry lives and the folder whose programs it starts.
struct AutostartPlace {
  std::filesystem::path entry;
  std::filesystem::path folder;
};
// The entry of this user, the programs of the current directory.
AutostartPlace CurrentAutostartPlace();

// The start-with-the-system box changed, or the page opens with Autostart
// on: write the entry (on) or delete it (off) and store Autostart. False
// when the entry could not be deleted: the file-error box was shown and
// Autostart keeps its value.
bool ApplyAutostart(bool on, SettingsStore& store, UiServices& ui, TraceLog& trace,
                    const AutostartPlace& place);
// The check-and-exit box changed: point the entry at the core (on) or the
// launcher (off) and store CheckAndExit; false as above.
bool ApplyCheckAndExit(bool on, SettingsStore& store, UiServices& ui, TraceLog& trace,
                       const AutostartPlace& place);

}  // namespace torvel
