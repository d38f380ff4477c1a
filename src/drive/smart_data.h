// S.M.A.R.T. data and threshold sectors into the attribute table; the
// attribute names. No I/O.
#pragma once

#include <string_view>

#include "drive/ata_types.h"

namespace torvel {

struct DriveTables;

inline constexpr int kAttributeEntryOffset = 2;
inline constexpr int kAttributeEntrySize = 12;
inline constexpr int kTemperatureId = 194;

// Fills drive n's non-empty attribute slots, pairs each with the threshold
// in the same position and takes the temperature from attribute 194.
void StoreSmartData(DriveTables& tables, int n, SectorView data, SectorView thresholds);

// The fixed English name of an attribute id; "Unknown attribute" when unlisted.
std::string_view AttributeName(int id);

}  // namespace torvel
