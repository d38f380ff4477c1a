// The attribute names and raw values as they are shown: the fixed name
// table of smart_data.h, completed for today's drives and corrected for the
// SSD families whose makers use ids their own way. Settings keys keep using
// AttributeName; these are for display only. No I/O.
#pragma once

#include <string>
#include <string_view>

namespace torvel {

struct AttributeEntry;
struct DriveRecord;

enum class SsdFamily {
  kNone,     // no family rule matches the model
  kPhison,   // Kingston, Phison and SandForce controllers
  kIntel,
  kSamsung,
  kMicron,   // Crucial and Micron
};

// The family whose rule the model (any case) matches.
SsdFamily SsdFamilyOf(std::string_view model);

// A family rule matches, the model says "SSD", or IDENTIFY word 217 says
// the medium does not rotate.
bool IsSolidState(const DriveRecord& record);

// The name shown for attribute `id` of this drive: a family's own name
// first, then the fixed table's, then the usual name of an id the table
// leaves out; "Unknown attribute" when none knows it. An SSD never shows
// "Temperature" for an id other than its temperature (194, 190).
std::string_view AttributeDisplayName(int id, const DriveRecord& record);

// The raw value in its unit where the unit is known ("9818 h", "45 \xB0C",
// "12 sectors"), Windows-1252; empty otherwise.
std::string ReadableRaw(int id, const AttributeEntry& entry, const DriveRecord& record);

}  // namespace torvel
