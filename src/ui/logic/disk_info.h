// What the Disk info page lists for a drive: its identity, the volumes on
// it and the decoded IDENTIFY sector, as label and value texts (Windows-1252).
// The page only copies these rows into its list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drive/ata_types.h"

namespace torvel {

struct AttributeTable;
struct DriveRecord;
struct DriveTables;
struct TextTable;
struct VolumeRow;

struct InfoRow {
  std::string label;
  std::string value;
  bool header = false;  // a group header row (the list's item data 1)
};

// Group headers, fixed English in every language.
inline constexpr const char* kDriveDetailsHeader = "Drive details";
inline constexpr const char* kVolumesHeader = "Volumes on this drive";
inline constexpr const char* kAdvancedHeader = "Advanced drive information";

// "%.3f GB" above 1.0 gigabytes, else "%.0f MB" of the capacity × 1000.
std::string CapacityText(float capacityGb);

// The "Drive details" header and the seven identity rows, labelled from the
// page's DiskInfoTab texts.
std::vector<InfoRow> IdentityRows(const DriveRecord& record, const TextTable& texts);

// The decoded IDENTIFY rows, in the page's order; conditional rows only when
// their condition holds.
std::vector<InfoRow> IdentifyRows(SectorView identify);

// What an NVMe drive shows in place of the IDENTIFY rows: where it is and the
// health log's state, from its record and attribute rows.
std::vector<InfoRow> NvmeInfoRows(const DriveRecord& record, const AttributeTable& table);

// The whole list for drive `driveNumber`. The volume section (its header and
// `volumes`) is there only on the per-drive path. Nothing when the drive
// number is outside the tables or its record has no model: the page then
// leaves its list as it is.
std::optional<std::vector<InfoRow>> DiskInfoRows(const DriveTables& tables, int driveNumber,
                                                 bool perDrivePath,
                                                 const std::vector<VolumeRow>& volumes,
                                                 const TextTable& texts);

}  // namespace torvel
