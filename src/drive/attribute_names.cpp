#include "drive/attribute_names.h"

#include "drive/nvme.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>

#include "base/sprintf.h"
#include "drive/drive_tables.h"
#include "drive/smart_data.h"

namespace torvel {
namespace {

constexpr std::string_view kUnknown = "Unknown attribute";
constexpr std::string_view kTemperature = "Temperature";

struct IdName {
  int id;
  std::string_view name;
};

// Names of ids the fixed table leaves out, as smartmontools' drive database
// calls them when it knows nothing of the model, completed with the names
// most SSD makers give the ids it leaves open.
constexpr IdName kUsualNames[] = {
    {22, "Helium Level"},
    {170, "Available Reserved Space"},
    {171, "Program Fail Count"},
    {172, "Erase Fail Count"},
    {173, "Wear Leveling Count"},
    {174, "Unexpected Power Loss Count"},
    {175, "Program Fail Count (Chip)"},
    {176, "Erase Fail Count (Chip)"},
    {177, "Wear Leveling Count"},
    {178, "Used Reserved Block Count (Chip)"},
    {179, "Used Reserved Block Count (Total)"},
    {180, "Unused Reserved Block Count (Total)"},
    {181, "Program Fail Count (Total)"},
    {182, "Erase Fail Count (Total)"},
    {183, "Runtime Bad Block"},
    {184, "End-to-End Error"},
    {187, "Reported Uncorrectable Errors"},
    {188, "Command Timeout"},
    {189, "High Fly Writes"},
    {190, "Airflow Temperature"},
    {207, "Spin High Current"},
    {208, "Spin Buzz"},
    {209, "Offline Seek Performance"},
    {232, "Available Reserved Space"},
    {233, "Media Wearout Indicator"},
    {234, "Average/Maximum Erase Count"},
    {235, "Good/Free Block Count"},
    {241, "Total LBAs Written"},
    {242, "Total LBAs Read"},
    {243, "Total LBAs Written (Expanded)"},
    {244, "Total LBAs Read (Expanded)"},
    {245, "Remaining Rated Write Endurance"},
    {246, "Cumulative Host Sectors Written"},
    {247, "Host Program Page Count"},
    {248, "Background Program Page Count"},
    {249, "NAND Writes (1 GiB)"},
    {251, "Minimum Spares Remaining"},
    {252, "Newly Added Bad Flash Blocks"},
    {254, "Free Fall Protection"},
};

// What an SSD calls an id the fixed table names "Temperature" although it
// is not the drive's temperature (231).
constexpr IdName kSsdNames[] = {
    {231, "SSD Life Left"},
};

constexpr IdName kPhisonNames[] = {
    {170, "Bad Block Count"},
    {173, "Maximum/Average Erase Count"},
    {192, "Unsafe Shutdown Count"},
    {231, "SSD Life Left"},
    {232, "Read Fail Count"},
    {233, "NAND Writes (GiB)"},
    {241, "Lifetime Writes (GiB)"},
    {242, "Lifetime Reads (GiB)"},
    {244, "Average Erase Count"},
    {245, "Maximum Erase Count"},
    {246, "Total Erase Count"},
};

constexpr IdName kIntelNames[] = {
    {170, "Available Reserved Space"},
    {174, "Unsafe Shutdown Count"},
    {183, "SATA Downshift Count"},
    {192, "Unsafe Shutdown Count"},
    {225, "Host Writes (32 MiB)"},
    {226, "Workload Media Wear Indicator"},
    {227, "Workload Host Reads Percentage"},
    {228, "Workload Minutes"},
    {232, "Available Reserved Space"},
    {233, "Media Wearout Indicator"},
    {234, "Thermal Throttle Status"},
    {241, "Host Writes (32 MiB)"},
    {242, "Host Reads (32 MiB)"},
};

constexpr IdName kSamsungNames[] = {
    {177, "Wear Leveling Count"},
    {179, "Used Reserved Block Count (Total)"},
    {181, "Program Fail Count (Total)"},
    {182, "Erase Fail Count (Total)"},
    {183, "Runtime Bad Block"},
    {235, "Power Recovery Count"},
    {241, "Total LBAs Written"},
    {242, "Total LBAs Read"},
};

constexpr IdName kMicronNames[] = {
    {170, "Reserved Block Count"},
    {173, "Average Block-Erase Count"},
    {174, "Unexpected Power Loss Count"},
    {180, "Unused Reserved NAND Blocks"},
    {183, "SATA Interface Downshift"},
    {184, "Error Correction Count"},
    {202, "Percent Lifetime Used"},
    {206, "Write Error Rate"},
    {246, "Total Host Sector Writes"},
    {247, "Host Program Page Count"},
    {248, "FTL Program Page Count"},
};

struct FamilyPrefix {
  std::string_view prefix;  // upper case; the model is compared in any case
  SsdFamily family;
};

// Longer prefixes of one maker before shorter ones are not needed: every
// prefix names one family.
constexpr FamilyPrefix kFamilyPrefixes[] = {
    {"KINGSTON", SsdFamily::kPhison},
    {"PHISON", SsdFamily::kPhison},
    {"SANDFORCE", SsdFamily::kPhison},
    {"SSD PHISON", SsdFamily::kPhison},
    {"OCZ-VERTEX", SsdFamily::kPhison},
    {"OCZ-AGILITY", SsdFamily::kPhison},
    {"CORSAIR FORCE", SsdFamily::kPhison},
    {"PATRIOT", SsdFamily::kPhison},
    {"INTEL SSD", SsdFamily::kIntel},
    {"SAMSUNG SSD", SsdFamily::kSamsung},
    {"SAMSUNG MZ", SsdFamily::kSamsung},
    {"CRUCIAL", SsdFamily::kMicron},
    {"MICRON", SsdFamily::kMicron},
    {"MTFD", SsdFamily::kMicron},
    {"CT", SsdFamily::kMicron},
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Find(std::span<const IdName> table, int id) {
  for (const IdName& n : table)
    if (n.id == id) return n.name;
  return {};
}

std::span<const IdName> FamilyNames(SsdFamily family) {
  switch (family) {
    case SsdFamily::kPhison: return kPhisonNames;
    case SsdFamily::kIntel: return kIntelNames;
    case SsdFamily::kSamsung: return kSamsungNames;
    case SsdFamily::kMicron: return kMicronNames;
    case SsdFamily::kNone: break;
  }
  return {};
}

bool IsTemperatureId(int id) { return id == kTemperatureId || id == 190; }

std::uint32_t Low32(const AttributeEntry& e) { return static_cast<std::uint32_t>(e.Raw() & 0xFFFFFFFFu); }

// `units` raw units of `gibPerUnit` GiB each, whole GiB from 10 up.
std::string Gibibytes(std::uint64_t units, double gibPerUnit) {
  const double gib = static_cast<double>(units) * gibPerUnit;
  return gib >= 10 ? Sprintf("%.0f GiB", gib) : Sprintf("%.1f GiB", gib);
}

}  // namespace

SsdFamily SsdFamilyOf(std::string_view model) {
  // The record keeps a drive's leading blanks; they say nothing of the maker.
  const auto start = std::min(model.find_first_not_of(' '), model.size());
  const std::string upper = Upper(model.substr(start));
  for (const FamilyPrefix& f : kFamilyPrefixes)
    if (upper.starts_with(f.prefix)) return f.family;
  return SsdFamily::kNone;
}

bool IsSolidState(const DriveRecord& record) {
  if (record.rotationRate == 1) return true;
  if (SsdFamilyOf(record.model) != SsdFamily::kNone) return true;
  return Upper(record.model).find("SSD") != std::string::npos;
}

std::string_view AttributeDisplayName(int id, const DriveRecord& record) {
  // An NVMe drive's rows are its health log's, whoever made it.
  if (record.deviceType == kDeviceNvme) {
    const std::string_view name = NvmeAttributeName(id);
    return name.empty() ? kUnknown : name;
  }
  if (std::string_view own = Find(FamilyNames(SsdFamilyOf(record.model)), id); !own.empty())
    return own;
  const std::string_view fixed = AttributeName(id);
  if (fixed == kTemperature && !IsTemperatureId(id) && IsSolidState(record)) {
    if (std::string_view ssd = Find(kSsdNames, id); !ssd.empty()) return ssd;
    return kUnknown;
  }
  if (fixed != kUnknown) return fixed;
  if (std::string_view usual = Find(kUsualNames, id); !usual.empty()) return usual;
  return kUnknown;
}

namespace {
std::string NvmeReadableRaw(int id, const AttributeEntry& entry) {
  const std::uint64_t raw = entry.Raw();
  switch (id) {
    case nvme_id::kAvailableSpare:
    case nvme_id::kPercentageUsed: return Sprintf("%llu %%", static_cast<unsigned long long>(raw));
    case nvme_id::kDataUnitsRead:
    case nvme_id::kDataUnitsWritten:
      // A data unit is a thousand 512-byte blocks.
      return Sprintf("%.1f GB", static_cast<double>(raw) * 512000.0 / 1e9);
    case nvme_id::kPowerOnHours: return Sprintf("%llu h", static_cast<unsigned long long>(raw));
    case nvme_id::kBusyTime:
    case nvme_id::kWarningTempTime:
    case nvme_id::kCriticalTempTime: return Sprintf("%llu min", static_cast<unsigned long long>(raw));
    case nvme_id::kTemperature:
      return raw == 0 ? std::string() : Sprintf("%llu \xB0" "C", static_cast<unsigned long long>(raw));
    default: return {};
  }
}
}  // namespace

std::string ReadableRaw(int id, const AttributeEntry& entry, const DriveRecord& record) {
  if (record.deviceType == kDeviceNvme) return NvmeReadableRaw(id, entry);
  const SsdFamily family = SsdFamilyOf(record.model);
  switch (id) {
    case 9:
      // Some makers pack minutes or other data above the low 32 bits.
      return Sprintf("%u h", Low32(entry));
    case 190:
    case kTemperatureId:
      // The low byte is the temperature now; lowest and highest sit above
      // it. 0 is no reading, as for the drive's own temperature.
      if (entry.raw[0] == 0) return {};
      return Sprintf("%u \xB0" "C", static_cast<unsigned>(entry.raw[0]));
    case 5:
    case 197:
    case 198:
      return Sprintf("%u sectors", SectorCount(entry));
    case 196:
      // Counts remapping operations, each of which may move several sectors.
      return Sprintf("%u events", Low32(entry));
    case 225:
      if (family == SsdFamily::kIntel) return Gibibytes(entry.Raw(), 32.0 / 1024);
      return {};
    case 233:
      if (family == SsdFamily::kPhison) return Gibibytes(entry.Raw(), 1);
      return {};
    case 241:
    case 242:
      // Makers count these in LBAs, GiB or 32 MiB units: only a known family
      // says which.
      if (family == SsdFamily::kIntel) return Gibibytes(entry.Raw(), 32.0 / 1024);
      if (family == SsdFamily::kPhison) return Gibibytes(entry.Raw(), 1);
      if (family == SsdFamily::kSamsung) return Gibibytes(entry.Raw(), 512.0 / (1u << 30));
      return {};
    default:
      return {};
  }
}

}  // namespace torvel
