// Everything a check and an alert reach beyond the drive tables: the
// settings, the log file, and the services the application wires in (the
// desktop ones through small interfaces, so tests script them).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "drive/drive_tables.h"
#include "monitor/schedule.h"

namespace torvel {

class EventLogFile;
class SettingsStore;
class SoundService;
class TraceLog;
class UiServices;

// Alert transports: e-mail, network message, the system event log.
class AlertChannels {
 public:
  virtual ~AlertChannels() = default;
  virtual int SendAlertMail(const std::string& text) = 0;
  virtual int SendNetworkAlert(int drive, const std::string& text) = 0;
  virtual void ReportAlertEvent(unsigned eventId, const std::string& s1, const std::string& s2,
                                const std::string& s3, const std::string& s4) = 0;
};

// What the monitor frame does for a check.
class FrameServices {
 public:
  virtual ~FrameServices() = default;
  // Runs the main window modally; true when it ended with OK.
  virtual bool OpenMainWindow(int startTab) = 0;
  // (major << 16) | minor of a system library, 0 when unknown.
  virtual std::uint32_t GetModuleVersion(const std::string& library) = 0;
  // WM_COPYDATA to the launcher, if it runs: `data` is the 256-byte summary,
  // or empty when the user asked for more information; `tray` is what the
  // check found, which the summary may have been cut before.
  virtual void ReportToLauncher(const std::string& data, TrayState tray) = 0;
};

inline constexpr std::uint32_t kModernControlsVersion = 0x60000;

struct MonitorContext {
  DriveTables& tables;
  SettingsStore& store;
  TraceLog& trace;
  EventLogFile& log;
  UiServices& ui;
  SoundService& sound;
  AlertChannels& channels;
  FrameServices& frame;
  std::function<std::int64_t()> now;  // seconds since 1970
};

}  // namespace torvel
