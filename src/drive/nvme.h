// NVMe drives: the three admin pages read from a controller (Identify
// Controller, Identify Namespace 1, the SMART / Health Information log) and
// their fixed mapping onto the attribute rows the rest of the system
// already knows, so the pages, the report, the check, the baseline and the
// T.E.C. date work on an NVMe drive unchanged. No I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace torvel {

struct DriveTables;

namespace nvme {
inline constexpr std::size_t kIdentifySize = 4096;
inline constexpr std::size_t kSmartLogSize = 512;
inline constexpr std::uint8_t kAdminGetLogPage = 0x02;
inline constexpr std::uint8_t kAdminIdentify = 0x06;
inline constexpr std::uint8_t kCnsNamespace = 0x00;
inline constexpr std::uint8_t kCnsController = 0x01;
inline constexpr std::uint8_t kLogSmartHealth = 0x02;
// Namespace 1 carries the capacity; the health log is asked for the whole
// controller.
inline constexpr std::uint32_t kFirstNamespace = 1;
inline constexpr std::uint32_t kAllNamespaces = 0xFFFFFFFF;
}  // namespace nvme

using NvmeIdentifyView = std::span<const std::uint8_t, nvme::kIdentifySize>;
using NvmeLogView = std::span<const std::uint8_t, nvme::kSmartLogSize>;

struct NvmeIdentity {
  std::string model;     // MN, 40 bytes, blanks dropped at the end
  std::string serial;    // SN, 20 bytes, blanks dropped at both ends
  std::string firmware;  // FR, 8 bytes
  std::uint64_t capacityBytes = 0;  // NSZE × the formatted LBA size of namespace 1
};
// `ns` may be all zero (namespace 1 did not answer): the capacity is then
// the controller's total NVM capacity, when it reports one.
NvmeIdentity ParseNvmeIdentify(NvmeIdentifyView controller, NvmeIdentifyView ns);

// The health log. The 128-bit counters are kept to their low 64 bits, far
// beyond anything a drive reaches.
struct NvmeHealth {
  std::uint8_t criticalWarning = 0;
  int temperatureKelvin = 0;  // composite; 0 = not reported
  int availableSpare = 0;     // percent
  int spareThreshold = 0;     // percent
  int percentageUsed = 0;     // may exceed 100
  std::uint64_t dataUnitsRead = 0;     // thousands of 512-byte units
  std::uint64_t dataUnitsWritten = 0;
  std::uint64_t hostReads = 0;
  std::uint64_t hostWrites = 0;
  std::uint64_t busyMinutes = 0;
  std::uint64_t powerCycles = 0;
  std::uint64_t powerOnHours = 0;
  std::uint64_t unsafeShutdowns = 0;
  std::uint64_t mediaErrors = 0;
  std::uint64_t errorLogEntries = 0;
  std::uint32_t warningTempMinutes = 0;
  std::uint32_t criticalTempMinutes = 0;
};
NvmeHealth ParseNvmeHealth(NvmeLogView log);

// The attribute ids of the health log's rows. Power-on hours, power cycles
// and the temperature take the ids that mean the same on ATA drives, and
// media errors the offline uncorrectable id, so that the temperature, the
// power-on reading and the growth of error counts follow the rules those ids
// already have. The others take free low ids in the log's order.
namespace nvme_id {
inline constexpr int kCriticalWarning = 1;
inline constexpr int kAvailableSpare = 2;
inline constexpr int kPercentageUsed = 3;
inline constexpr int kDataUnitsRead = 4;
inline constexpr int kDataUnitsWritten = 6;
inline constexpr int kHostReads = 7;
inline constexpr int kHostWrites = 8;
inline constexpr int kPowerOnHours = 9;
inline constexpr int kBusyTime = 10;
inline constexpr int kUnsafeShutdowns = 11;
inline constexpr int kPowerCycles = 12;
inline constexpr int kErrorLogEntries = 13;
inline constexpr int kWarningTempTime = 14;
inline constexpr int kCriticalTempTime = 15;
inline constexpr int kTemperature = 194;
inline constexpr int kMediaErrors = 198;
}  // namespace nvme_id

// Drive n as an NVMe drive known by name only (its health log did not
// answer): identity and capacity, S.M.A.R.T. not supported.
void StoreNvmeIdentity(DriveTables& tables, int n, const NvmeIdentity& identity);
// Drive n as an NVMe drive: its record (identity, capacity, temperature,
// the critical warning as its T.E.C.) and its attribute rows.
void StoreNvmeData(DriveTables& tables, int n, const NvmeIdentity& identity,
                   const NvmeHealth& health);

// The critical warning's bits in words ("none" when clear), as the drive
// page and the report's reader want them.
std::string NvmeWarningText(std::uint8_t criticalWarning);

// The shown name of an NVMe row; empty for an id the mapping does not use.
std::string_view NvmeAttributeName(int id);

}  // namespace torvel
