#include "drive/smart_data.h"

#include <array>
#include <cstring>

#include "drive/drive_tables.h"

namespace torvel {
namespace {

constexpr std::string_view kUnknown = "Unknown attribute";
constexpr int kNamedIds = 251;

constexpr std::array<std::string_view, kNamedIds> MakeNames() {
  std::array<std::string_view, kNamedIds> t{};
  for (auto& s : t) s = kUnknown;
  t[0] = "No Attribute Here";
  t[1] = "Raw Read Error Rate";
  t[2] = "Throughput Performance";
  t[3] = "Spin Up Time";
  t[4] = "Start/Stop Count";
  t[5] = "Reallocated Sector Count";
  t[6] = "Read Channel Margin";
  t[7] = "Seek Error Rate";
  t[8] = "Seek Time Performance";
  t[9] = "Power-on Hours Count";
  t[10] = "Spin Up Retry Count";
  t[11] = "Calibration Retry Count";
  t[12] = "Power Cycle Count";
  t[13] = "Soft read error rate";
  t[191] = "G-sense error rate";
  t[192] = "Emergency Retract Cycle";
  t[193] = "Load/Unload Cycle Count";
  t[194] = "Temperature";
  t[195] = "ECC on the Fly Count";
  t[196] = "Reallocation Event Count";
  t[197] = "Current Pending Sector Count";
  t[198] = "Off-line Scan Uncorrect. Sector Count";
  t[199] = "Ultra ATA CRC Error Rate";
  t[200] = "Write Error Count";
  t[201] = "Detected TA Count";
  t[202] = "TA Increase Count";
  t[203] = "Run Out Cancel";
  t[204] = "Shock Count (Wt Operation)";
  t[205] = "Shock Rate (Wt Operation)";
  t[206] = "Flying Height Measurement";
  t[220] = "Disk Shift";
  t[221] = "G-sense error rate";
  t[222] = "Loaded Hours";
  t[223] = "Load Retry Count";
  t[224] = "Load Friction";
  t[225] = "Load Cycle Count";
  t[226] = "Load in Time";
  t[227] = "Torque amplification count";
  t[228] = "Power-off Retract Count";
  t[230] = "GMR head amplitude";
  t[231] = "Temperature";
  t[240] = "Head flying hours";
  t[250] = "Read error retry rate";
  return t;
}

constexpr auto kNames = MakeNames();

}  // namespace

std::string_view AttributeName(int id) {
  if (id < 0 || id >= kNamedIds) return kUnknown;
  return kNames[static_cast<std::size_t>(id)];
}

void StoreSmartData(DriveTables& tables, int n, SectorView data, SectorView thresholds) {
  auto idx = static_cast<std::size_t>(n);
  AttributeTable& table = tables.attributes[idx];
  for (std::size_t i = 0; i < kAttributeSlots; ++i) {
    const std::size_t at = kAttributeEntryOffset + kAttributeEntrySize * i;
    const std::uint8_t* e = data.data() + at;
    if (e[0] == 0) continue;  // an empty slot keeps what an earlier refresh stored
    std::memcpy(&table.attributes[i], e, kAttributeEntrySize);
    if (e[0] == kTemperatureId && e[5] != 0) tables.records[idx].temperature = e[5];
    table.thresholds[i].id = e[0];
    table.thresholds[i].threshold = thresholds[at + 1];
  }
}

bool CountsAsTec(int flags, int value, int threshold) {
  return (flags & 1) != 0 && threshold >= 1 && threshold <= 253 && value <= threshold;
}

bool CountsAsTec(const AttributeEntry& attribute, const ThresholdEntry& threshold) {
  return CountsAsTec(attribute.Flags(), attribute.value, threshold.threshold);
}

bool IsSectorCountId(int id) {
  for (int s : kSectorCountIds)
    if (s == id) return true;
  return false;
}

std::uint32_t SectorCount(const AttributeEntry& attribute) {
  return static_cast<std::uint32_t>(attribute.Raw() & 0xFFFFFFFFu);
}

}  // namespace torvel
