// A check's world for tests: simulated drives written from readable
// descriptions, a memory settings store, a real log file, and scripted
// desktop services that record what they were asked and answer as told.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "monitor/check.h"
#include "base/debug_trace.h"
#include "notify/event_log_file.h"
#include "platform/sound.h"
#include "platform/ui_services.h"
#include "support/temp_dir.h"

namespace torvel::test {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

// Answers boxes from `answers` in order; when it runs out, OK or No.
class ScriptedUi final : public UiServices {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void OpenHelpTopic(const std::string& topic) override { helpTopics.push_back(topic); }

  std::deque<int> answers;
  std::vector<ShownBox> boxes;
  std::vector<std::string> helpTopics;
};

class RecordingSound final : public SoundService {
 public:
  void PlayFileAsync(const std::string& fileName) override { played.push_back(fileName); }
  std::vector<std::string> played;
};

struct SentEvent {
  unsigned id = 0;
  std::vector<std::string> strings;
};

class RecordingChannels final : public AlertChannels {
 public:
  int SendAlertMail(const std::string& text) override;
  int SendNetworkAlert(int drive, const std::string& text) override;
  void ReportAlertEvent(unsigned eventId, const std::string& s1, const std::string& s2,
                        const std::string& s3, const std::string& s4) override;

  std::vector<std::string> mails;
  std::vector<std::pair<int, std::string>> netMessages;
  std::vector<SentEvent> events;
};

class ScriptedFrame final : public FrameServices {
 public:
  bool OpenMainWindow(int startTab) override;
  std::uint32_t GetModuleVersion(const std::string&) override { return controlsVersion; }
  void ReportToLauncher(const std::string& data, TrayState tray) override {
    reports.push_back(data);
    trays.push_back(tray);
  }

  bool mainWindowOk = true;
  std::uint32_t controlsVersion = kModernControlsVersion;
  std::vector<int> openedTabs;
  std::vector<std::string> reports;
  std::vector<TrayState> trays;
};

// A minimal healthy drive description; extend it with more lines.
std::string DriveDescription(const std::string& model, const std::string& serial,
                             const std::string& attributeLines, const std::string& status = "good");

struct MonitorHarness {
  MonitorHarness();

  // Writes simulated drive n from a description (the sample generator's format).
  void SetDrive(int n, const std::string& description);
  void RemoveDrive(int n);
  // Reads every drive again, as start-up does before a check.
  void Refresh();
  bool Check(int interactive = 1, int recordLastCheck = 1);
  // The log file's content.
  std::string Log() const;
  // A drive's saved attribute value, 255 when none.
  int Baseline(const std::string& serial, int id);

  TempDir dir;
  TraceLog trace;
  MemorySettingsStore store;
  EventLogFile log;
  DriveTables tables;
  ScriptedUi ui;
  RecordingSound sound;
  RecordingChannels channels;
  ScriptedFrame frame;
  std::int64_t now = 1173085442;  // 5 March 2007
  MonitorContext ctx;
  MonitorState state;
  StatusSummary summary;
};

}  // namespace torvel::test
