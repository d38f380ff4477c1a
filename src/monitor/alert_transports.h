// The alert channels as the core and torvelctl wire them: e-mail through the
// frame's SMTP worker, network messages, and the system event log.
#pragma once

#include <ctime>
#include <functional>

#include "monitor/monitor_context.h"
#include "platform/window_messages.h"

namespace torvel {

class CompletionEvent;
class EventLogFile;
class SettingsStore;
class SmtpWorker;
class SystemEventLog;
class SystemInfo;
class TraceLog;
class UiServices;
struct TextTable;

struct TransportParts {
  SettingsStore& store;
  EventLogFile& log;
  TraceLog& trace;
  const TextTable& messages;
  UiServices& ui;
  const SystemInfo& system;
  SystemEventLog& events;
  SmtpWorker& worker;
  CompletionEvent& mailDone;
  std::function<std::tm()> localNow;
};

class AlertTransports final : public AlertChannels {
 public:
  explicit AlertTransports(TransportParts parts) : p_(parts) {}

  // The window told of each mail's outcome (the frame in open mode).
  void SetNotifyWindow(WindowHandle window) { notifyWindow_ = window; }

  int SendAlertMail(const std::string& text) override;
  int SendNetworkAlert(int drive, const std::string& text) override;
  // A message the user sends (the preferences page's test message).
  void SendNetMessage(const std::string& name, const std::string& text);
  void ReportAlertEvent(unsigned eventId, const std::string& s1, const std::string& s2,
                        const std::string& s3, const std::string& s4) override;

 private:
  TransportParts p_;
  WindowHandle notifyWindow_ = kNoWindow;
};

}  // namespace torvel
