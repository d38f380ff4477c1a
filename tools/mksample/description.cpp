#include "mksample/description.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <limits>
#include <set>
#include <sstream>

#include "drive/identify.h"
#include "drive/sector_builder.h"

namespace torvel::mksample {
namespace {

constexpr std::uint64_t kMax48 = (std::uint64_t{1} << 48) - 1;
constexpr std::size_t kMaxAttributes = 30;

std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return std::string(s.substr(b, e - b + 1));
}

std::vector<std::string> Tokens(std::string_view s) {
  std::istringstream in{std::string(s)};
  std::vector<std::string> out;
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

// Cuts a '#' comment, except inside a quoted value.
std::string StripComment(const std::string& line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '#' && !quoted) return line.substr(0, i);
  }
  return line;
}

class Parser {
 public:
  DriveDescription Run(std::istream& in) {
    std::string raw;
    while (std::getline(in, raw)) {
      ++line_;
      const std::string text = Trim(StripComment(raw));
      if (text.empty()) continue;
      const auto tokens = Tokens(text);
      if (tokens[0] == "attr")
        Attribute(tokens);
      else
        KeyValue(text);
    }
    Finish();
    return d_;
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw DescriptionError(line_, message); }

  std::uint64_t Number(const std::string& token, std::uint64_t max, const char* what) const {
    std::string_view digits = token;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      digits.remove_prefix(2);
      base = 16;
    }
    std::uint64_t v = 0;
    const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size())
      Fail(std::string(what) + ": '" + token + "' is not a decimal or 0x hexadecimal number");
    if (v > max)
      Fail(std::string(what) + ": " + token + " is larger than " + std::to_string(max));
    return v;
  }

  bool YesNo(const std::string& key, const std::string& value) const {
    if (value == "yes") return true;
    if (value == "no") return false;
    Fail("'" + key + "' takes yes or no, not '" + value + "'");
  }

  // Once-only keys remember their line, for a clear message on repetition.
  void Once(const std::string& key) {
    const auto [it, fresh] = seen_.emplace(key, line_);
    if (!fresh) Fail("'" + key + "' is already given on line " + std::to_string(it->second));
  }

  std::string Text(const std::string& key, std::string value, std::size_t max) const {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    else if (value.find('"') != std::string::npos)
      Fail("'" + key + "': unbalanced quote");
    if (value.size() > max)
      Fail("'" + key + "' is " + std::to_string(value.size()) + " characters; the field holds " +
           std::to_string(max));
    for (char c : value)
      if (c < 0x20 || c > 0x7E) Fail("'" + key + "' holds a character outside printable ASCII");
    return value;
  }

  void Attribute(const std::vector<std::string>& t) {
    if (t.size() != 7) Fail("an attr line is: attr ID FLAGS VALUE WORST THRESHOLD RAW");
    AttributeLine a;
    a.id = static_cast<std::uint8_t>(Number(t[1], 255, "attribute id"));
    if (a.id == 0) Fail("attribute id 0 marks an empty slot and cannot be described");
    a.flags = static_cast<std::uint16_t>(Number(t[2], 0xFFFF, "flags"));
    a.value = static_cast<std::uint8_t>(Number(t[3], 255, "value"));
    a.worst = static_cast<std::uint8_t>(Number(t[4], 255, "worst"));
    a.threshold = static_cast<std::uint8_t>(Number(t[5], 255, "threshold"));
    a.raw = Number(t[6], kMax48, "raw value");
    for (const auto& other : d_.attributes)
      if (other.id == a.id) Fail("attribute " + std::to_string(a.id) + " is described twice");
    if (d_.attributes.size() == kMaxAttributes)
      Fail("a data sector holds at most " + std::to_string(kMaxAttributes) + " attributes");
    if (firstAttributeLine_ == 0) firstAttributeLine_ = line_;
    d_.attributes.push_back(a);
  }

  void KeyValue(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) Fail("expected 'key = value' or an 'attr' line");
    const std::string key = Trim(std::string_view(text).substr(0, eq));
    const std::string value = Trim(std::string_view(text).substr(eq + 1));
    const auto keyTokens = Tokens(key);
    if (keyTokens.size() == 2 && keyTokens[0] == "word") return Word(keyTokens[1], value);
    if (keyTokens.size() == 2 && keyTokens[0] == "data") return DataByte(keyTokens[1], value);
    if (value.empty()) Fail("'" + key + "' has no value");
    if (keyTokens.size() == 2 && keyTokens[0] == "nvme") return NvmeField(keyTokens[1], value);

    if (key == "model") {
      Once(key);
      d_.model = Text(key, value, 40);
    } else if (key == "serial") {
      Once(key);
      d_.serial = Text(key, value, 20);
    } else if (key == "firmware") {
      Once(key);
      d_.firmware = Text(key, value, 8);
    } else if (key == "sectors") {
      Once(key);
      d_.sectors = Number(value, kMax48, "sectors");
    } else if (key == "lba48") {
      Once(key);
      d_.lba48 = YesNo(key, value);
    } else if (key == "udma") {
      Once(key);
      Udma(value);
    } else if (key == "smart") {
      Once(key);
      if (value == "yes")
        d_.smart = SmartSupport::Enabled;
      else if (value == "supported")
        d_.smart = SmartSupport::Supported;
      else if (value == "no")
        d_.smart = SmartSupport::No;
      else
        Fail("'smart' takes yes, supported (but not enabled) or no, not '" + value + "'");
    } else if (key == "status") {
      Once(key);
      if (value != "good" && value != "tec" && value != "none")
        Fail("'status' takes good, tec or none, not '" + value + "'");
      d_.status = value;
    } else if (key == "interface") {
      Once(key);
      if (value != "ata" && value != "nvme") Fail("'interface' takes ata or nvme, not '" + value + "'");
      d_.nvme = value == "nvme";
    } else if (key == "lba-size") {
      Once(key);
      if (value == "512") d_.lbads = 9;
      else if (value == "4096") d_.lbads = 12;
      else Fail("'lba-size' takes 512 or 4096, not '" + value + "'");
    } else if (key == "power") {
      Once(key);
      if (value != "standby" && value != "active") Fail("'power' takes standby or active, not '" + value + "'");
      d_.power = value;
    } else if (key == "transport") {
      Once(key);
      d_.transport = Text(key, value, 16);
    } else if (key == "packet") {
      Once(key);
      d_.packet = YesNo(key, value);
    } else if (key == "fail") {
      static const std::set<std::string> kCommands = {
          "open",      "enable",          "status", "identify",     "read-data",
          "read-thresholds", "power", "nvme-id-ctrl", "nvme-id-ns", "nvme-smart-log"};
      if (!kCommands.count(value))
        Fail("'fail' takes open, enable, status, identify, read-data, read-thresholds, power, "
             "nvme-id-ctrl, nvme-id-ns or nvme-smart-log, not '" + value + "'");
      if (std::find(d_.fails.begin(), d_.fails.end(), value) == d_.fails.end())
        d_.fails.push_back(value);
    } else {
      Fail("unknown key '" + key + "'");
    }
  }

  void NvmeField(const std::string& name, const std::string& value) {
    Once("nvme " + name);
    NvmeHealth& h = d_.health;
    constexpr std::uint64_t kAny = ~std::uint64_t{0};
    const std::pair<const char*, std::uint64_t*> counters[] = {
        {"data-units-read", &h.dataUnitsRead},   {"data-units-written", &h.dataUnitsWritten},
        {"host-reads", &h.hostReads},            {"host-writes", &h.hostWrites},
        {"busy-time", &h.busyMinutes},           {"power-cycles", &h.powerCycles},
        {"power-on-hours", &h.powerOnHours},     {"unsafe-shutdowns", &h.unsafeShutdowns},
        {"media-errors", &h.mediaErrors},        {"error-log-entries", &h.errorLogEntries}};
    for (const auto& [n, field] : counters)
      if (name == n) {
        *field = Number(value, kAny, n);
        return;
      }
    if (name == "critical-warning") h.criticalWarning = static_cast<std::uint8_t>(Number(value, 255, "critical warning"));
    else if (name == "temperature") h.temperatureKelvin = static_cast<int>(Number(value, 200, "temperature (degrees C)")) + 273;
    else if (name == "available-spare") h.availableSpare = static_cast<int>(Number(value, 100, "available spare"));
    else if (name == "spare-threshold") h.spareThreshold = static_cast<int>(Number(value, 100, "spare threshold"));
    else if (name == "percentage-used") h.percentageUsed = static_cast<int>(Number(value, 255, "percentage used"));
    else if (name == "warning-temp-time") h.warningTempMinutes = static_cast<std::uint32_t>(Number(value, 0xFFFFFFFF, name.c_str()));
    else if (name == "critical-temp-time") h.criticalTempMinutes = static_cast<std::uint32_t>(Number(value, 0xFFFFFFFF, name.c_str()));
    else Fail("unknown NVMe health field '" + name + "'");
  }

  void Udma(const std::string& value) {
    const auto t = Tokens(value);
    if (t.size() == 1 && t[0] == "none") return;
    if ((t.size() != 2 && t.size() != 4) || t[0] != "supported" ||
        (t.size() == 4 && t[2] != "selected"))
      Fail("'udma' is 'none' or 'supported N [selected M]'");
    d_.udma = true;
    d_.udmaSupported = static_cast<int>(Number(t[1], 6, "Ultra DMA mode"));
    if (t.size() == 4) {
      d_.udmaSelected = static_cast<int>(Number(t[3], 6, "Ultra DMA mode"));
      if (d_.udmaSelected > d_.udmaSupported) Fail("the selected Ultra DMA mode is not supported");
    }
  }

  void Word(const std::string& index, const std::string& value) {
    const int w = static_cast<int>(Number(index, 254, "IDENTIFY word"));
    // These words belong to other keys; an override would be silently lost.
    const bool owned = (w >= 10 && w <= 19) || (w >= 23 && w <= 46) || w == 60 || w == 61 ||
                       w == 88 || (w >= 100 && w <= 103);
    if (owned) Fail("IDENTIFY word " + std::to_string(w) + " is set by its own key");
    d_.words.emplace_back(w, static_cast<std::uint16_t>(Number(value, 0xFFFF, "word value")));
  }

  void DataByte(const std::string& index, const std::string& value) {
    const int at = static_cast<int>(Number(index, 510, "data sector byte"));
    if (at >= 2 && at < 362) Fail("bytes 2-361 hold the attributes; use attr lines");
    d_.dataBytes.emplace_back(at, static_cast<std::uint8_t>(Number(value, 255, "byte value")));
  }

  void Finish() {
    if (!d_.attributes.empty()) {
      if (d_.packet) {
        line_ = firstAttributeLine_;
        Fail("a packet device has no S.M.A.R.T. attributes");
      }
      if (d_.smart == SmartSupport::No) {
        line_ = firstAttributeLine_;
        Fail("attribute lines need 'smart = yes' or 'smart = supported'");
      }
    }
    line_ = 0;
    if (d_.nvme && (d_.packet || !d_.attributes.empty() || !d_.words.empty() || d_.udma))
      Fail("an NVMe drive has no packet, attr, word or udma lines: its rows come from the health log");
    if (d_.nvme) {
      if (d_.model.empty()) Fail("no 'model' line (a drive without a model is not listed)");
      if (d_.sectors == 0) Fail("an NVMe drive needs a 'sectors' line (namespace 1's blocks)");
      return;
    }
    if (!d_.dataBytes.empty() && d_.attributes.empty())
      Fail("'data' lines need attribute lines (no data sector is written without them)");
    if (d_.model.empty()) Fail("no 'model' line (a drive without a model is not listed)");
    if (!d_.packet && d_.sectors == 0) Fail("an ATA disk needs a 'sectors' line");
  }

  DriveDescription d_;
  int line_ = 0;
  int firstAttributeLine_ = 0;
  std::map<std::string, int> seen_;
};

Sector BuildIdentify(const DriveDescription& d) {
  IdentifyBuilder b;
  if (d.packet) {
    b.Word(0, 0x85C0);  // ATAPI, CD-ROM class, removable, 12-byte packets
    b.Word(49, 0x0F00);
  } else {
    // A plain fixed disk with the usual translated geometry and LBA.
    b.Word(0, 0x0040).Word(1, 16383).Word(3, 16).Word(6, 63).Word(49, 0x2F00).Word(87, 0x4000);
  }
  for (const auto& [w, v] : d.words) b.Word(w, v);
  b.Model(d.model).Serial(d.serial).Firmware(d.firmware);
  if (!d.packet) b.Sectors(d.sectors, d.lba48);
  if (d.udma) b.UltraDma(d.udmaSupported, d.udmaSelected);
  if (d.smart == SmartSupport::Enabled) {
    b.SmartFeature(true);
  } else if (d.smart == SmartSupport::Supported) {
    b.Word(82, static_cast<std::uint16_t>(IdentifyWord(b.sector(), 82) | 1u));
    b.Word(83, static_cast<std::uint16_t>(IdentifyWord(b.sector(), 83) | 0x4000u));
    b.Word(84, static_cast<std::uint16_t>(IdentifyWord(b.sector(), 84) | 0x4000u));
  }
  b.Checksum();
  return b.sector();
}

std::string Bytes(const Sector& s) { return std::string(s.begin(), s.end()); }

}  // namespace

DriveDescription ParseDescription(std::istream& in) { return Parser().Run(in); }

const std::vector<std::string>& DriveFileNames() {
  static const std::vector<std::string> kNames = {
      "identify.bin", "smart-data.bin", "smart-thresholds.bin", "status", "packet", "fail",
      "nvme-id-ctrl.bin", "nvme-id-ns.bin", "nvme-smart-log.bin", "power", "transport"};
  return kNames;
}

std::map<std::string, std::string> BuildDriveFiles(const DriveDescription& d) {
  std::map<std::string, std::string> files;
  if (!d.power.empty()) files["power"] = d.power + "\n";
  if (!d.transport.empty()) files["transport"] = d.transport + "\n";
  if (d.nvme) {
    NvmePagesBuilder b;
    b.Identity(d.model, d.serial, d.firmware).Namespace(d.sectors, d.lbads).Health(d.health);
    const auto bytes = [](const auto& page) { return std::string(page.begin(), page.end()); };
    files["nvme-id-ctrl.bin"] = bytes(b.controller());
    files["nvme-id-ns.bin"] = bytes(b.ns());
    files["nvme-smart-log.bin"] = bytes(b.log());
    if (!d.fails.empty()) {
      std::string text;
      for (const auto& f : d.fails) text += f + "\n";
      files["fail"] = text;
    }
    return files;
  }
  files["identify.bin"] = Bytes(BuildIdentify(d));

  if (!d.attributes.empty()) {
    SmartSectorBuilder data;
    SmartSectorBuilder thresholds;
    for (std::size_t i = 0; i < d.attributes.size(); ++i) {
      const AttributeLine& a = d.attributes[i];
      const int slot = static_cast<int>(i);
      data.Attribute(slot, a.id, a.flags, a.value, a.worst, a.raw);
      thresholds.Threshold(slot, a.id, a.threshold);
    }
    for (const auto& [at, v] : d.dataBytes) data.Byte(at, v);
    files["smart-data.bin"] = Bytes(data.Checksum().sector());
    files["smart-thresholds.bin"] = Bytes(thresholds.Checksum().sector());
  }

  if (!d.status.empty()) files["status"] = d.status + "\n";
  if (d.packet) files["packet"] = "";
  if (!d.fails.empty()) {
    std::string text;
    for (const auto& f : d.fails) text += f + "\n";
    files["fail"] = text;
  }
  return files;
}

}  // namespace torvel::mksample
