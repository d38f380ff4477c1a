#include "drive/report.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "base/version.h"
#include "drive/attribute_names.h"
#include "drive/drive_tables.h"
#include "drive/smart_data.h"
#include "base/time_format.h"

namespace torvel {
namespace {

__attribute__((format(printf, 2, 3))) void Append(std::string& out, const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n > 0) out.append(buf, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buf - 1));
}

const std::string kRule = std::string(92, '-') + "\r\n";
// The readable column is bracketed, so that a script reading the numbers
// from the end of a row can drop it first.
constexpr const char* kColumnHeader =
    "         Attribute Name                       Threshold     Value       Worst     Raw value  "
    "Readable\r\n";

}  // namespace

std::string BuildReport(const DriveTables& tables, int driveNumber, const std::tm& now) {
  const auto idx = static_cast<std::size_t>(driveNumber);
  const DriveRecord& rec = tables.records[idx];
  std::string out = "S.M.A.R.T. status\r\n";
  out += "Date: " + FormatReportDate(now) + "\r\n\r\n";
  out += "Drive model: " + rec.model + "\r\n";
  out += "Serial number: " + rec.serial + "\r\n";
  Append(out, "Capacity: %.1f GB\r\n", static_cast<double>(rec.capacity));
  out += "Firmware Revision: " + rec.firmware + "\r\n";

  if (rec.IsDisk()) {
    out += rec.deviceType == kDeviceNvme ? "Drive interface: NVMe\r\n" : "Drive interface: IDE\r\n";
    if (rec.temperature != 0) Append(out, "Drive temperature: %d \xB0" "C\r\n", rec.temperature);
    out += "\r\n" + kRule + kColumnHeader + kRule;
    const AttributeTable& t = tables.attributes[idx];
    for (std::size_t i = 0; i < kAttributeSlots; ++i) {
      const AttributeEntry& a = t.attributes[i];
      if (a.id == 0) continue;
      Append(out, "%-3d (%-.2X) ", a.id, a.id);
      Append(out, "%-40s", std::string(AttributeDisplayName(a.id, rec)).c_str());
      Append(out, "%-12d", t.thresholds[i].threshold);
      Append(out, "%-12d", a.value);
      Append(out, "%-6d", a.worst);
      Append(out, "%12" PRId64, static_cast<std::int64_t>(a.Raw()));
      if (const std::string readable = ReadableRaw(a.id, a, rec); !readable.empty())
        out += "  [" + readable + "]";
      out += "\r\n";
    }
  }
  out += std::string(92, '-');
  return out;
}

std::string ReportBanner() {
  const std::string line(60, '=');
  return line + "\r\nThis report created by Torvel (" + kProductWebAddress + ")\r\n" + line +
         "\r\n\r\n";
}

std::string DefaultReportFileName(const DriveTables& tables, int driveNumber) {
  const DriveRecord& rec = tables.records[static_cast<std::size_t>(driveNumber)];
  return rec.model + " (SN " + rec.serial + ") - REPORT.txt";
}

}  // namespace torvel
