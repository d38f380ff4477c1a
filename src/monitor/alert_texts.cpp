#include "monitor/alert_texts.h"

#include <algorithm>

#include "drive/attribute_names.h"
#include "drive/smart_data.h"
#include "base/codepage.h"
#include "base/sprintf.h"

namespace torvel {
namespace {

double Gb(const DriveRecord& rec) { return static_cast<double>(rec.capacity); }
const char* M(const MonitorState& state, int key) { return state.Message(key).c_str(); }
std::string Name(int id, const DriveRecord& rec) { return std::string(AttributeDisplayName(id, rec)); }
// Drive data may hold any byte; none of it may break or forge a log line.
std::string Shown(const std::string& text) { return EscapeControls(text); }

// The three lines of one change, shared by the log text and the report.
std::string ChangeLines(const MonitorState& state, const DriveRecord& rec, int id, int oldValue,
                        int newValue) {
  return Sprintf("%s : %.2X - %s\r\n%s : %d\r\n%s : %d\r\n\r\n", M(state, 3), id, Name(id, rec).c_str(),
                 M(state, 4), oldValue, M(state, 5), newValue);
}

std::string GrowthLines(const MonitorState& state, const DriveRecord& rec, int id, std::uint32_t oldCount,
                        std::uint32_t newCount) {
  return Sprintf("%s : %.2X - %s\r\n%s : %u\r\n%s : %u\r\n\r\n", M(state, 3), id,
                 Name(id, rec).c_str(), M(state, 38), oldCount, M(state, 39), newCount);
}

std::string DriveBlockHeader(const MonitorState& state, const DriveRecord& rec, int key) {
  return Sprintf("[Drive: %s, %.1f GB, S/N:%s] - %s: \r\n", Shown(rec.model).c_str(), Gb(rec),
                 Shown(rec.serial).c_str(), M(state, key));
}

}  // namespace

std::string FirstSightText(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s - %s [%s]\r\n\r\n", M(state, 1), Shown(rec.model).c_str(), Shown(rec.serial).c_str());
}

std::string TemperatureMessage(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s\r\n%s %s, %.1f GB [S/N:%s] %s\n%s %d \xB0" "C\r\n\r\n", M(state, 10),
                 M(state, 17), Shown(rec.model).c_str(), Gb(rec), Shown(rec.serial).c_str(), M(state, 18),
                 M(state, 19), rec.temperature);
}

std::string ChangeLogText(const MonitorState& state, const DriveRecord& rec, int id, int oldValue,
                          int newValue) {
  return Sprintf("[%s, S/N:%s] - %s: \r\n", Shown(rec.model).c_str(), Shown(rec.serial).c_str(), M(state, 2)) +
         ChangeLines(state, rec, id, oldValue, newValue);
}

std::string SectorGrowthLogText(const MonitorState& state, const DriveRecord& rec, int id,
                                std::uint32_t oldCount, std::uint32_t newCount) {
  return Sprintf("[%s, S/N:%s] - %s: \r\n", Shown(rec.model).c_str(), Shown(rec.serial).c_str(), M(state, 37)) +
         GrowthLines(state, rec, id, oldCount, newCount);
}

std::string MissingDriveText(const MonitorState& state, const MissingDriveRecord& drive) {
  return Sprintf("[%s, S/N:%s] - %s\r\n\r\n", Shown(drive.model).c_str(), Shown(drive.serial).c_str(),
                 M(state, 40));
}

std::string TecAlertText(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s %s, %.1f GB [S/N:%s] %s\r\n%s\r\n%s\r\n\r\n", M(state, 6), Shown(rec.model).c_str(),
                 Gb(rec), Shown(rec.serial).c_str(), M(state, 7), M(state, 8), M(state, 9));
}

std::string TecBoxText(const MonitorState& state, const DriveRecord& rec) {
  return TecAlertText(state, rec) + state.Message(12);
}

std::string ChangeReport(const MonitorState& state, const DriveTables& tables) {
  std::string report;
  for (int d = 0; d < kMaxDrives; ++d) {
    const auto& list = state.changes[static_cast<std::size_t>(d)];
    const auto& growths = state.growths[static_cast<std::size_t>(d)];
    const DriveRecord& rec = tables.records[static_cast<std::size_t>(d)];
    if (!list.empty()) {
      report += DriveBlockHeader(state, rec, 2);
      for (const ChangeRecord& c : list)
        report += ChangeLines(state, rec, c.attributeId, c.oldValue, c.newValue);
    }
    if (!growths.empty()) {
      report += DriveBlockHeader(state, rec, 37);
      for (const SectorGrowthRecord& g : growths)
        report += GrowthLines(state, rec, g.attributeId, g.oldCount, g.newCount);
    }
  }
  for (const MissingDriveRecord& m : state.missing) report += MissingDriveText(state, m);
  return report;
}

std::string ChangePopupText(const MonitorState& state, const DriveRecord& rec, bool askMore) {
  if (askMore)
    return Sprintf("%s\n%s %s, %.1f GB.\n%s", M(state, 10), M(state, 11), Shown(rec.model).c_str(),
                   Gb(rec), M(state, 12));
  return Sprintf("%s\n%s %s, %.1f GB.\n", M(state, 10), M(state, 11), Shown(rec.model).c_str(), Gb(rec));
}

std::string StatusBlockHeader(const MonitorState& state, const DriveRecord& rec) {
  return Sprintf("%s %s, %.1f GB, S/N:%s\n", M(state, 32), Shown(rec.model).c_str(), Gb(rec),
                 Shown(rec.serial).c_str());
}

std::string ComposeDriveStatus(const MonitorState& state, const DriveRecord& rec, int compact) {
  if (rec.smartSupported == 0) return state.Message(20);
  std::string out;
  const auto& list = state.changes[static_cast<std::size_t>(std::clamp(rec.driveNumber, 0, kMaxDrives - 1))];
  const int c = static_cast<int>(list.size());
  if (rec.asleep) return (compact ? "" : " ") + state.Message(41);
  if (rec.IsDisk()) {
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
    if (!state.growths[static_cast<std::size_t>(std::clamp(rec.driveNumber, 0, kMaxDrives - 1))]
             .empty())
      out += " " + state.Message(37) + ". ";
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
