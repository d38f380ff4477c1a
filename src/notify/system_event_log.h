// Warning events for administrators, through the system log (syslog):
// attribute changes and T.E.C. alerts, each with four strings.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace torvel {

inline constexpr unsigned kEventAttributeChanged = 0x80000001;
inline constexpr unsigned kEventThresholdExceeded = 0x80000002;

// The datagram as the C library's syslog() sends it to /dev/log, which
// journald and rsyslog parse: "<PRI>Mmm dd hh:mm:ss Torvel[PID]: message",
// no host name. Facility user, severity warning; the message is the event id
// in hex and the four strings in order, converted to UTF-8, with control
// characters (drive data may hold any byte) written as \xNN.
std::string BuildSyslogDatagram(unsigned eventId, const std::string& s1, const std::string& s2,
                                const std::string& s3, const std::string& s4, const std::tm& now,
                                long pid);

class SystemEventLog {
 public:
  using Clock = std::function<std::tm()>;
  // Whether the system keeps an event log: only the per-drive (NT) path has one.
  using Available = std::function<bool()>;

  SystemEventLog(Available available, std::string socketPath, Clock clock = {});

  // The source needs no registration with syslog: nothing to write, nothing to fail.
  void RegisterEventLogSource() {}

  // False while the event log is not available, or when the
  // datagram could not be delivered.
  bool ReportAlertEvent(unsigned eventId, const std::string& s1, const std::string& s2,
                        const std::string& s3, const std::string& s4);

 private:
  Available available_;
  std::string socketPath_;
  Clock clock_;
};

}  // namespace torvel
