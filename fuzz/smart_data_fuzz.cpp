// Feeds arbitrary S.M.A.R.T. data and threshold sectors to StoreSmartData.
// Input: one drive-number byte (mod 12), then the data sector and the
// threshold sector (1024 bytes, padded with zeros or cut). The pair is stored
// once, then again with the two sectors swapped, so the second call meets
// slots filled by the first and must leave its own empty slots alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "drive/drive_tables.h"
#include "drive/smart_data.h"

namespace {

using namespace torvel;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const std::uint8_t* Slot(SectorView s, std::size_t i) {
  return s.data() + kAttributeEntryOffset + kAttributeEntrySize * i;
}

// Stores the pair and checks what one call promises.
void StoreAndCheck(DriveTables& tables, int n, SectorView data, SectorView thresholds) {
  const auto idx = static_cast<std::size_t>(n);
  const AttributeTable before = tables.attributes[idx];
  const std::int32_t temperatureBefore = tables.records[idx].temperature;

  StoreSmartData(tables, n, data, thresholds);

  const AttributeTable& after = tables.attributes[idx];
  std::int32_t expectedTemperature = temperatureBefore;
  for (std::size_t i = 0; i < kAttributeSlots; ++i) {
    const std::uint8_t* e = Slot(data, i);
    if (e[0] == 0) {
      Check(std::memcmp(&after.attributes[i], &before.attributes[i], sizeof(AttributeEntry)) == 0);
      Check(std::memcmp(&after.thresholds[i], &before.thresholds[i], sizeof(ThresholdEntry)) == 0);
      continue;
    }
    Check(std::memcmp(&after.attributes[i], e, kAttributeEntrySize) == 0);
    Check(after.thresholds[i].id == after.attributes[i].id);
    Check(after.thresholds[i].threshold == Slot(thresholds, i)[1]);
    if (e[0] == kTemperatureId && e[5] != 0) expectedTemperature = e[5];
    Check(!AttributeName(e[0]).empty());
  }
  Check(tables.records[idx].temperature == expectedTemperature);

  // Other drives are never touched.
  for (std::size_t d = 0; d < tables.records.size(); ++d)
    if (d != idx) Check(tables.records[d].temperature == 0 && tables.attributes[d].attributes[0].id == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (int id = 0; id <= 255; ++id)
    if (AttributeName(id).empty()) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const int n = bytes[0] % 12;
  std::array<std::uint8_t, 2 * kSectorSize> both{};
  std::copy_n(bytes + 1, std::min(size - 1, both.size()), both.begin());
  const SectorView data(both.data(), kSectorSize);
  const SectorView thresholds(both.data() + kSectorSize, kSectorSize);

  auto tables = std::make_unique<DriveTables>();
  StoreAndCheck(*tables, n, data, thresholds);
  StoreAndCheck(*tables, n, thresholds, data);

  // Every slot that either call wrote keeps its threshold paired by id.
  const AttributeTable& t = tables->attributes[static_cast<std::size_t>(n)];
  for (std::size_t i = 0; i < kAttributeSlots; ++i)
    if (t.attributes[i].id != 0) Check(t.thresholds[i].id == t.attributes[i].id);
  return 0;
}
