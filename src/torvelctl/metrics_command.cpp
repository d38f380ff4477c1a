#include "torvelctl/metrics_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <memory>
#include "base/text_out.h"

#include "base/codepage.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "drive/attribute_names.h"
#include "drive/drive_tables.h"
#include "drive/smart_data.h"
#include "monitor/check_decisions.h"
#include "torvelctl/commands.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTextfileName = "torvel.prom";

struct Family {
  const char* name;
  const char* type;
  const char* help;
};

constexpr Family kDriveInfo{"torvel_drive_info", "gauge",
                            "A drive Torvel reads; its identity in the labels, value 1."};
constexpr Family kCapacity{"torvel_drive_capacity_bytes", "gauge", "Capacity in bytes."};
constexpr Family kTemperature{"torvel_drive_temperature_celsius", "gauge",
                              "The drive's temperature; absent when it reports none."};
constexpr Family kCritical{"torvel_drive_temperature_critical_celsius", "gauge",
                           "The drive's critical temperature, as the check applies it: at or over "
                           "it, status is 1; absent when its temperature warning is off."};
constexpr Family kSmartEnabled{"torvel_drive_smart_enabled", "gauge",
                               "1 when S.M.A.R.T. is enabled (always for NVMe)."};
constexpr Family kTec{"torvel_drive_tec", "gauge",
                      "1 when the drive reports a Threshold Exceeded Condition."};
constexpr Family kStatus{"torvel_drive_status", "gauge",
                         "0 ok, 1 warning (at or over its critical temperature), 2 T.E.C., 3 unknown "
                         "(asleep, or S.M.A.R.T. off)."};
constexpr Family kAsleep{"torvel_drive_asleep", "gauge",
                         "1 when the disk was in standby and left asleep, unread."};
constexpr Family kLastCheck{"torvel_last_check_timestamp_seconds", "gauge",
                            "When Torvel last checked the drive (Unix time); absent for one it "
                            "never judged (S.M.A.R.T. off, or its check disabled)."};
constexpr Family kUnread{"torvel_disk_unread", "gauge",
                         "A whole disk Torvel found but could not read, by device; reason: "
                         "asleep (in standby since it was first seen), no_answer (neither ATA "
                         "nor NVMe commands answered) or no_slot (beyond Torvel's drives)."};
constexpr Family kValue{"torvel_attribute_value", "gauge", "Normalised attribute value."};
constexpr Family kWorst{"torvel_attribute_worst", "gauge", "Worst normalised value seen."};
constexpr Family kThreshold{"torvel_attribute_threshold", "gauge", "The attribute's threshold."};
constexpr Family kRaw{"torvel_attribute_raw", "gauge", "The raw value (48 bits)."};
constexpr Family kTecDate{"torvel_attribute_tec_date_seconds", "gauge",
                          "Projected date the attribute reaches its threshold (Unix time)."};

std::string Interface(const DriveRecord& r) {
  if (r.deviceType == kDeviceNvme) return "NVMe";
  return r.transport.empty() ? "ATA" : r.transport;
}

int Status(const DriveRecord& r, const AttributeTable& t, SettingsStore& store) {
  if (r.asleep || !r.smartEnabled) return kMetricUnknown;
  bool tec = r.tec != 0;
  for (std::size_t i = 0; i < kAttributeSlots; ++i)
    if (t.attributes[i].id != 0 && CountsAsTec(t.attributes[i], t.thresholds[i])) tec = true;
  if (tec) return kMetricTec;
  if (ReadTemperatureRule(store, r).TooHot(r.temperature)) return kMetricWarning;
  return kMetricOk;
}

class Exposition {
 public:
  void Header(const Family& f) {
    text_ += std::string("# HELP ") + f.name + " " + f.help + "\n# TYPE " + f.name + " " + f.type + "\n";
  }
  void Sample(const Family& f, const std::string& labels, const std::string& value) {
    text_ += std::string(f.name) + "{" + labels + "} " + value + "\n";
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

std::string Label(const char* name, const std::string& cp1252) {
  return std::string(name) + "=\"" + MetricLabelValue(cp1252) + "\"";
}

}  // namespace

bool WriteMetricsTextfile(const fs::path& dir, const std::string& text, std::string& why) {
  const fs::path file = dir / kTextfileName;
  // Not "*.prom": the collector never reads half a file.
  const fs::path temporary = dir / (std::string(".") + kTextfileName + ".tmp");
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    why = "cannot create " + temporary.string() + ": " + std::strerror(errno);
    return false;
  }
  // Readable by the collector whatever the umask says.
  bool ok = ::fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  const int error = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temporary.c_str(), file.c_str()) == 0) return true;
  why = std::string("cannot write ") + file.string() + ": " + std::strerror(ok ? errno : error);
  ::unlink(temporary.c_str());
  return false;
}

std::string MetricLabelValue(const std::string& cp1252) {
  std::string out;
  for (char c : Cp1252ToUtf8(cp1252)) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string FormatMetrics(const DriveTables& tables, SettingsStore& store) {
  std::vector<std::size_t> drives;
  for (std::size_t n = 0; n < tables.records.size(); ++n)
    if (tables.records[n].InUse()) drives.push_back(n);
  const auto drive = [&tables](std::size_t n) {
    return Label("drive", std::to_string(n)) + "," + Label("serial", tables.records[n].serial);
  };

  Exposition e;
  e.Header(kDriveInfo);
  for (std::size_t n : drives) {
    const DriveRecord& r = tables.records[n];
    e.Sample(kDriveInfo,
             drive(n) + "," + Label("device", r.device) + "," + Label("model", r.model) + "," +
                 Label("firmware", r.firmware) + "," + Label("interface", Interface(r)),
             "1");
  }
  const auto perDrive = [&](const Family& f, auto value) {
    e.Header(f);
    for (std::size_t n : drives)
      if (const std::string v = value(n); !v.empty()) e.Sample(f, drive(n), v);
  };
  perDrive(kCapacity, [&](std::size_t n) { return std::to_string(tables.records[n].bytes); });
  perDrive(kTemperature, [&](std::size_t n) {
    const int t = tables.records[n].temperature;
    return t != 0 ? std::to_string(t) : std::string();
  });
  perDrive(kCritical, [&](std::size_t n) {
    const DriveRecord& r = tables.records[n];
    if (r.temperature == 0) return std::string();
    const TemperatureRule rule = ReadTemperatureRule(store, r);
    return rule.enabled ? std::to_string(rule.critical) : std::string();
  });
  perDrive(kSmartEnabled, [&](std::size_t n) { return std::to_string(tables.records[n].smartEnabled ? 1 : 0); });
  perDrive(kTec, [&](std::size_t n) { return std::to_string(tables.records[n].tec ? 1 : 0); });
  perDrive(kStatus, [&](std::size_t n) {
    return std::to_string(Status(tables.records[n], tables.attributes[n], store));
  });
  perDrive(kAsleep, [&](std::size_t n) { return std::to_string(tables.records[n].asleep ? 1 : 0); });
  perDrive(kLastCheck, [&](std::size_t n) {
    const int at = settings::drive::LastCheck(store, tables.records[n].Section());
    return at > 0 ? std::to_string(at) : std::string();
  });
  // Not drives: nothing names them but the device node, and giving them a
  // drive series would make one vanish when the disk is at last read.
  e.Header(kUnread);
  const auto unread = [&e](const std::string& device, const char* reason) {
    e.Sample(kUnread, Label("device", device) + "," + Label("reason", reason), "1");
  };
  for (const DriveRecord& r : tables.records)
    if (!r.InUse() && r.asleep && !r.device.empty()) unread(r.device, "asleep");
  for (const std::string& device : tables.unanswered) unread(device, "no_answer");
  for (const std::string& device : tables.notChecked) unread(device, "no_slot");

  const auto perAttribute = [&](const Family& f, auto value) {
    e.Header(f);
    for (std::size_t n : drives) {
      const AttributeTable& t = tables.attributes[n];
      for (std::size_t i = 0; i < kAttributeSlots; ++i) {
        const AttributeEntry& a = t.attributes[i];
        if (a.id == 0) continue;
        const std::string v = value(n, a, t.thresholds[i]);
        if (v.empty()) continue;
        e.Sample(f,
                 drive(n) + "," + Label("id", std::to_string(a.id)) + "," +
                     Label("name", std::string(AttributeDisplayName(a.id, tables.records[n]))),
                 v);
      }
    }
  };
  perAttribute(kValue, [](std::size_t, const AttributeEntry& a, const ThresholdEntry&) {
    return std::to_string(a.value);
  });
  perAttribute(kWorst, [](std::size_t, const AttributeEntry& a, const ThresholdEntry&) {
    return std::to_string(a.worst);
  });
  perAttribute(kThreshold, [](std::size_t, const AttributeEntry&, const ThresholdEntry& th) {
    return std::to_string(th.threshold);
  });
  perAttribute(kRaw, [](std::size_t, const AttributeEntry& a, const ThresholdEntry&) {
    return std::to_string(a.Raw());
  });
  perAttribute(kTecDate, [&](std::size_t n, const AttributeEntry& a, const ThresholdEntry&) {
    const int at = settings::attribute::TecDate(store, tables.records[n].Section(), a.id);
    return at > 0 ? std::to_string(at) : std::string();
  });
  return std::move(e.text());
}

int RunMetricsCommand(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                      TextOut& err) {
  std::string textfileDir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--textfile" && i + 1 < args.size() && !args[i + 1].empty()) {
      textfileDir = args[++i];
    } else {
      err << "torvelctl: usage: torvelctl metrics [--textfile DIR]\n";
      return kExitUsage;
    }
  }
  if (!textfileDir.empty() && !fs::is_directory(textfileDir)) {
    err << "torvelctl: " << textfileDir << " is not a folder\n";
    return kExitUsage;
  }
  auto tables = std::make_unique<DriveTables>();
  RefreshForCommand(*tables, ctx);
  ReportDisksNotChecked(*tables, err);
  MemorySettingsStore none;
  const std::string text = FormatMetrics(*tables, ReadOnlySettings(ctx, none));
  if (textfileDir.empty()) {
    out << text;
    return kExitOk;
  }
  std::string why;
  if (!WriteMetricsTextfile(textfileDir, text, why)) {
    err << "torvelctl: " << why << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace torvel
