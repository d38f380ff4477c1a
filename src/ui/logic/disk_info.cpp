#include "ui/logic/disk_info.h"

#include "drive/nvme.h"

#include <cstdint>
#include <initializer_list>

#include "config/language.h"
#include "drive/drive_tables.h"
#include "drive/identify.h"
#include "base/sprintf.h"
#include "ui/logic/manufacturer.h"
#include "ui/logic/volumes.h"

namespace torvel {
namespace {

// DiskInfoTab keys of the identity labels.
constexpr int kModelKey = 2;
constexpr int kCapacityKey = 3;
constexpr int kManufacturerKey = 4;
constexpr int kSerialKey = 5;
constexpr int kFirmwareKey = 6;
constexpr int kUdmaKey = 7;
constexpr int kSmartKey = 8;

bool Bit(SectorView s, int word, int bit) { return (IdentifyWord(s, word) >> bit) & 1u; }

struct BitText {
  int bit;
  const char* text;
};

// The text of the first listed bit that is set; empty when none is.
std::string FirstSet(SectorView s, int word, std::initializer_list<BitText> cases) {
  for (const BitText& c : cases)
    if (Bit(s, word, c.bit)) return c.text;
  return {};
}

std::string SupportedEnabled(SectorView s, int supportWord, int enableWord, int bit) {
  if (!Bit(s, supportWord, bit)) return "Not supported";
  return Bit(s, enableWord, bit) ? "Supported, Enabled" : "Supported";
}

std::string Supported(SectorView s, int word, int bit) {
  return Bit(s, word, bit) ? "Supported" : "Not supported";
}

// Words 89 and 90 count units of two minutes; 255 stands for "longer".
std::string EraseTime(std::uint16_t word) {
  if (word == 255) return "More then 508 minutes";
  return Sprintf("%d minutes", word * 2);
}

// Serial ATA words 75-77 (0 or 0xFFFF on a parallel drive), the rotation
// rate (217) and the world wide name (108-111).
template <class Add>
void SataRows(SectorView s, Add& add) {
  const std::uint16_t w76 = IdentifyWord(s, 76);
  if (w76 != 0 && w76 != 0xFFFF) {
    std::string gens;
    for (const auto& [bit, text] : {std::pair{1, "Gen1 (1.5 Gb/s)"}, std::pair{2, "Gen2 (3.0 Gb/s)"},
                                    std::pair{3, "Gen3 (6.0 Gb/s)"}})
      if (Bit(s, 76, bit)) gens += (gens.empty() ? "" : ", ") + std::string(text);
    add("SATA generations supported", gens);
    // Word 77 bits 1-3 hold the speed now negotiated as a number, 0 when
    // the drive does not say.
    const int current = (IdentifyWord(s, 77) >> 1) & 7;
    static constexpr const char* kSpeeds[] = {"", "1.5 Gb/s (Gen1)", "3.0 Gb/s (Gen2)",
                                              "6.0 Gb/s (Gen3)"};
    if (current >= 1 && current <= 3) add("Current SATA link speed", kSpeeds[current]);
    add("Native Command Queuing (NCQ)",
        Bit(s, 76, 8) ? Sprintf("Supported, queue depth %d", (IdentifyWord(s, 75) & 0x1F) + 1)
                      : std::string("Not supported"));
  }
  const std::uint16_t w217 = IdentifyWord(s, 217);
  if (w217 == 1)
    add("Nominal media rotation rate", "Solid state");
  else if (w217 >= 0x0401 && w217 <= 0xFFFE)
    add("Nominal media rotation rate", Sprintf("%d rpm", w217));
  // The WWN bit of word 84 or of its copy, word 87, in a valid word (bits
  // 15-14 = 01).
  if ((IdentifyWord(s, 84) & 0xC100) == 0x4100 || (IdentifyWord(s, 87) & 0xC100) == 0x4100)
    add("World Wide Name", Sprintf("%04X%04X%04X%04X", IdentifyWord(s, 108), IdentifyWord(s, 109),
                                   IdentifyWord(s, 110), IdentifyWord(s, 111)));
}

std::string SmartText(const DriveRecord& r) {
  if (r.smartSupported == 0) return "Not supported";
  if (r.smartEnabled == 1) return "Enabled";
  if (r.smartEnabled == 0) return "Disabled";
  return {};
}

}  // namespace

std::string CapacityText(float capacityGb) {
  if (capacityGb > 1.0f) return Sprintf("%.3f GB", static_cast<double>(capacityGb));
  return Sprintf("%.0f MB", static_cast<double>(capacityGb * 1000));
}

std::vector<InfoRow> IdentityRows(const DriveRecord& record, const TextTable& texts) {
  return {
      {kDriveDetailsHeader, "", true},
      {texts.Text(kManufacturerKey), ManufacturerFromModel(record.model)},
      {texts.Text(kModelKey), record.model},
      {texts.Text(kSerialKey), record.serial},
      {texts.Text(kCapacityKey), CapacityText(record.capacity)},
      {texts.Text(kFirmwareKey), record.firmware},
      {texts.Text(kUdmaKey),
       record.udmaMode == kUdmaNotValid ? std::string("Not supported")
                                        : Sprintf("Mode %d", record.udmaMode)},
      {texts.Text(kSmartKey), SmartText(record)},
  };
}

std::vector<InfoRow> IdentifyRows(SectorView s) {
  std::vector<InfoRow> rows;
  auto add = [&rows](const char* label, std::string value) {
    rows.push_back({label, std::move(value)});
  };
  const std::uint16_t w53 = IdentifyWord(s, 53);
  const bool udmaValid = (w53 >> 2) & 1u;

  // The 48-bit count when the drive has 48-bit addressing: words 60-61 stop
  // at 0x0FFFFFFF, far below any disk of today.
  add("Number of LBA sectors",
      Sprintf("%llu", static_cast<unsigned long long>(IdentifySectorCount(s))));
  add("Number of logical cylinders", Sprintf("%d", IdentifyWord(s, 1)));
  add("Number of logical heads", Sprintf("%d", IdentifyWord(s, 3)));
  add("Number of logical sectors per logical track", Sprintf("%d", IdentifyWord(s, 6)));
  if (!udmaValid)
    add("Selected Multiword DMA mode",
        FirstSet(s, 63, {{10, "Mode 2"}, {9, "Mode 1"}, {8, "Mode 0"}}));
  add("Multiword DMA mode supported",
      FirstSet(s, 63, {{2, "Mode 2 and below"}, {1, "Mode 1 and below"}, {0, "Mode 0"}}));
  if ((w53 >> 1) & 1u)
    add("Advanced PIO modes supported", FirstSet(s, 64, {{1, "PIO mode 4"}, {0, "PIO mode 3"}}));
  // 0xFFFF, like 0, is a drive that reports no version.
  const bool versionReported = IdentifyWord(s, 80) != 0xFFFF;
  add("ATA standard version", !versionReported ? std::string()
                                               : FirstSet(s, 80, {{12, "ACS-5 and below"},
                                                                  {11, "ACS-4 and below"},
                                                                  {10, "ACS-3 and below"},
                                                                  {9, "ACS-2 and below"},
                                                                  {8, "ATA8-ACS and below"},
                                                                  {7, "ATA/ATAPI-7 and below"},
                                                                  {6, "ATA/ATAPI-6 and below"},
                                                                  {5, "ATA/ATAPI-5 and below"},
                                                                  {4, "ATA/ATAPI-4 and below"},
                                                                  {3, "ATA-3 and below"},
                                                                  {2, "ATA-2"}}));
  SataRows(s, add);
  add("Host Protected Area feature set", SupportedEnabled(s, 82, 85, 10));
  add("Power Management feature set", SupportedEnabled(s, 82, 85, 3));
  add("Advanced Power Management feature set", SupportedEnabled(s, 83, 86, 3));
  add("Removable Media feature set", SupportedEnabled(s, 82, 85, 2));
  add("Security Mode feature set", SupportedEnabled(s, 82, 85, 1));
  add("S.M.A.R.T. feature set", SupportedEnabled(s, 82, 85, 0));
  add("S.M.A.R.T. error logging", Supported(s, 84, 0));
  add("S.M.A.R.T. self-test", Supported(s, 84, 1));
  add("Media serial number", Supported(s, 84, 2));
  add("Media Card Pass Through Command feature set", Supported(s, 84, 3));
  add("General Purpose Logging feature set", Supported(s, 84, 5));
  add("Power-Up In Standby feature set", SupportedEnabled(s, 83, 86, 5));
  add("CFA feature set", SupportedEnabled(s, 83, 86, 2));
  add("Removable Media Status Notification feature", SupportedEnabled(s, 83, 86, 4));
  add("READ/WRITE DMA QUEUED command", Supported(s, 83, 1));
  add("DOWNLOAD MICROCODE command", Supported(s, 83, 0));
  {
    // Word 169 came with ATA8-ACS; before it the word is reserved, and an
    // older drive (QEMU's emulated disk, say) may leave bits there.
    const std::uint16_t w80 = IdentifyWord(s, 80);
    const bool acs = w80 != 0xFFFF && (w80 >> 8) != 0;
    const std::uint16_t w169 = IdentifyWord(s, 169);
    add("Data Set Management TRIM",
        acs && w169 != 0xFFFF && (w169 & 1u) ? "Supported" : "Not supported");
  }
  if (udmaValid) {
    add("Ultra DMA modes supported", FirstSet(s, 88, {{6, "Ultra DMA mode 6 and below"},
                                                      {5, "Ultra DMA mode 5 and below"},
                                                      {4, "Ultra DMA mode 4 and below"},
                                                      {3, "Ultra DMA mode 3 and below"},
                                                      {2, "Ultra DMA mode 2 and below"},
                                                      {1, "Ultra DMA mode 1 and below"},
                                                      {0, "Ultra DMA mode 0"}}));
    // Before the host sets a mode none is selected; an empty value read as a fault.
    std::string current = FirstSet(s, 88, {{14, "Mode 6"},
                                                   {13, "Mode 5"},
                                                   {12, "Mode 4"},
                                                   {11, "Mode 3"},
                                                   {10, "Mode 2"},
                                                   {9, "Mode 1"},
                                                   {8, "Mode 0"}});
    add("Current Ultra DMA mode", current.empty() ? "None selected" : std::move(current));
  }
  if (const std::uint16_t w89 = IdentifyWord(s, 89); w89 != 0)
    add("Time required for security erase unit completion", EraseTime(w89));
  if (const std::uint16_t w90 = IdentifyWord(s, 90); w90 != 0)
    add("Time required for Enhanced security erase completion", EraseTime(w90));
  // The levels mean something only while their feature set is enabled.
  if (Bit(s, 83, 9) && Bit(s, 86, 9)) {
    const std::uint16_t w94 = IdentifyWord(s, 94);
    // 0x92 is the Windows-1252 right single quotation mark.
    add("Vendor\x92s recommended acoustic management value", Sprintf("%d", w94 >> 8));
    add("Current automatic acoustic management value", Sprintf("%d", w94 & 0xFF));
  }
  if (Bit(s, 83, 3) && Bit(s, 86, 3))
    add("Current advanced power management level", Sprintf("Level %d", IdentifyWord(s, 91) & 0xFF));
  const bool security = Bit(s, 82, 1) || Bit(s, 128, 0);
  if (Bit(s, 128, 0)) add("Security", Bit(s, 128, 1) ? "Supported, Enabled" : "Supported");
  if (security) add("Security level", Bit(s, 128, 8) ? "Maximum level" : "High level");
  if (Bit(s, 128, 5)) add("Enhanced security erase", "Supported");
  if (Bit(s, 128, 4)) add("Security count", "Expired");
  if (Bit(s, 128, 3)) add("Security status", "Frozen");
  if (Bit(s, 128, 2)) add("Security status", "Locked");
  return rows;
}

std::vector<InfoRow> NvmeInfoRows(const DriveRecord& record, const AttributeTable& table) {
  const auto raw = [&table](int id) -> std::optional<std::uint64_t> {
    for (const AttributeEntry& a : table.attributes)
      if (a.id == id) return a.Raw();
    return std::nullopt;
  };
  const auto count = [&raw](int id) {
    const auto v = raw(id);
    return v ? std::to_string(*v) : std::string("not reported");
  };
  std::vector<InfoRow> rows;
  rows.push_back({"Interface", "NVMe"});
  if (!record.device.empty()) rows.push_back({"Device", record.device});
  const auto warning = raw(nvme_id::kCriticalWarning);
  rows.push_back({"Critical warning",
                  warning ? NvmeWarningText(static_cast<std::uint8_t>(*warning)) : "not reported"});
  std::string spare = "not reported";
  for (std::size_t i = 0; i < kAttributeSlots; ++i)
    if (table.attributes[i].id == nvme_id::kAvailableSpare)
      spare = std::to_string(table.attributes[i].Raw()) + " % (threshold " +
              std::to_string(table.thresholds[i].threshold) + " %)";
  rows.push_back({"Available spare", spare});
  rows.push_back({"Percentage used", raw(nvme_id::kPercentageUsed)
                                         ? std::to_string(*raw(nvme_id::kPercentageUsed)) + " %"
                                         : "not reported"});
  rows.push_back({"Power on hours", count(nvme_id::kPowerOnHours)});
  rows.push_back({"Power cycles", count(nvme_id::kPowerCycles)});
  rows.push_back({"Unsafe shutdowns", count(nvme_id::kUnsafeShutdowns)});
  rows.push_back({"Media and data integrity errors", count(nvme_id::kMediaErrors)});
  rows.push_back({"Error information log entries", count(nvme_id::kErrorLogEntries)});
  return rows;
}

std::optional<std::vector<InfoRow>> DiskInfoRows(const DriveTables& tables, int driveNumber,
                                                 bool perDrivePath,
                                                 const std::vector<VolumeRow>& volumes,
                                                 const TextTable& texts) {
  // The stored selection may name a slot that does not exist; treat it like
  // an empty one rather than reading past the tables.
  if (driveNumber < 0 || driveNumber >= kMaxDrives) return std::nullopt;
  const auto n = static_cast<std::size_t>(driveNumber);
  const DriveRecord& record = tables.records[n];
  if (!record.InUse()) return std::nullopt;

  std::vector<InfoRow> rows = IdentityRows(record, texts);
  if (perDrivePath) {
    rows.push_back({kVolumesHeader, "", true});
    for (const VolumeRow& v : volumes) rows.push_back({VolumeLabel(v), VolumeValue(v)});
  }
  rows.push_back({kAdvancedHeader, "", true});
  for (InfoRow& r : record.deviceType == kDeviceNvme ? NvmeInfoRows(record, tables.attributes[n])
                                                    : IdentifyRows(tables.identify[n]))
    rows.push_back(std::move(r));
  return rows;
}

}  // namespace torvel
