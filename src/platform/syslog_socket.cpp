#include "platform/syslog_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace torvel {

std::string SyslogSocketPath() {
  const char* p = std::getenv("TORVEL_SYSLOG_SOCKET");
  return p && *p ? p : kSyslogSocket;
}

bool SendSyslogDatagram(const std::string& socketPath, std::string_view datagram) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ssize_t sent;
  do {
    sent = sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (sent < 0 && errno == EINTR);
  close(fd);
  return sent == static_cast<ssize_t>(datagram.size());
}

std::string ShortHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !*name) return "localhost";
  std::string s(name);
  return s.substr(0, s.find('.'));
}

}  // namespace torvel
