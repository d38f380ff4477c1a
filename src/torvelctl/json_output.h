// torvelctl's --json documents (docs/json.md): the same fields as the text
// commands, numbers as numbers, keys that stay.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "drive/ata_types.h"
#include "ui/logic/disk_info.h"

namespace torvel {

struct DriveTables;
struct MonitorState;

inline constexpr int kJsonSchemaVersion = 1;

// `drives --json`.
std::string DrivesJson(const DriveTables& tables);
// `report N --json`.
std::string ReportJson(const DriveTables& tables, int driveNumber, const std::tm& now);
// `identify N --json`: the rows `identify N` prints.
std::string IdentifyJson(const DriveTables& tables, int driveNumber, const std::vector<InfoRow>& rows);
// `check --json`: every drive's verdict and what was found, and the exit status.
std::string CheckJson(const DriveTables& tables, const MonitorState& state, int status);

}  // namespace torvel
