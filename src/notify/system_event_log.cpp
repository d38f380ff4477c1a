#include "notify/system_event_log.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

#include "base/time_format.h"
#include "base/codepage.h"
#include "platform/syslog_socket.h"

namespace torvel {
namespace {
constexpr int kFacilityUser = 1;
constexpr int kSeverityWarning = 4;
}  // namespace

std::string BuildSyslogDatagram(unsigned eventId, const std::string& s1, const std::string& s2,
                                const std::string& s3, const std::string& s4, const std::tm& now,
                                long pid) {
  char head[64];
  std::snprintf(head, sizeof head, "<%d>", kFacilityUser * 8 + kSeverityWarning);
  char id[16];
  std::snprintf(id, sizeof id, "0x%08X", eventId);
  const std::string message = std::string("event ") + id + ": " + s1 + "; " + s2 + "; " + s3 + "; " + s4;
  return std::string(head) + FormatSyslogStamp(now) + " Torvel[" + std::to_string(pid) +
         "]: " + Cp1252ToUtf8(EscapeControls(message));
}

SystemEventLog::SystemEventLog(Available available, std::string socketPath, Clock clock)
    : available_(std::move(available)), socketPath_(std::move(socketPath)),
      clock_(clock ? std::move(clock) : Clock(LocalNow)) {}

bool SystemEventLog::ReportAlertEvent(unsigned eventId, const std::string& s1,
                                      const std::string& s2, const std::string& s3,
                                      const std::string& s4) {
  if (!available_()) return false;
  return SendSyslogDatagram(socketPath_,
                            BuildSyslogDatagram(eventId, s1, s2, s3, s4, clock_(), getpid()));
}

}  // namespace torvel
