#include "monitor/alert_texts.h"

#include <algorithm>

#include "drive/smart_data.h"
#include "base/sprintf.h"

namespace torvel {
namespace {

double Gb(const DriveRecord& rec) { return static_cast<double>(rec.capacity); }
const char* M(const MonitorState& state, int key) { return state.Message(key).c_str(); }
std::string Name(int id) { return std::string(AttributeName(id)); }

// The three lines of one change, shared by the log text and the report.
std::string ChangeLines(const MonitorState& state, int id, int oldValue, int newValue) {
  return Sprintf("%s : %.2X - %s\r\n%s : %d\r\n%s : %d\r\n\r\n", M(state, 3), id, Name(id).c_str(),
                 M(state, 4), oldValue, M(state, 5), newValue);
}

}  // namespace

std::string FirstSightText(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s - %s [%s]\r\n\r\n", M(state, 1), rec.model.c_str(), rec.serial.c_str());
}

std::string TemperatureMessage(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s\r\n%s %s, %.1f GB [S/N:%s] %s\n%s %d \xB0" "C\r\n\r\n", M(state, 10),
                 M(state, 17), rec.model.c_str(), Gb(rec), rec.serial.c_str(), M(state, 18),
                 M(state, 19), rec.temperature);
}

std::string ChangeLogText(const MonitorState& state, const DriveRecord& rec, int id, int oldValue,
                          int newValue) {
  return Sprintf("[%s, S/N:%s] - %s: \r\n", rec.model.c_str(), rec.serial.c_str(), M(state, 2)) +
         ChangeLines(state, id, oldValue, newValue);
}

std::string TecAlertText(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s %s, %.1f GB [S/N:%s] %s\r\n%s\r\n%s\r\n\r\n", M(state, 6), rec.model.c_str(),
                 Gb(rec), rec.serial.c_str(), M(state, 7), M(state, 8), M(state, 9));
}

std::string ChangeReport(const MonitorState& state, const DriveTables& tables) {
  std::string report;
  for (int d = 0; d < kMaxDrives; ++d) {
    const auto& list = state.changes[static_cast<std::size_t>(d)];
    if (list.empty()) continue;
    const DriveRecord& rec = tables.records[static_cast<std::size_t>(d)];
    report += Sprintf("[Drive: %s, %.1f GB, S/N:%s] - %s: \r\n", rec.model.c_str(), Gb(rec),
                      rec.serial.c_str(), M(state, 2));
    for (const ChangeRecord& c : list)
      report += ChangeLines(state, c.attributeId, c.oldValue, c.newValue);
  }
  return report;
}

std::string ChangePopupText(const MonitorState& state, const DriveRecord& rec, bool askMore) {
  if (askMore)
    return Sprintf("%s\n%s %s, %.1f GB.\n%s", M(state, 10), M(state, 11), rec.model.c_str(),
                   Gb(rec), M(state, 12));
  return Sprintf("%s\n%s %s, %.1f GB.\n", M(state, 10), M(state, 11), rec.model.c_str(), Gb(rec));
}

std::string StatusBlockHeader(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s %s, %.1f GB, S/N:%s\n", M(state, 32), rec.model.c_str(), Gb(rec),
                 rec.serial.c_str());
}

std::string ComposeDriveStatus(const MonitorState& state, const DriveRecord& rec, int compact) {
  if (rec.smartSupported == 0) return state.Message(20);
  std::string out;
  const auto& list = state.changes[static_cast<std::size_t>(std::clamp(rec.driveNumber, 0, kMaxDrives - 1))];
  const int c = static_cast<int>(list.size());
  if (rec.deviceType == kDeviceAta) {
    if (rec.tec != 0) return compact ? state.Message(22) : " " + state.Message(22);
    const bool temperature = std::any_of(list.begin(), list.end(), [](const ChangeRecord& r) {
      return r.attributeId == kTemperatureId;
    });
    const std::string tempChanged = state.Message(compact ? 35 : 26) + ". ";
    if (c == 0) {
      if (!compact) out += " " + state.Message(23) + ". ";
    } else if (c == 1 && temperature) {
      out += compact ? Sprintf(" %s [%d \xB0" "C] ", M(state, 35), rec.temperature)
                     : " " + state.Message(26) + ". ";
    } else if (c == 1) {
      out += Sprintf(" %d %s. ", 1, M(state, 24));
    } else if (c == 2 && temperature) {
      out += Sprintf(" %d %s. ", 1, M(state, 24)) + tempChanged;
    } else if (temperature) {
      out += Sprintf(" %d %s. ", c - 1, M(state, 36)) + tempChanged;
    } else {
      out += Sprintf(" %d %s. ", c, M(state, 25));
    }
    const int bad = rec.badAttributes;
    if (bad != 0) {
      const int key = compact ? 34 : 33;
      out += FormatWithOneInt(state.Message(key), BuiltInText("Messages", key), bad) + ". ";
    }
    if (compact) {
      out += state.Message(30) + ". ";
    } else if (bad == 0) {
      return out + state.Message(27) + ".";
    } else {
      out += state.Message(30) + ". ";
    }
  } else {
    out = state.Message(21);
  }
  if (compact && rec.temperature != 0 && c >= 2)
    out += Sprintf("%s: %d \xB0" "C", M(state, 31), rec.temperature);
  return out;
}

}  // namespace torvel
