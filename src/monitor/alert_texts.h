// The texts a check writes and shows, each built in one place from the
// "Messages" texts and the drive's record. Windows-1252; the degree sign is
// byte 0xB0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/monitor_state.h"

namespace torvel {

inline constexpr const char* kBoxCaption = "Torvel";

// "SMART monitoring started - model [serial]", logged at first sight.
std::string FirstSightText(const MonitorState& state, const DriveRecord& rec);
std::string TemperatureMessage(const MonitorState& state, const DriveRecord& rec);
// One attribute's change, for the log file.
std::string ChangeLogText(const MonitorState& state, const DriveRecord& rec, int id, int oldValue,
                          int newValue);
// A sector count's growth, for the log file.
std::string SectorGrowthLogText(const MonitorState& state, const DriveRecord& rec, int id,
                                std::uint32_t oldCount, std::uint32_t newCount);
// "[model, S/N:serial] - The drive no longer answers".
std::string MissingDriveText(const MonitorState& state, const MissingDriveRecord& drive);
std::string TecAlertText(const MonitorState& state, const DriveRecord& rec);
// The T.E.C. box: the alert text and the question its Yes and No answer.
std::string TecBoxText(const MonitorState& state, const DriveRecord& rec);
// Every recorded change and sector-count growth of every drive, then every
// drive that no longer answers, for mail and network message.
std::string ChangeReport(const MonitorState& state, const DriveTables& tables);
// The change pop-up; `askMore` adds "Show more information?".
std::string ChangePopupText(const MonitorState& state, const DriveRecord& rec, bool askMore);
// "Disk model, 12.3 GB, S/N:serial\n" opening a drive's status-summary block.
std::string StatusBlockHeader(const MonitorState& state, const DriveRecord& rec);

// The drive's one-line status: compact for the launcher's summary, long for
// the S.M.A.R.T. information page and the views.
std::string ComposeDriveStatus(const MonitorState& state, const DriveRecord& rec, int compact);

}  // namespace torvel
