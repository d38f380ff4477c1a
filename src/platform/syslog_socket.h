// Sends one datagram to the local syslog socket (/dev/log, or the path in
// TORVEL_SYSLOG_SOCKET so tests can listen).
#pragma once

#include <string>
#include <string_view>

namespace torvel {

inline constexpr const char* kSyslogSocket = "/dev/log";

std::string SyslogSocketPath();

// True when the whole datagram was accepted by the socket.
bool SendSyslogDatagram(const std::string& socketPath, std::string_view datagram);

// First label of the host name, as syslog's HOSTNAME field wants it.
std::string ShortHostName();

}  // namespace torvel
