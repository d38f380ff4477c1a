#include "support/monitor_harness.h"

#include <filesystem>
#include <sstream>

#include "config/keys.h"
#include "drive/channel.h"
#include "drive/refresh.h"
#include "drive/simulated_backend.h"
#include "mksample/description.h"
#include "platform/system_info.h"
#include "support/trace_capture.h"
#include "monitor/baseline.h"

namespace torvel::test {

int ScriptedUi::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  boxes.push_back({text, caption, style});
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (style & 0xF) == kMbYesNo ? kIdNo : kIdOk;
}

int RecordingChannels::SendAlertMail(const std::string& text) {
  mails.push_back(text);
  return 1;
}

int RecordingChannels::SendNetworkAlert(int drive, const std::string& text) {
  netMessages.emplace_back(drive, text);
  return 1;
}

void RecordingChannels::ReportAlertEvent(unsigned eventId, const std::string& s1,
                                         const std::string& s2, const std::string& s3,
                                         const std::string& s4) {
  events.push_back({eventId, {s1, s2, s3, s4}});
}

bool ScriptedFrame::OpenMainWindow(int startTab) {
  openedTabs.push_back(startTab);
  return mainWindowOk;
}

std::string DriveDescription(const std::string& model, const std::string& serial,
                             const std::string& attributeLines, const std::string& status) {
  return "model = " + model + "\nserial = " + serial +
         "\nfirmware = 1.0\nsectors = 976773168\nlba48 = yes\nsmart = yes\nstatus = " + status +
         "\n" + attributeLines;
}

MonitorHarness::MonitorHarness()
    : trace(dir.File("debug.log"), FixedTime),
      log(trace, dir.File("torvel.log"), FixedTime),
      ctx{tables, store, trace, log, ui, sound, channels, frame, [this] { return now; }} {
  std::filesystem::create_directories(dir.path() / "drives");
  LoadSectionTexts("Messages", state.messages, store, trace);
}

void MonitorHarness::SetDrive(int n, const std::string& description) {
  std::istringstream in(description);
  const auto files = mksample::BuildDriveFiles(mksample::ParseDescription(in));
  const auto folder = dir.path() / "drives" / std::to_string(n);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : files) WriteFile(folder / name, bytes);
}

void MonitorHarness::RemoveDrive(int n) {
  std::filesystem::remove_all(dir.path() / "drives" / std::to_string(n));
}

void MonitorHarness::Refresh() {
  SimulatedBackend backend(dir.path() / "drives");
  const FixedSystemInfo system({kPlatformNT, 6, 1, 0, "Linux 6.1.0"}, {8664, 2});
  DeviceChannel channel(backend, system, trace);
  RefreshDrives(tables, channel, trace);
}

bool MonitorHarness::Check(int interactive, int recordLastCheck) {
  return CheckAllDrives(ctx, state, summary, interactive, recordLastCheck);
}

std::string MonitorHarness::Log() const { return ReadFile(log.path()); }

int MonitorHarness::Baseline(const std::string& serial, int id) {
  return store.GetProfileInt(serial, BaselineKey(id), 255);
}

}  // namespace torvel::test
