// Warning events for administrators, through the system log (syslog):
// attribute changes and T.E.C. alerts, each with four strings.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace torvel {

class DeviceChannel;

inline constexpr unsigned kEventAttributeChanged = 0x80000001;
inline constexpr unsigned kEventThresholdExceeded = 0x80000002;

// The RFC 3164 datagram: facility user, severity warning, tag "Torvel", the
// event id in hex and the four strings in order (converted to UTF-8).
std::string BuildSyslogDatagram(unsigned eventId, const std::string& s1, const std::string& s2,
                                const std::string& s3, const std::string& s4, const std::tm& now,
                                const std::string& hostName);

class SystemEventLog {
 public:
  using Clock = std::function<std::tm()>;

  SystemEventLog(const DeviceChannel& channel, std::string socketPath, Clock clock = {});

  // The source needs no registration with syslog: nothing to write, nothing to fail.
  void RegisterEventLogSource() {}

  // False while the channel is not on the per-drive path, or when the
  // datagram could not be delivered.
  bool ReportAlertEvent(unsigned eventId, const std::string& s1, const std::string& s2,
                        const std::string& s3, const std::string& s4);

 private:
  const DeviceChannel& channel_;
  std::string socketPath_;
  Clock clock_;
};

}  // namespace torvel
