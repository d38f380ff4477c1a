// S.M.A.R.T. data and threshold sectors into the attribute table; the
// attribute names. No I/O.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "drive/ata_types.h"

namespace torvel {

struct AttributeEntry;
struct DriveTables;
struct ThresholdEntry;

inline constexpr int kAttributeEntryOffset = 2;
inline constexpr int kAttributeEntrySize = 12;
inline constexpr int kTemperatureId = 194;

// Fills drive n's non-empty attribute slots, pairs each with the threshold
// in the same position and takes the temperature from attribute 194.
void StoreSmartData(DriveTables& tables, int n, SectorView data, SectorView thresholds);

// Whether an attribute at this value is a threshold exceeded condition:
// only a pre-failure attribute (flags bit 0) whose threshold is a real one
// (1 to 253) counts. Threshold 0 means always passing, 254 and 255 are not
// thresholds, and an old-age attribute past its threshold is worn, not
// failing.
bool CountsAsTec(int flags, int value, int threshold);
bool CountsAsTec(const AttributeEntry& attribute, const ThresholdEntry& threshold);

// The sector counts whose raw growth predicts failure best even while the
// normalised value stands still: reallocated (5), current pending (197) and
// offline uncorrectable (198).
inline constexpr int kSectorCountIds[] = {5, 197, 198};
bool IsSectorCountId(int id);
// The count itself: the raw field's low 32 bits, as several makers pack
// other data above it.
std::uint32_t SectorCount(const AttributeEntry& attribute);

// The fixed English name of an attribute id; "Unknown attribute" when unlisted.
std::string_view AttributeName(int id);

}  // namespace torvel
