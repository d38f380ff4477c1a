// Feeds arbitrary IDENTIFY sectors to the parser. Input: one selector byte,
// then the sector (padded with zeros or cut to 512 bytes).
//   selector bit 7      -> 0xA1 (IDENTIFY PACKET DEVICE) instead of 0xEC
//   selector bits 0-6   -> drive number (mod 12) and the Ultra DMA mode
//                          already on record (-1..9), so "unchanged" is exercised
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "drive/drive_tables.h"
#include "drive/identify.h"
#include "base/debug_trace.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvel;
  if (size == 0) return 0;
  const std::uint8_t selector = data[0];
  const std::uint8_t command = (selector & 0x80) ? ata::kIdentifyPacketDevice : ata::kIdentifyDevice;
  const int low = selector & 0x7F;
  const int n = low % 12;
  const auto previousUdma = static_cast<std::int16_t>(low / 12 - 1);

  Sector sector{};
  std::copy_n(data + 1, std::min(size - 1, sector.size()), sector.begin());
  const SectorView view(sector);

  // Fresh tables per input keep runs reproducible; heap because they are large.
  auto tables = std::make_unique<DriveTables>();
  DriveRecord& rec = tables->records[static_cast<std::size_t>(n)];
  rec.udmaMode = previousUdma;
  TraceLog trace = TraceLog::Off();

  ParseIdentify(*tables, n, view, command, trace);

  Check(std::equal(sector.begin(), sector.end(), tables->identify[static_cast<std::size_t>(n)].begin()));

  Check(rec.model.size() <= 40);
  Check(rec.model.empty() || rec.model.back() != ' ');
  Check(rec.model.find('\0') == std::string::npos);
  Check(rec.firmware.size() <= 8);
  Check(rec.firmware.empty() || rec.firmware.back() != ' ');
  Check(rec.serial.size() <= 20);
  Check(rec.serial.empty() || (rec.serial.front() != ' ' && rec.serial.back() != ' '));
  Check((rec.udmaMode >= -1 && rec.udmaMode <= 6) || rec.udmaMode == previousUdma);
  Check(rec.deviceType == kDeviceNone || rec.deviceType == kDeviceAta);
  Check(rec.deviceType == (command == ata::kIdentifyDevice ? kDeviceAta : kDeviceNone));

  // The trimmed fields come from the raw strings: untrimmed model is a prefix match.
  const std::string rawModel = IdentifyString(view, 27, 20);
  Check(rawModel.size() <= 40 && rawModel.compare(0, rec.model.size(), rec.model) == 0);
  Check(IdentifyString(view, 23, 4).size() <= 8);
  Check(IdentifyString(view, 10, 10).size() <= 20);
  // Edge reads: the last words of the sector must stay in bounds.
  Check(IdentifyString(view, 236, 20).size() <= 40);
  Check(IdentifyString(view, 0, 256).size() <= 512);

  const std::uint64_t count = IdentifySectorCount(view);
  if (!(IdentifyWord(view, 83) & (1u << 10))) Check(count <= 0xFFFFFFFFull);

  const std::int16_t udma = IdentifyUdmaMode(view, previousUdma);
  Check((udma >= -1 && udma <= 6) || udma == previousUdma);
  return 0;
}
