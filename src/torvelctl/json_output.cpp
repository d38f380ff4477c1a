#include "torvelctl/json_output.h"

#include <cstdio>

#include "base/codepage.h"
#include "base/time_format.h"
#include "drive/attribute_names.h"
#include "drive/drive_tables.h"
#include "monitor/alert_texts.h"
#include "monitor/monitor_state.h"
#include "torvelctl/commands.h"
#include "torvelctl/json_writer.h"

namespace torvel {
namespace {

const char* Kind(const DriveRecord& r) {
  if (r.deviceType == kDeviceAta) return "ata";
  if (r.deviceType == kDeviceNvme) return "nvme";
  return "packet";
}

std::optional<std::string> Text(const std::string& cp1252) {
  if (cp1252.empty()) return std::nullopt;
  return Cp1252ToUtf8(cp1252);
}

std::optional<std::int64_t> Temperature(const DriveRecord& r) {
  if (r.temperature == 0) return std::nullopt;
  return r.temperature;
}

void Begin(JsonWriter& j) { j.BeginObject().Field("schema_version", kJsonSchemaVersion); }

void StringList(JsonWriter& j, const char* name, const std::vector<std::string>& items) {
  j.Key(name).BeginArray();
  for (const std::string& item : items) j.String(item);
  j.EndArray();
}

// "2026-12-09T02:10:15", local time as the report's date line.
std::string IsoDate(const std::tm& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

const char* Severity(unsigned findings) {
  if (findings & kFoundTec) return "critical";
  if (findings & kFoundWarning) return "warning";
  return "ok";
}

}  // namespace

std::string DrivesJson(const DriveTables& tables) {
  JsonWriter j;
  Begin(j);
  j.Key("drives").BeginArray();
  for (std::size_t n = 0; n < tables.records.size(); ++n) {
    const DriveRecord& r = tables.records[n];
    if (!r.InUse() && !r.asleep) continue;
    const bool read = r.InUse();
    j.BeginObject()
        .Field("drive", n)
        .Field("kind", read ? Kind(r) : "ata")
        .Field("asleep", r.asleep)
        .Field("read", read)
        .Field("device", Text(r.device))
        .Field("transport", Text(r.transport))
        .Field("model", Text(r.model))
        .Field("serial", Text(r.serial))
        .Field("firmware", Text(r.firmware));
    j.Key("capacity_gb");
    read ? j.Fixed(r.capacity, 2) : j.Null();
    j.Key("capacity_bytes");
    read ? j.Int(static_cast<std::int64_t>(r.bytes)) : j.Null();
    j.Key("udma_mode");
    read && r.udmaMode != kUdmaNotValid ? j.Int(r.udmaMode) : j.Null();
    j.Key("smart_supported");
    read ? j.Bool(r.smartSupported != 0) : j.Null();
    j.Key("smart_enabled");
    read ? j.Bool(r.smartEnabled != 0) : j.Null();
    j.Key("tec");
    read ? j.Bool(r.tec != 0) : j.Null();
    j.Field("temperature_celsius", Temperature(r)).EndObject();
  }
  j.EndArray();
  StringList(j, "unanswered", tables.unanswered);
  StringList(j, "not_checked", tables.notChecked);
  return j.EndObject().Finish();
}

std::string ReportJson(const DriveTables& tables, int driveNumber, const std::tm& now) {
  const auto idx = static_cast<std::size_t>(driveNumber);
  const DriveRecord& r = tables.records[idx];
  JsonWriter j;
  Begin(j);
  j.Field("drive", driveNumber)
      .Field("date", FormatReportDate(now))
      .Field("date_iso", IsoDate(now))
      .Field("model", Cp1252ToUtf8(r.model))
      .Field("serial", Cp1252ToUtf8(r.serial))
      .Key("capacity_gb")
      .Fixed(r.capacity, 1)
      .Field("firmware", Cp1252ToUtf8(r.firmware));
  // The report has neither line nor table for a packet device.
  j.Key("interface");
  r.IsDisk() ? j.String(r.deviceType == kDeviceNvme ? "NVMe" : "IDE") : j.Null();
  j.Field("temperature_celsius", r.IsDisk() ? Temperature(r) : std::nullopt);
  j.Key("attributes").BeginArray();
  const AttributeTable& t = tables.attributes[idx];
  for (std::size_t i = 0; r.IsDisk() && i < kAttributeSlots; ++i) {
    const AttributeEntry& a = t.attributes[i];
    if (a.id == 0) continue;
    const std::string readable = ReadableRaw(a.id, a, r);
    j.BeginObject()
        .Field("id", a.id)
        .Field("name", Cp1252ToUtf8(std::string(AttributeDisplayName(a.id, r))))
        .Field("threshold", t.thresholds[i].threshold)
        .Field("value", a.value)
        .Field("worst", a.worst)
        .Field("raw", static_cast<std::int64_t>(a.Raw()))
        .Field("readable", Text(readable))
        .EndObject();
  }
  j.EndArray();
  return j.EndObject().Finish();
}

std::string IdentifyJson(const DriveTables& tables, int driveNumber, const std::vector<InfoRow>& rows) {
  JsonWriter j;
  Begin(j);
  j.Field("drive", driveNumber).Field("kind", Kind(tables.records[static_cast<std::size_t>(driveNumber)]));
  j.Key("rows").BeginArray();
  for (const InfoRow& row : rows)
    j.BeginObject().Field("label", Cp1252ToUtf8(ListedLabel(row))).Field("value", Cp1252ToUtf8(row.value)).EndObject();
  j.EndArray();
  return j.EndObject().Finish();
}

std::string CheckJson(const DriveTables& tables, const MonitorState& state, int status) {
  static constexpr const char* kStatusWords[] = {"ok", "warning", "critical", "unknown"};
  JsonWriter j;
  Begin(j);
  j.Field("status", status).Field("status_text", status >= 0 && status <= 3 ? kStatusWords[status] : "unknown");
  j.Key("drives").BeginArray();
  std::vector<std::string> asleepDisks;
  for (std::size_t n = 0; n < tables.records.size(); ++n) {
    const DriveRecord& r = tables.records[n];
    if (!r.InUse()) {
      if (r.asleep) asleepDisks.push_back(r.device);
      continue;
    }
    const unsigned found = state.driveFindings[n];
    j.BeginObject()
        .Field("drive", n)
        .Field("device", Text(r.device))
        .Field("model", Cp1252ToUtf8(r.model))
        .Field("serial", Cp1252ToUtf8(r.serial))
        .Key("capacity_gb")
        .Fixed(r.capacity, 1)
        .Field("asleep", r.asleep)
        .Field("checked", state.driveChecked[n])
        .Field("severity", Severity(found));
    j.Key("findings").BeginArray();
    if (found & kFoundTec) j.String("tec");
    if (found & kFoundChange) j.String("change");
    if (found & kFoundSectorGrowth) j.String("sector_growth");
    if (found & kFoundTemperature) j.String("temperature");
    j.EndArray();
    j.Field("temperature_celsius", Temperature(r));
    // What the text prints in brackets; a drive not checked has no line.
    const bool printed = state.driveChecked[n] || r.asleep;
    j.Field("status_line", printed ? std::optional(Cp1252ToUtf8(ComposeDriveStatus(state, r, 1)))
                                   : std::nullopt);
    const auto name = [&r](int id) { return Cp1252ToUtf8(std::string(AttributeDisplayName(id, r))); };
    j.Key("changes").BeginArray();
    for (const ChangeRecord& c : state.changes[n])
      j.BeginObject()
          .Field("id", c.attributeId)
          .Field("name", name(c.attributeId))
          .Field("old", c.oldValue)
          .Field("new", c.newValue)
          .EndObject();
    j.EndArray();
    j.Key("sector_growths").BeginArray();
    for (const SectorGrowthRecord& g : state.growths[n])
      j.BeginObject()
          .Field("id", g.attributeId)
          .Field("name", name(g.attributeId))
          .Field("old", g.oldCount)
          .Field("new", g.newCount)
          .EndObject();
    j.EndArray();
    j.EndObject();
  }
  j.EndArray();
  j.Key("missing").BeginArray();
  for (const MissingDriveRecord& m : state.missing)
    j.BeginObject().Field("model", Cp1252ToUtf8(m.model)).Field("serial", Cp1252ToUtf8(m.serial)).EndObject();
  j.EndArray();
  StringList(j, "asleep_disks", asleepDisks);
  StringList(j, "unanswered", tables.unanswered);
  StringList(j, "not_checked", tables.notChecked);
  return j.EndObject().Finish();
}

}  // namespace torvel
