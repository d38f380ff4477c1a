// IDENTIFY DEVICE / IDENTIFY PACKET DEVICE sector parsing. No I/O.
#pragma once

#include <cstdint>
#include <string>

#include "drive/ata_types.h"

namespace torvel {

class TraceLog;
struct DriveTables;

// Word w of the sector, little-endian.
inline std::uint16_t IdentifyWord(SectorView s, int w) {
  return static_cast<std::uint16_t>(s[static_cast<std::size_t>(2 * w)] |
                                    (s[static_cast<std::size_t>(2 * w + 1)] << 8));
}

// Sectors the drive reports: the 48-bit count when word 83 bit 10 says the
// drive has 48-bit addressing, else the 28-bit count of words 60-61.
std::uint64_t IdentifySectorCount(SectorView s);

// A string field of `words` words from `firstWord`: bytes swapped within each
// word, cut at the first NUL; blanks are left for the caller to trim.
std::string IdentifyString(SectorView s, int firstWord, int words);

// Selected Ultra DMA mode 0-6; -1 when word 88 is not valid; `previous` when
// no mode is selected.
std::int16_t IdentifyUdmaMode(SectorView s, std::int16_t previous);

// Stores the sector into drive n's IDENTIFY copy and record.
void ParseIdentify(DriveTables& tables, int n, SectorView sector, std::uint8_t command,
                   TraceLog& trace);

}  // namespace torvel
