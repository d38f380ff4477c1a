#include "monitor/check.h"

#include "config/keys.h"
#include "config/settings_store.h"
#include "drive/smart_data.h"
#include "monitor/alert_texts.h"
#include "monitor/baseline.h"
#include "notify/event_log_file.h"
#include "base/sprintf.h"
#include "notify/system_event_log.h"
#include "platform/sound.h"
#include "platform/ui_services.h"

namespace torvel {
namespace {

constexpr const char* kDefaultSound = "alert.wav";

int OptionInt(MonitorContext& ctx, const char* key, int def) {
  return ctx.store.GetProfileInt(keys::kOptions, key, def);
}

int DriveInt(MonitorContext& ctx, const DriveRecord& rec, const std::string& key, int def) {
  return ctx.store.GetProfileInt(rec.serial, key, def);
}

// The drive's own key with custom notification, else the Options one.
int NotifyInt(MonitorContext& ctx, const DriveRecord& rec, bool custom, const char* driveKey,
              const char* optionKey, int def) {
  return custom ? DriveInt(ctx, rec, driveKey, def) : OptionInt(ctx, optionKey, def);
}

void SelectDrive(MonitorContext& ctx, MonitorState& state, int d) {
  ctx.store.WriteProfileInt(keys::kOptions, keys::kSelectedDrive, d);
  state.alertDrive = d;
}

// Working values of one pass.
struct Pass {
  std::string temperaturePopup;
  std::string temperatureMessage;  // of the last drive found too hot
  int lastTecSlot = -1;
  bool blockWritten = false;
};

bool ChangeNotifies(MonitorContext& ctx, const DriveRecord& rec, int id, int value) {
  if (DriveInt(ctx, rec, keys::AttributeKey(id, keys::kUseCustomThresholds), 0) == 0) return true;
  switch (DriveInt(ctx, rec, keys::AttributeKey(id, keys::kCustomNotify), 1)) {
    case 1:
      return true;
    case 2:
      return value <= DriveInt(ctx, rec, keys::AttributeKey(id, keys::kCriticalValue), -1);
    default:
      return false;
  }
}

void CheckAttributes(MonitorContext& ctx, MonitorState& state, Pass& pass, int d) {
  DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(d)];
  const AttributeTable& table = ctx.tables.attributes[static_cast<std::size_t>(d)];
  for (int s = 0; s < kAttributeSlots; ++s) {
    const AttributeEntry& entry = table.attributes[static_cast<std::size_t>(s)];
    const int id = entry.id;
    if (id == 0) continue;
    const int value = entry.value;
    const int threshold = table.thresholds[static_cast<std::size_t>(s)].threshold;
    const int saved = DriveInt(ctx, rec, BaselineKey(id), kNoBaseline) & 0xFF;

    if (saved != kNoBaseline && saved != value) {
      state.changes[static_cast<std::size_t>(d)].push_back(
          {{}, static_cast<std::uint8_t>(saved), static_cast<std::uint8_t>(value), id});
      // Temperature moves all the time: recorded, never alerted, and its
      // threshold is not tested in a pass where it moved.
      if (id == kTemperatureId) continue;
      if (ChangeNotifies(ctx, rec, id, value)) {
        state.changeAlert = 1;
        state.findings |= kFoundChange;
      }
      SelectDrive(ctx, state, d);
      if (state.changeAlert && threshold != 0 && value < saved)
        EstimateTecDate(ctx.tables, ctx.store, ctx.trace, d, s, saved, ctx.now());
      if (OptionInt(ctx, keys::kLogEnable, 1) != 0 &&
          DriveInt(ctx, rec, keys::AttributeKey(id, keys::kLogChanges), 1) != 0) {
        ctx.log.WriteLogEntry(kLogCategoryAlert, ChangeLogText(state, rec, id, saved, value));
        if (OptionInt(ctx, keys::kUseEventLog, 0) != 0)
          ctx.channels.ReportAlertEvent(kEventAttributeChanged, rec.model,
                                        Sprintf("%d - %s", id, std::string(AttributeName(id)).c_str()),
                                        std::to_string(value), std::to_string(saved));
      }
    }

    if (value <= threshold) {
      rec.tec = 1;
      state.tecAlert = 1;
      state.findings |= kFoundTec;
      SelectDrive(ctx, state, d);
      pass.lastTecSlot = s;
      ++rec.badAttributes;
    }
  }
}

void CheckDrive(MonitorContext& ctx, MonitorState& state, StatusSummary& summary, Pass& pass,
                int d, int recordLastCheck) {
  DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(d)];
  rec.badAttributes = 0;
  if (!rec.InUse()) return;

  if (DriveInt(ctx, rec, keys::kStartupDate, 0) == 0) {
    ctx.store.WriteProfileInt(rec.serial, keys::kStartupDate, static_cast<int>(ctx.now()));
    ctx.log.WriteLogEntry(kLogCategoryInfo, FirstSightText(state, rec));
  }

  if (rec.smartEnabled == 0 || DriveInt(ctx, rec, keys::kEnableSmartNotify, 1) == 0) return;

  const bool custom = DriveInt(ctx, rec, keys::kUseCustomNotify, 0) != 0;
  const int t = rec.temperature;
  if (NotifyInt(ctx, rec, custom, keys::kEnableTempNotify, keys::kEnableTempNotify, 1) != 0 &&
      t != 0 && t >= NotifyInt(ctx, rec, custom, keys::kCriticalTemp, keys::kCriticalTemp, t + 10)) {
    state.temperatureAlert = 1;
    state.findings |= kFoundTemperature;
    state.alertDrive = d;
    pass.temperatureMessage = TemperatureMessage(state, rec);
    if ((custom && DriveInt(ctx, rec, keys::kPopup, 1) != 0) || OptionInt(ctx, keys::kPopup, 1) != 0)
      pass.temperaturePopup += pass.temperatureMessage;
  }

  if (rec.tec != 0) {
    state.tecAlert = 1;
    state.findings |= kFoundTec;
    SelectDrive(ctx, state, d);
  }

  CheckAttributes(ctx, state, pass, d);

  if (recordLastCheck == 1)
    ctx.store.WriteProfileInt(rec.serial, keys::kLastCheck, static_cast<int>(ctx.now()));

  if (pass.blockWritten) summary.Append("\n--\n");
  pass.blockWritten = true;
  summary.Append(StatusBlockHeader(state, rec));
  summary.Append("[");
  summary.Append(ComposeDriveStatus(state, rec, 1));
  summary.Append("]");
}

std::string TecEventSubject(const DriveRecord& rec) {
  return Sprintf("%s, %.1f GB [S/N:%s]", rec.model.c_str(), static_cast<double>(rec.capacity),
                 rec.serial.c_str());
}

void WarningBox(MonitorContext& ctx, const std::string& text, unsigned style) {
  ctx.ui.MessageBox(text, kBoxCaption, style | kMbIconWarning);
}

}  // namespace

void SaveBaseline(MonitorContext& ctx, const MonitorState& state) {
  SaveAttributeBaseline(ctx.tables, ctx.store, state.ChangeCounts());
}

void PlayAlertSound(MonitorContext& ctx) {
  if (OptionInt(ctx, keys::kPlaySound, 1) == 0) return;
  ctx.sound.PlayFileAsync(ctx.store.GetProfileString(keys::kOptions, keys::kSound, kDefaultSound));
}

bool DispatchAlert(MonitorContext& ctx, MonitorState& state, int drive, const std::string& text,
                   int showPopup, int askMore) {
  const DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(drive)];
  PlayAlertSound(ctx);
  if (OptionInt(ctx, keys::kLogEnable, 1) != 0) ctx.log.WriteLogEntry(kLogCategoryAlert, text);

  const bool custom = DriveInt(ctx, rec, keys::kUseCustomNotify, 0) != 0;
  if (NotifyInt(ctx, rec, custom, keys::kEmail, keys::kEmail, 0) != 0)
    ctx.channels.SendAlertMail(text);
  if (NotifyInt(ctx, rec, custom, keys::kNetsend, keys::kNetsend, 0) != 0)
    ctx.channels.SendNetworkAlert(drive, text);
  if (showPopup == 0) return true;

  int popup = 1;
  if (custom) {
    const DriveRecord& alertRec = ctx.tables.records[static_cast<std::size_t>(state.alertDrive)];
    popup = DriveInt(ctx, alertRec, state.tecAlert ? keys::kPopup : keys::kChangePopup, 1);
  } else {
    popup = OptionInt(ctx, keys::kPopup, 1);
  }
  if (popup == 0) return true;

  if (askMore == 0) {
    WarningBox(ctx, text, kMbOk | kMbSystemModal);
    return true;
  }
  if (ctx.ui.MessageBox(text, kBoxCaption, kMbYesNo | kMbIconWarning | kMbSystemModal) == kIdYes &&
      !ctx.frame.OpenMainWindow(1)) {
    SaveBaseline(ctx, state);
    return false;
  }
  return true;
}

bool CheckAllDrives(MonitorContext& ctx, MonitorState& state, StatusSummary& summary,
                    int interactive, int recordLastCheck) {
  state.changeAlert = 0;
  state.temperatureAlert = 0;
  for (auto& list : state.changes) list.clear();
  state.alertDrive = 0;
  state.moreInformation = 0;
  state.findings = 0;
  ctx.store.WriteProfileInt(keys::kOptions, keys::kSelectedDrive, 0);
  summary.Clear();
  Pass pass;

  for (int d = 0; d < kMaxDrives; ++d) CheckDrive(ctx, state, summary, pass, d, recordLastCheck);

  const int j = state.alertDrive;
  const DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(j)];
  const bool custom = DriveInt(ctx, rec, keys::kUseCustomNotify, 0) != 0;
  const bool notify = DriveInt(ctx, rec, keys::kEnableSmartNotify, 1) != 0;

  if (state.tecAlert && notify) {
    if (OptionInt(ctx, keys::kUseEventLog, 0) != 0) {
      std::string attribute, value, threshold;
      if (rec.badAttributes != 0 && pass.lastTecSlot >= 0) {
        const auto slot = static_cast<std::size_t>(pass.lastTecSlot);
        const AttributeTable& table = ctx.tables.attributes[static_cast<std::size_t>(j)];
        const int id = table.attributes[slot].id;
        attribute = Sprintf("%d - %s", id, std::string(AttributeName(id)).c_str());
        value = std::to_string(table.attributes[slot].value);
        threshold = std::to_string(table.thresholds[slot].threshold);
      }
      ctx.channels.ReportAlertEvent(kEventThresholdExceeded, TecEventSubject(rec), attribute, value,
                                    threshold);
    }
    if (!DispatchAlert(ctx, state, j, TecAlertText(state, rec), 1, 1)) return false;
    state.tecAlert = 0;
  } else if (state.temperatureAlert) {
    PlayAlertSound(ctx);
    DispatchAlert(ctx, state, j, pass.temperatureMessage, 0, 1);
    if (!pass.temperaturePopup.empty())
      WarningBox(ctx, pass.temperaturePopup, kMbOk | kMbSystemModal);
    state.temperatureAlert = 0;
  } else if (state.changeAlert && notify) {
    PlayAlertSound(ctx);
    const std::string report = ChangeReport(state, ctx.tables);
    if (NotifyInt(ctx, rec, custom, keys::kChangeEmail, keys::kEmail, 0) != 0)
      ctx.channels.SendAlertMail(report);
    if (NotifyInt(ctx, rec, custom, keys::kChangeNetsend, keys::kNetsend, 0) != 0)
      ctx.channels.SendNetworkAlert(j, report);
    if (NotifyInt(ctx, rec, custom, keys::kChangePopup, keys::kPopup, 1) == 0) {
      state.changeAlert = 0;
    } else if (interactive == 0) {
      WarningBox(ctx, ChangePopupText(state, rec, false), kMbOk | kMbSystemModal);
    } else if (ctx.ui.MessageBox(ChangePopupText(state, rec, true), kBoxCaption,
                                 kMbYesNo | kMbIconWarning) == kIdYes) {
      state.moreInformation = 1;
      if (!ctx.frame.OpenMainWindow(1)) {
        SaveBaseline(ctx, state);
        return false;
      }
    }
  }

  if (ctx.frame.GetModuleVersion("comctl32.dll") < kModernControlsVersion) SaveBaseline(ctx, state);
  ctx.frame.ReportToLauncher(state.moreInformation ? std::string() : summary.Bytes());
  return true;
}

}  // namespace torvel
