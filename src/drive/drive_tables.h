// The per-drive tables that every other part reads: records, IDENTIFY
// copies, attribute and threshold entries. One object, owned by the
// application and passed by reference.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drive/ata_types.h"

namespace torvel {

inline constexpr int kMaxDrives = 24;
inline constexpr int kAttributeSlots = 30;

inline constexpr std::int32_t kDeviceNone = 0;  // no disk, or a packet device
inline constexpr std::int32_t kDeviceAta = 1;
inline constexpr std::int32_t kDeviceNvme = 2;
inline constexpr std::int16_t kUdmaNotValid = -1;

struct DriveRecord {
  std::int32_t driveNumber = 0;
  std::int32_t deviceType = kDeviceNone;
  std::string model;     // at most 40 characters
  std::string firmware;  // at most 8
  std::string serial;    // at most 20
  // The drive's settings section: its serial, unless that is empty, shared
  // with another drive or the name of a global section (AssignSections).
  std::string section;
  float capacity = 0;    // gigabytes of 10^9 bytes
  std::uint64_t bytes = 0;  // the same, exact
  std::int16_t udmaMode = 0;
  std::int32_t smartEnabled = 0;
  std::int32_t smartSupported = 0;
  std::int32_t tec = 0;
  std::int32_t temperature = 0;  // degrees Celsius; 0 = not reported
  std::int32_t badAttributes = 0;
  // Where the drive is: its device node ("/dev/sda", "/dev/nvme0") and how
  // it is attached ("SATA", "PATA", "USB", "NVMe"); empty when unknown.
  std::string device;
  std::string transport;
  // In standby when the refresh came: not woken, so the values are those
  // read before (or none).
  bool asleep = false;
  // IDENTIFY word 217: 1 = solid state, 0x0401-0xFFFE = rpm, 0 = not reported.
  std::uint16_t rotationRate = 0;

  bool InUse() const { return !model.empty(); }
  // A disk with S.M.A.R.T. data of either kind (not a packet device).
  bool IsDisk() const { return deviceType == kDeviceAta || deviceType == kDeviceNvme; }
  // Records made without a refresh (tests, benches) fall back on the serial.
  const std::string& Section() const { return section.empty() ? serial : section; }
};

// 12 bytes, the layout of the drive's S.M.A.R.T. data sector.
struct AttributeEntry {
  std::uint8_t id = 0;
  std::uint8_t flags[2] = {};
  std::uint8_t value = 0;
  std::uint8_t worst = 0;
  std::uint8_t raw[6] = {};
  std::uint8_t reserved = 0;

  std::uint16_t Flags() const { return static_cast<std::uint16_t>(flags[0] | (flags[1] << 8)); }
  // The six raw bytes as an unsigned 48-bit little-endian number.
  std::uint64_t Raw() const {
    std::uint64_t v = 0;
    for (int i = 5; i >= 0; --i) v = (v << 8) | raw[i];
    return v;
  }
};
static_assert(sizeof(AttributeEntry) == 12);

struct ThresholdEntry {
  std::uint8_t id = 0;
  std::uint8_t threshold = 0;
  std::uint8_t unused[10] = {};
};
static_assert(sizeof(ThresholdEntry) == 12);

struct AttributeTable {
  std::array<AttributeEntry, kAttributeSlots> attributes{};
  std::array<ThresholdEntry, kAttributeSlots> thresholds{};
};

struct DriveTables {
  std::array<DriveRecord, kMaxDrives> records{};
  std::array<Sector, kMaxDrives> identify{};
  // Bit n: S.M.A.R.T. ENABLE OPERATIONS succeeded on drive n during this run.
  // Wide enough for every drive number.
  std::uint32_t enableHistory = 0;
  std::array<AttributeTable, kMaxDrives> attributes{};

  // Whole disks found beyond the tables' slots, by device node: not checked.
  std::vector<std::string> notChecked;
  // Whole disks that answered neither ATA nor NVMe commands (virtio, SAS, a
  // card reader), by device node.
  std::vector<std::string> unanswered;

  bool EnabledBefore(int n) const {
    return n >= 0 && n < kMaxDrives && ((enableHistory >> n) & 1u);
  }
};

}  // namespace torvel
