#include "monitor/check.h"

#include "base/debug_trace.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "drive/attribute_names.h"
#include "drive/smart_data.h"
#include "monitor/alert_texts.h"
#include "monitor/baseline.h"
#include "monitor/check_decisions.h"
#include "monitor/schedule.h"
#include "notify/event_log_file.h"
#include "base/sprintf.h"
#include "notify/system_event_log.h"
#include "platform/sound.h"
#include "platform/ui_services.h"

namespace torvel {
namespace {

void SelectDrive(MonitorContext& ctx, MonitorState& state, int d) {
  settings::SetSelectedDrive(ctx.store, d);
  state.alertDrive = d;
}

// Working values of one pass.
struct Pass {
  std::string temperaturePopup;
  std::string temperatureMessage;  // of the last drive found too hot
  int lastTecSlot = -1;
  bool blockWritten = false;
  // How the change alert goes out: every notifying finding adds its ways.
  AlertMethods changeMethods;
};

std::string EventAttributeText(int id, const DriveRecord& rec) {
  return Sprintf("%d - %s", id, std::string(AttributeDisplayName(id, rec)).c_str());
}

// The system-log event of an attribute's change or a sector count's growth.
void ReportAttributeChanged(MonitorContext& ctx, const DriveRecord& rec, int id,
                            const std::string& now, const std::string& before) {
  if (settings::UseEventLog(ctx.store) != 0)
    ctx.channels.ReportAlertEvent(kEventAttributeChanged, rec.model, EventAttributeText(id, rec), now,
                                  before);
}

// Keeps what names the drive in its section, so that it can be named once
// it stops answering, and notes that it answers again.
void RememberDrive(SettingsStore& store, const DriveRecord& rec) {
  namespace ds = settings::drive;
  const std::string& section = rec.Section();
  if (ds::Model(store, section) != rec.model) ds::SetModel(store, section, rec.model);
  if (ds::Serial(store, section) != rec.serial) ds::SetSerial(store, section, rec.serial);
  if (!rec.device.empty() && ds::Device(store, section) != rec.device)
    ds::SetDevice(store, section, rec.device);
  if (ds::Missing(store, section) != 0) ds::SetMissing(store, section, 0);
}

// Carries one drive's findings out, in the order the check has always
// taken: first sight, temperature, the drive's own T.E.C., then each
// attribute's change and threshold.
void ApplyDriveFindings(MonitorContext& ctx, MonitorState& state, StatusSummary& summary,
                        Pass& pass, int d, const DriveFindings& f, const DriveCheckSettings& s,
                        int recordLastCheck) {
  DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(d)];
  const AttributeTable& table = ctx.tables.attributes[static_cast<std::size_t>(d)];
  if (f.firstSight) {
    settings::drive::SetStartupDate(ctx.store, rec.Section(), static_cast<int>(ctx.now()));
    ctx.log.WriteLogEntry(kLogCategoryInfo, FirstSightText(state, rec));
  }
  RememberDrive(ctx.store, rec);
  if (!f.checked) return;
  ++state.checkedDrives;
  state.driveChecked[static_cast<std::size_t>(d)] = true;
  for (const auto& [id, count] : f.countsToRecord)
    settings::attribute::SetRawCount(ctx.store, rec.Section(), id, count);

  if (f.overTemperature) {
    state.temperatureAlert = 1;
    state.Found(d, kFoundTemperature);
    state.alertDrive = d;
    pass.temperatureMessage = TemperatureMessage(state, rec);
    if (s.temperaturePopup != 0) pass.temperaturePopup += pass.temperatureMessage;
  }
  if (f.reportedTec) {
    state.tecAlert = 1;
    state.Found(d, kFoundTec);
    SelectDrive(ctx, state, d);
  }

  const bool logEnabled = settings::LogEnable(ctx.store) != 0;
  for (const AttributeChange& c : f.changes) {
    state.changes[static_cast<std::size_t>(d)].push_back(
        {{}, static_cast<std::uint8_t>(c.saved), static_cast<std::uint8_t>(c.value), c.id});
    if (c.isTemperature) continue;
    if (c.notifies) {
      state.changeAlert = 1;
      state.Found(d, kFoundChange);
    }
    SelectDrive(ctx, state, d);
    const int threshold = table.thresholds[static_cast<std::size_t>(c.slot)].threshold;
    if (state.changeAlert && threshold != 0 && c.value < c.saved)
      EstimateTecDate(ctx.tables, ctx.store, ctx.trace, d, c.slot, c.saved, ctx.now());
    if (logEnabled && c.logged) {
      ctx.log.WriteLogEntry(kLogCategoryAlert, ChangeLogText(state, rec, c.id, c.saved, c.value));
      ReportAttributeChanged(ctx, rec, c.id, std::to_string(c.value), std::to_string(c.saved));
    }
  }
  for (const SectorGrowth& g : f.growths) {
    state.growths[static_cast<std::size_t>(d)].push_back({g.id, g.saved, g.count});
    state.changeAlert = 1;
    state.Found(d, kFoundSectorGrowth);
    SelectDrive(ctx, state, d);
    if (!logEnabled) continue;
    ctx.log.WriteLogEntry(kLogCategoryAlert, SectorGrowthLogText(state, rec, g.id, g.saved, g.count));
    ReportAttributeChanged(ctx, rec, g.id, std::to_string(g.count), std::to_string(g.saved));
  }
  if (f.ChangeFound()) pass.changeMethods.Add(f.changeMethods);
  for (int slot : f.tecSlots) {
    rec.tec = 1;
    state.tecAlert = 1;
    state.Found(d, kFoundTec);
    SelectDrive(ctx, state, d);
    pass.lastTecSlot = slot;
    ++rec.badAttributes;
  }

  if (recordLastCheck == 1)
    settings::drive::SetLastCheck(ctx.store, rec.Section(), static_cast<int>(ctx.now()));

  if (pass.blockWritten) summary.Append("\n--\n");
  pass.blockWritten = true;
  summary.Append(StatusBlockHeader(state, rec));
  summary.Append("[");
  summary.Append(ComposeDriveStatus(state, rec, 1));
  summary.Append("]");
}

// One drive: read what the check needs, decide, carry it out. Drive by
// drive, so a drive sees what an earlier drive of the same section wrote.
void CheckDrive(MonitorContext& ctx, MonitorState& state, StatusSummary& summary, Pass& pass,
                int d, int recordLastCheck) {
  DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(d)];
  rec.badAttributes = 0;
  if (rec.asleep) {
    // Left asleep: what was read before is no news, and its absence no loss.
    ++state.asleepDrives;
    if (rec.InUse()) {
      if (pass.blockWritten) summary.Append("\n--\n");
      pass.blockWritten = true;
      summary.Append(StatusBlockHeader(state, rec));
      summary.Append("[" + ComposeDriveStatus(state, rec, 1) + "]");
    }
    return;
  }
  if (!rec.InUse()) return;
  if (rec.IsDisk()) ++state.readDrives;
  const AttributeTable& table = ctx.tables.attributes[static_cast<std::size_t>(d)];
  const DriveCheckSettings s = ReadDriveCheckSettings(ctx.store, rec, table);
  ApplyDriveFindings(ctx, state, summary, pass, d, DecideDrive(rec, table, s), s, recordLastCheck);
}

std::string TecEventSubject(const DriveRecord& rec) {
  return Sprintf("%s, %.1f GB [S/N:%s]", rec.model.c_str(), static_cast<double>(rec.capacity),
                 rec.serial.c_str());
}

// An alert mail, unless MailRepeat says this one went out already.
void SendMailIfDue(MonitorContext& ctx, const std::string& text) {
  const std::uint32_t hash = MailTextHash(text);
  const std::int64_t now = ctx.now();
  if (!MailDue(settings::MailRepeat(ctx.store), hash,
               static_cast<std::uint32_t>(settings::LastMailHash(ctx.store)), now,
               settings::LastMailTime(ctx.store))) {
    ctx.trace.DebugTrace("Alert mail not repeated (MailRepeat %d)\n", settings::MailRepeat(ctx.store));
    return;
  }
  settings::SetLastMail(ctx.store, static_cast<int>(hash), static_cast<int>(now));
  ctx.channels.SendAlertMail(text);
}

void WarningBox(MonitorContext& ctx, const std::string& text, unsigned style) {
  ctx.ui.MessageBox(text, kBoxCaption, style | kMbIconWarning);
}

// Drives the store holds a baseline for that did not answer this time: each
// is a finding once, until it has answered again.
void FindMissingDrives(MonitorContext& ctx, MonitorState& state, Pass& pass) {
  namespace ds = settings::drive;
  std::vector<std::string> present;
  std::vector<std::string> sleeping;  // device nodes of disks not identified
  for (const DriveRecord& rec : ctx.tables.records) {
    if (rec.InUse()) present.push_back(rec.Section());
    else if (rec.asleep && !rec.device.empty()) sleeping.push_back(rec.device);
  }
  if (!sleeping.empty()) {
    for (const std::string& section : SectionsWithBaseline(ctx.store.Dump()))
      if (std::find(sleeping.begin(), sleeping.end(), ds::Device(ctx.store, section)) != sleeping.end())
        present.push_back(section);
  }
  const std::vector<std::string> missing =
      MissingSections(SectionsWithBaseline(ctx.store.Dump()), present,
                      [&ctx](const std::string& s) { return ds::Missing(ctx.store, s) != 0; });
  const bool logEnabled = settings::LogEnable(ctx.store) != 0;
  for (const std::string& section : missing) {
    MissingDriveRecord m{ds::Model(ctx.store, section), ds::Serial(ctx.store, section)};
    // A store from before drives were remembered knows the section's name only.
    if (m.serial.empty()) m.serial = section;
    ds::SetMissing(ctx.store, section, 1);
    state.missing.push_back(m);
    state.changeAlert = 1;
    state.findings |= kFoundMissingDrive;
    pass.changeMethods.Add(ReadChangeMethods(ctx.store, section));
    ctx.trace.DebugTrace("Drive no longer answers: %s\n", section.c_str());
    if (logEnabled) ctx.log.WriteLogEntry(kLogCategoryAlert, MissingDriveText(state, m));
  }
}

// The change pop-up: the alert drive's, or the first missing drive's when
// no answering drive changed.
std::string ChangeBoxText(const MonitorState& state, const DriveRecord& rec, bool askMore) {
  const auto d = static_cast<std::size_t>(state.alertDrive);
  if (state.changes[d].empty() && state.growths[d].empty() && !state.missing.empty())
    return state.Message(10) + "\n" + MissingDriveText(state, state.missing.front()) +
           (askMore ? state.Message(12) : std::string());
  return ChangePopupText(state, rec, askMore);
}

}  // namespace

void SaveBaseline(MonitorContext& ctx, const MonitorState& state) {
  SaveAttributeBaseline(ctx.tables, ctx.store, state.ChangeCounts());
}

void PlayAlertSound(MonitorContext& ctx) {
  if (settings::PlaySound(ctx.store) == 0) return;
  ctx.sound.PlayFileAsync(settings::Sound(ctx.store));
}

bool DispatchAlert(MonitorContext& ctx, MonitorState& state, int drive, const std::string& text,
                   int showPopup, int askMore, const std::string& boxText) {
  namespace ds = settings::drive;
  const DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(drive)];
  PlayAlertSound(ctx);
  if (settings::LogEnable(ctx.store) != 0) ctx.log.WriteLogEntry(kLogCategoryAlert, text);

  const bool custom = ds::UseCustomNotify(ctx.store, rec.Section()) != 0;
  if ((custom ? ds::Email(ctx.store, rec.Section()) : settings::Email(ctx.store)) != 0)
    SendMailIfDue(ctx, text);
  if ((custom ? ds::Netsend(ctx.store, rec.Section()) : settings::Netsend(ctx.store)) != 0)
    ctx.channels.SendNetworkAlert(drive, text);
  if (showPopup == 0) return true;

  int popup = 1;
  if (custom) {
    const std::string& alertSection =
        ctx.tables.records[static_cast<std::size_t>(state.alertDrive)].Section();
    popup = state.tecAlert ? ds::Popup(ctx.store, alertSection)
                           : ds::ChangePopup(ctx.store, alertSection);
  } else {
    popup = settings::Popup(ctx.store);
  }
  if (popup == 0) return true;

  if (askMore == 0) {
    WarningBox(ctx, text, kMbOk | kMbSystemModal);
    return true;
  }
  if (ctx.ui.MessageBox(boxText.empty() ? text : boxText, kBoxCaption,
                        kMbYesNo | kMbIconWarning | kMbSystemModal) == kIdYes &&
      !ctx.frame.OpenMainWindow(1)) {
    SaveBaseline(ctx, state);
    return false;
  }
  return true;
}

bool CheckAllDrives(MonitorContext& ctx, MonitorState& state, StatusSummary& summary,
                    int interactive, int recordLastCheck) {
  namespace ds = settings::drive;
  state.changeAlert = 0;
  state.temperatureAlert = 0;
  for (auto& list : state.changes) list.clear();
  state.alertDrive = 0;
  state.moreInformation = 0;
  state.findings = 0;
  state.driveFindings.fill(0);
  state.driveChecked.fill(false);
  for (auto& list : state.growths) list.clear();
  state.missing.clear();
  state.checkedDrives = 0;
  state.readDrives = 0;
  state.asleepDrives = 0;
  settings::SetSelectedDrive(ctx.store, 0);
  summary.Clear();
  Pass pass;

  for (int d = 0; d < kMaxDrives; ++d) CheckDrive(ctx, state, summary, pass, d, recordLastCheck);
  // When nothing answered, the drives were not read, not gone.
  if (state.readDrives > 0) FindMissingDrives(ctx, state, pass);

  const int j = state.alertDrive;
  const DriveRecord& rec = ctx.tables.records[static_cast<std::size_t>(j)];
  const bool notify =
      ds::EnableSmartNotify(ctx.store, rec.Section()) != 0 || !state.missing.empty();

  switch (ChooseAlert(state.tecAlert != 0, state.temperatureAlert != 0, state.changeAlert != 0,
                      notify)) {
    case AlertKind::kTec: {
      if (settings::UseEventLog(ctx.store) != 0) {
        std::string attribute, value, threshold;
        if (rec.badAttributes != 0 && pass.lastTecSlot >= 0) {
          const auto slot = static_cast<std::size_t>(pass.lastTecSlot);
          const AttributeTable& table = ctx.tables.attributes[static_cast<std::size_t>(j)];
          const int id = table.attributes[slot].id;
          attribute = EventAttributeText(id, rec);
          value = std::to_string(table.attributes[slot].value);
          threshold = std::to_string(table.thresholds[slot].threshold);
        }
        ctx.channels.ReportAlertEvent(kEventThresholdExceeded, TecEventSubject(rec), attribute,
                                      value, threshold);
      }
      if (!DispatchAlert(ctx, state, j, TecAlertText(state, rec), 1, 1, TecBoxText(state, rec)))
        return false;
      state.tecAlert = 0;
      break;
    }
    case AlertKind::kTemperature:
      PlayAlertSound(ctx);
      DispatchAlert(ctx, state, j, pass.temperatureMessage, 0, 1);
      if (!pass.temperaturePopup.empty())
        WarningBox(ctx, pass.temperaturePopup, kMbOk | kMbSystemModal);
      state.temperatureAlert = 0;
      break;
    case AlertKind::kChange: {
      PlayAlertSound(ctx);
      const std::string report = ChangeReport(state, ctx.tables);
      const AlertMethods& ways = pass.changeMethods;
      if (ways.email) SendMailIfDue(ctx, report);
      if (ways.netsend) ctx.channels.SendNetworkAlert(j, report);
      if (!ways.popup) {
        state.changeAlert = 0;
      } else if (interactive == 0) {
        WarningBox(ctx, ChangeBoxText(state, rec, false), kMbOk | kMbSystemModal);
      } else if (ctx.ui.MessageBox(ChangeBoxText(state, rec, true), kBoxCaption,
                                   kMbYesNo | kMbIconWarning) == kIdYes) {
        state.moreInformation = 1;
        if (!ctx.frame.OpenMainWindow(1)) {
          SaveBaseline(ctx, state);
          return false;
        }
      }
      break;
    }
    case AlertKind::kNone:
      break;
  }

  // A finding that cleared may be mailed again when it comes back.
  if (state.findings == 0 && settings::LastMailHash(ctx.store) != 0) settings::SetLastMail(ctx.store, 0, 0);
  if (ctx.frame.GetModuleVersion("comctl32.dll") < kModernControlsVersion) SaveBaseline(ctx, state);
  ctx.frame.ReportToLauncher(state.moreInformation ? std::string() : summary.Bytes(),
                             TrayStateOfFindings(state.findings, state.checkedDrives));
  return true;
}

}  // namespace torvel
