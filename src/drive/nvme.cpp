#include "drive/nvme.h"

#include <algorithm>
#include <array>

#include "drive/drive_tables.h"

namespace torvel {
namespace {

std::uint64_t Le(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) {
  std::uint64_t v = 0;
  for (std::size_t i = std::min<std::size_t>(size, 8); i-- > 0;) v = (v << 8) | bytes[at + i];
  return v;
}

// A 128-bit counter: beyond 64 bits it is saturated rather than wrapped.
std::uint64_t Counter(NvmeLogView log, std::size_t at) {
  for (std::size_t i = 8; i < 16; ++i)
    if (log[at + i] != 0) return ~std::uint64_t{0};
  return Le(log, at, 8);
}

// ASCII, blank-padded, not byte-swapped (unlike ATA). Controls and bytes
// above 0x7E from a broken drive become '?', as they would break the texts.
std::string Text(NvmeIdentifyView page, std::size_t at, std::size_t size) {
  std::string s;
  for (std::size_t i = at; i < at + size && page[i] != 0; ++i)
    s += page[i] >= 0x20 && page[i] <= 0x7E ? static_cast<char>(page[i]) : '?';
  while (!s.empty() && s.back() == ' ') s.pop_back();
  s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
  return s;
}

void SetRaw(AttributeEntry& a, std::uint64_t raw) {
  raw = std::min<std::uint64_t>(raw, 0xFFFFFFFFFFFFull);  // the row's six bytes
  for (int i = 0; i < 6; ++i) a.raw[i] = static_cast<std::uint8_t>(raw >> (8 * i));
}

struct Row {
  int id;
  const char* name;
};
constexpr std::array<Row, 16> kRows = {{
    {nvme_id::kCriticalWarning, "Critical Warning"},
    {nvme_id::kAvailableSpare, "Available Spare"},
    {nvme_id::kPercentageUsed, "Percentage Used"},
    {nvme_id::kDataUnitsRead, "Data Units Read"},
    {nvme_id::kDataUnitsWritten, "Data Units Written"},
    {nvme_id::kHostReads, "Host Read Commands"},
    {nvme_id::kHostWrites, "Host Write Commands"},
    {nvme_id::kPowerOnHours, "Power On Hours"},
    {nvme_id::kBusyTime, "Controller Busy Time"},
    {nvme_id::kUnsafeShutdowns, "Unsafe Shutdowns"},
    {nvme_id::kPowerCycles, "Power Cycles"},
    {nvme_id::kErrorLogEntries, "Error Information Log Entries"},
    {nvme_id::kWarningTempTime, "Warning Composite Temperature Time"},
    {nvme_id::kCriticalTempTime, "Critical Composite Temperature Time"},
    {nvme_id::kTemperature, "Composite Temperature"},
    {nvme_id::kMediaErrors, "Media and Data Integrity Errors"},
}};

}  // namespace

NvmeIdentity ParseNvmeIdentify(NvmeIdentifyView controller, NvmeIdentifyView ns) {
  NvmeIdentity id;
  id.serial = Text(controller, 4, 20);
  id.model = Text(controller, 24, 40);
  id.firmware = Text(controller, 64, 8);
  const std::uint64_t sectors = Le(ns, 0, 8);  // NSZE
  // FLBAS: bits 0-3 and, from NVMe 2.0, bits 5-6 above them pick the format.
  const unsigned format = (ns[26] & 0x0Fu) | ((ns[26] >> 1) & 0x30u);
  const unsigned lbads = format < 64 ? ns[128 + 4 * format + 2] : 0;
  if (sectors != 0 && lbads >= 9 && lbads < 32 && sectors <= (~std::uint64_t{0} >> lbads))
    id.capacityBytes = sectors << lbads;
  else
    id.capacityBytes = Le(controller, 280, 8);  // TNVMCAP, low 64 bits
  return id;
}

NvmeHealth ParseNvmeHealth(NvmeLogView log) {
  NvmeHealth h;
  h.criticalWarning = log[0];
  h.temperatureKelvin = static_cast<int>(Le(log, 1, 2));
  h.availableSpare = log[3];
  h.spareThreshold = log[4];
  h.percentageUsed = log[5];
  h.dataUnitsRead = Counter(log, 32);
  h.dataUnitsWritten = Counter(log, 48);
  h.hostReads = Counter(log, 64);
  h.hostWrites = Counter(log, 80);
  h.busyMinutes = Counter(log, 96);
  h.powerCycles = Counter(log, 112);
  h.powerOnHours = Counter(log, 128);
  h.unsafeShutdowns = Counter(log, 144);
  h.mediaErrors = Counter(log, 160);
  h.errorLogEntries = Counter(log, 176);
  h.warningTempMinutes = static_cast<std::uint32_t>(Le(log, 192, 4));
  h.criticalTempMinutes = static_cast<std::uint32_t>(Le(log, 196, 4));
  return h;
}

void StoreNvmeIdentity(DriveTables& tables, int n, const NvmeIdentity& identity) {
  DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];
  rec.driveNumber = n;
  rec.deviceType = kDeviceNvme;
  rec.model = identity.model.substr(0, 40);
  rec.serial = identity.serial.substr(0, 20);
  rec.firmware = identity.firmware.substr(0, 8);
  rec.capacity = static_cast<float>(static_cast<double>(identity.capacityBytes) / 1e9);
  rec.bytes = identity.capacityBytes;
  rec.udmaMode = kUdmaNotValid;
  rec.smartSupported = rec.smartEnabled = 0;
}

void StoreNvmeData(DriveTables& tables, int n, const NvmeIdentity& identity,
                   const NvmeHealth& health) {
  const auto idx = static_cast<std::size_t>(n);
  StoreNvmeIdentity(tables, n, identity);
  DriveRecord& rec = tables.records[idx];
  // The health log is always there: nothing to switch on.
  rec.smartSupported = rec.smartEnabled = 1;
  // Any critical warning bit is the drive's own verdict, as RETURN STATUS
  // is for an ATA drive.
  rec.tec = health.criticalWarning != 0 ? 1 : 0;
  const int celsius = health.temperatureKelvin > 0 ? health.temperatureKelvin - 273 : 0;
  rec.temperature = celsius;

  AttributeTable& t = tables.attributes[idx];
  t = AttributeTable{};
  std::size_t slot = 0;
  // Values 100 unless the log gives a percentage: counters only grow, and a
  // growing normalised value would read as a change at every check.
  const auto add = [&](int id, int value, int threshold, std::uint64_t raw, bool preFailure) {
    AttributeEntry& a = t.attributes[slot];
    a.id = static_cast<std::uint8_t>(id);
    a.flags[0] = preFailure ? 0x03 : 0x02;
    a.value = a.worst = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    SetRaw(a, raw);
    t.thresholds[slot].id = a.id;
    t.thresholds[slot].threshold = static_cast<std::uint8_t>(std::clamp(threshold, 0, 255));
    ++slot;
  };
  add(nvme_id::kCriticalWarning, health.criticalWarning ? 1 : 100, 0, health.criticalWarning, false);
  // The spare is the one row with a real threshold: the drive's own.
  add(nvme_id::kAvailableSpare, std::min(health.availableSpare, 100), health.spareThreshold,
      static_cast<std::uint64_t>(health.availableSpare), true);
  add(nvme_id::kPercentageUsed, 100 - std::min(health.percentageUsed, 100), 0,
      static_cast<std::uint64_t>(health.percentageUsed), false);
  add(nvme_id::kDataUnitsRead, 100, 0, health.dataUnitsRead, false);
  add(nvme_id::kDataUnitsWritten, 100, 0, health.dataUnitsWritten, false);
  add(nvme_id::kHostReads, 100, 0, health.hostReads, false);
  add(nvme_id::kHostWrites, 100, 0, health.hostWrites, false);
  add(nvme_id::kPowerOnHours, 100, 0, health.powerOnHours, false);
  add(nvme_id::kBusyTime, 100, 0, health.busyMinutes, false);
  add(nvme_id::kUnsafeShutdowns, 100, 0, health.unsafeShutdowns, false);
  add(nvme_id::kPowerCycles, 100, 0, health.powerCycles, false);
  add(nvme_id::kErrorLogEntries, 100, 0, health.errorLogEntries, false);
  add(nvme_id::kWarningTempTime, 100, 0, health.warningTempMinutes, false);
  add(nvme_id::kCriticalTempTime, 100, 0, health.criticalTempMinutes, false);
  // Raw low byte in °C, as attribute 194 carries it on ATA drives.
  add(nvme_id::kTemperature, 100, 0, static_cast<std::uint64_t>(std::clamp(celsius, 0, 255)), false);
  add(nvme_id::kMediaErrors, 100, 0, health.mediaErrors, false);
}

std::string NvmeWarningText(std::uint8_t w) {
  static constexpr const char* kBits[] = {
      "spare below its threshold", "temperature out of bounds", "reliability degraded",
      "read-only", "volatile memory backup failed", "persistent memory read-only"};
  std::string out;
  for (int bit = 0; bit < 6; ++bit)
    if (w & (1u << bit)) out += (out.empty() ? "" : ", ") + std::string(kBits[bit]);
  if (w & 0xC0) out += (out.empty() ? "" : ", ") + std::string("reserved bits set");
  return out.empty() ? "none" : out;
}

std::string_view NvmeAttributeName(int id) {
  for (const Row& r : kRows)
    if (r.id == id) return r.name;
  return {};
}

}  // namespace torvel
