// Everything one check runs in, built in one place: the drive tables and
// channel, the log file, the system event log, the mail worker and the
// alert transports, the monitor state and the check's context. The resident
// core's frame (and through it the main window's check) and `torvelctl
// check` each own one, so "one check as the resident core makes it" holds
// by construction.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "monitor/monitor_context.h"
#include "monitor/monitor_state.h"
#include "notify/event_log_file.h"

namespace torvel {

class AlertTransports;
class CompletionEvent;
class DeviceChannel;
class DriveBackend;
class SmtpWorker;
class SystemEventLog;
class SystemInfo;
struct MailWorkerHooks;

// What the program lends the world; all of it outlives the world.
struct CheckWorldParts {
  SettingsStore& store;
  TraceLog& trace;
  DriveBackend& backend;
  const SystemInfo& system;
  // Boxes: the desktop's, or lines on standard error.
  UiServices& ui;
  SoundService& sound;
  // The main window and the launcher, as far as the program has them.
  FrameServices& frame;
  std::function<std::int64_t()> now;  // seconds since 1970
  std::function<std::tm()> localNow;
  // torvel.log: the current folder's for the core, the data folder's for
  // torvelctl.
  std::string logPath = EventLogFile::kFileName;
};

class CheckWorld {
 public:
  // `onMailDone` runs when the mail completion event is set (it wakes the
  // loop that may wait for it).
  CheckWorld(CheckWorldParts parts, MailWorkerHooks hooks, std::function<void()> onMailDone = {});
  ~CheckWorld();
  CheckWorld(const CheckWorld&) = delete;
  CheckWorld& operator=(const CheckWorld&) = delete;

  // The start-up before the first check: the event-log source, the
  // "Messages" texts, a fresh trace, the first-run defaults, the system
  // summary, `startedLine` in the trace, the drive refresh.
  void StartUp(const char* startedLine);
  void ReloadTexts();
  void RefreshDrives();
  // Read disks in standby too (spinning them up), whatever WakeSleeping says.
  void SetWakeSleeping(bool wake) { wakeSleeping_ = wake; }
  // CheckAllDrives on this world.
  bool Check(int interactive, int recordLastCheck);
  // SaveAttributeBaseline with this world's change counts. Empty when it was
  // saved, else why not (also traced).
  std::string SaveBaseline();
  // Traces the settings writes that failed since the last call; returns
  // their text (empty when none).
  std::string TraceWriteFailures();

  DriveTables& tables() { return *tables_; }
  DeviceChannel& channel() { return *channel_; }
  EventLogFile& log() { return *log_; }
  AlertTransports& transports() { return *transports_; }
  CompletionEvent& mailDone() { return *mailDone_; }
  MonitorState& state() { return state_; }
  StatusSummary& summary() { return summary_; }
  MonitorContext& context() { return *ctx_; }

 private:
  CheckWorldParts p_;
  std::unique_ptr<DriveTables> tables_;
  std::unique_ptr<DeviceChannel> channel_;
  std::unique_ptr<EventLogFile> log_;
  std::unique_ptr<SystemEventLog> events_;
  MonitorState state_;
  StatusSummary summary_;
  std::unique_ptr<CompletionEvent> mailDone_;
  std::unique_ptr<SmtpWorker> worker_;
  std::unique_ptr<AlertTransports> transports_;
  std::unique_ptr<MonitorContext> ctx_;
  bool wakeSleeping_ = false;
};

}  // namespace torvel
