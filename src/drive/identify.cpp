#include "drive/identify.h"

#include <algorithm>
#include <cinttypes>

#include "drive/drive_tables.h"
#include "base/debug_trace.h"

namespace torvel {
namespace {
void TrimTrailingBlanks(std::string& s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
}
void TrimLeadingBlanks(std::string& s) {
  s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
}
}  // namespace

std::uint64_t IdentifySectorCount(SectorView s) {
  if (IdentifyWord(s, 83) & (1u << 10)) {
    std::uint64_t n = 0;
    for (int w = 103; w >= 100; --w) n = (n << 16) | IdentifyWord(s, w);
    return n;
  }
  return static_cast<std::uint64_t>(IdentifyWord(s, 60)) |
         (static_cast<std::uint64_t>(IdentifyWord(s, 61)) << 16);
}

std::string IdentifyString(SectorView s, int firstWord, int words) {
  std::string out;
  out.reserve(static_cast<std::size_t>(2 * words));
  for (int w = firstWord; w < firstWord + words; ++w) {
    const std::size_t at = static_cast<std::size_t>(2 * w);
    for (char c : {static_cast<char>(s[at + 1]), static_cast<char>(s[at])}) {
      if (c == '\0') return out;
      out += c;
    }
  }
  return out;
}

std::int16_t IdentifyUdmaMode(SectorView s, std::int16_t previous) {
  if (!(IdentifyWord(s, 53) & (1u << 2))) return kUdmaNotValid;
  const std::uint16_t w88 = IdentifyWord(s, 88);
  for (int bit = 14; bit >= 8; --bit)
    if (w88 & (1u << bit)) return static_cast<std::int16_t>(bit - 8);
  return previous;
}

void ParseIdentify(DriveTables& tables, int n, SectorView sector, std::uint8_t command,
                   TraceLog& trace) {
  auto idx = static_cast<std::size_t>(n);
  std::copy(sector.begin(), sector.end(), tables.identify[idx].begin());
  DriveRecord& rec = tables.records[idx];

  if (command != ata::kIdentifyDevice) {
    trace.DebugTrace("Drive %d is an ATAPI device.\n", n);
    rec.deviceType = kDeviceNone;
  } else {
    const std::uint64_t bytes = IdentifySectorCount(sector) * 512u;
    const double gigabytes = static_cast<double>(bytes) / 1e9;
    trace.DebugTrace("Disk capacity: %" PRIu64 " bytes = %.2f Gb\n", bytes, gigabytes);
    rec.capacity = static_cast<float>(gigabytes);
    rec.bytes = bytes;
    rec.driveNumber = n;
    rec.deviceType = kDeviceAta;
  }

  std::string model = IdentifyString(sector, 27, 20);
  trace.DebugTrace("\tModel number: %s\n", model.c_str());
  TrimTrailingBlanks(model);
  rec.model = std::move(model);

  std::string firmware = IdentifyString(sector, 23, 4);
  TrimTrailingBlanks(firmware);
  rec.firmware = std::move(firmware);

  std::string serial = IdentifyString(sector, 10, 10);
  trace.DebugTrace("\tSerial number: %s\n", serial.c_str());
  TrimTrailingBlanks(serial);
  TrimLeadingBlanks(serial);
  rec.serial = std::move(serial);

  rec.udmaMode = IdentifyUdmaMode(sector, rec.udmaMode);
  // A packet device's word 217 is not a rotation rate.
  rec.rotationRate = command == ata::kIdentifyDevice ? IdentifyWord(sector, 217) : 0;
}

}  // namespace torvel
