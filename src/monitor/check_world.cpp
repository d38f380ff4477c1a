#include "monitor/check_world.h"

#include "config/settings.h"
#include "config/settings_store.h"

#include "base/debug_trace.h"
#include "config/language.h"
#include "config/profile.h"
#include "drive/channel.h"
#include "drive/refresh.h"
#include "monitor/alert_transports.h"
#include "monitor/check.h"
#include "notify/event_log_file.h"
#include "notify/mail.h"
#include "notify/system_event_log.h"
#include "notify/system_summary.h"
#include "platform/syslog_socket.h"

namespace torvel {

CheckWorld::CheckWorld(CheckWorldParts parts, MailWorkerHooks hooks,
                       std::function<void()> onMailDone)
    : p_(std::move(parts)),
      tables_(std::make_unique<DriveTables>()),
      channel_(std::make_unique<DeviceChannel>(p_.backend, p_.system, p_.trace)),
      log_(std::make_unique<EventLogFile>(p_.trace, p_.logPath)),
      events_(std::make_unique<SystemEventLog>([this] { return channel_->perDrive(); },
                                               SyslogSocketPath())),
      mailDone_(std::make_unique<CompletionEvent>(std::move(onMailDone))),
      worker_(std::make_unique<SmtpWorker>(p_.trace, std::move(hooks))) {
  transports_ = std::make_unique<AlertTransports>(
      TransportParts{p_.store, *log_, p_.trace, state_.messages, p_.ui, p_.system, *events_,
                     *worker_, *mailDone_, p_.localNow});
  ctx_ = std::make_unique<MonitorContext>(MonitorContext{*tables_, p_.store, p_.trace, *log_,
                                                         p_.ui, p_.sound, *transports_, p_.frame,
                                                         p_.now});
}

CheckWorld::~CheckWorld() {
  // The worker goes first: a mail in flight still uses the transports' parts.
  worker_.reset();
}

void CheckWorld::StartUp(const char* startedLine) {
  events_->RegisterEventLogSource();
  ReloadTexts();
  p_.trace.ResetDebugTrace();
  ApplyFirstRunDefaults(p_.store);
  TraceSystemSummary(p_.trace, p_.system);
  p_.trace.DebugTrace("%s\n", startedLine);
  state_.tecAlert = 0;
  state_.changeAlert = 0;
  RefreshDrives();
  mailDone_->Set();
}

void CheckWorld::ReloadTexts() { LoadSectionTexts("Messages", state_.messages, p_.store, p_.trace); }

void CheckWorld::RefreshDrives() {
  const bool wake = wakeSleeping_ || settings::WakeSleeping(p_.store) != 0;
  torvel::RefreshDrives(*tables_, *channel_, p_.trace, RefreshOptions{wake});
}

bool CheckWorld::Check(int interactive, int recordLastCheck) {
  const bool result = CheckAllDrives(*ctx_, state_, summary_, interactive, recordLastCheck);
  TraceWriteFailures();
  return result;
}

std::string CheckWorld::SaveBaseline() {
  TraceWriteFailures();
  torvel::SaveBaseline(*ctx_, state_);
  const std::string failed = p_.store.TakeWriteFailures();
  if (!failed.empty()) p_.trace.DebugTrace("The baseline was not saved: %s\n", failed.c_str());
  return failed;
}

std::string CheckWorld::TraceWriteFailures() {
  const std::string failed = p_.store.TakeWriteFailures();
  if (!failed.empty()) p_.trace.DebugTrace("Settings not written: %s\n", failed.c_str());
  return failed;
}

}  // namespace torvel
