// One check of all drives, and the alert that it raises at most once.
#pragma once

#include <string>

#include "monitor/monitor_context.h"
#include "monitor/monitor_state.h"

namespace torvel {

// Decides from the refreshed drive records whether any drive is in trouble,
// records changes, raises the alert and reports the status summary. False
// when the user asked for more information and then left the main window
// without OK: the caller stops. The summary of the pass is left in `summary`.
bool CheckAllDrives(MonitorContext& ctx, MonitorState& state, StatusSummary& summary,
                    int interactive, int recordLastCheck);

// Starts the alert sound if PlaySound is on.
void PlayAlertSound(MonitorContext& ctx);

// Sends one alert text through every enabled channel; false only when the
// user asked for more information and the main window ended without OK.
// A Yes/No box shows `boxText` when it is given (the text with its question).
bool DispatchAlert(MonitorContext& ctx, MonitorState& state, int drive, const std::string& text,
                   int showPopup, int askMore, const std::string& boxText = {});

// SaveAttributeBaseline with the frame's change counts.
void SaveBaseline(MonitorContext& ctx, const MonitorState& state);

}  // namespace torvel
