#include "notify/net_message.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "config/language.h"
#include "config/settings.h"
#include "notify/event_log_file.h"
#include "notify/net_message_winpopup.h"
#include "base/sprintf.h"
#include "base/codepage.h"
#include "platform/system_info.h"
#include "platform/ui_services.h"

extern char** environ;

namespace torvel {
namespace {

// NetMessageBufferSend's results.
constexpr int kNerrSuccess = 0;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorNotSupported = 50;
constexpr int kErrorInvalidParameter = 87;
constexpr int kNerrNetworkError = 2136;
constexpr int kNerrNameNotFound = 2273;

bool Contains(const std::string& text, const char* what) { return text.find(what) != std::string::npos; }

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Feeds `input` to the child's standard input and collects everything it
// writes until it closes its output or the deadline passes.
std::string Exchange(int& in, int& out, const std::string& input, pid_t child,
                     std::chrono::milliseconds timeout, bool& timedOut) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string output;
  std::size_t sent = 0;
  if (input.empty()) CloseFd(in);
  while (out >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(child, SIGKILL);
      timedOut = true;
      break;
    }
    std::array<pollfd, 2> fds{{{out, POLLIN, 0}, {in, POLLOUT, 0}}};
    if (poll(fds.data(), in >= 0 ? 2 : 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
      break;
    if (in >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      // A socket, not a pipe: a child that never reads cannot raise SIGPIPE here.
      const ssize_t n = send(in, input.data() + sent, input.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) sent += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || sent == input.size()) CloseFd(in);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[4096];
      const ssize_t n = read(out, buf, sizeof buf);
      if (n > 0)
        output.append(buf, static_cast<std::size_t>(n));
      else if (n == 0 || errno != EINTR)
        CloseFd(out);
    }
  }
  return output;
}

}  // namespace

std::string BuildMailslotRecord(const std::string& computerName, const std::string& recipient,
                                const std::string& oemText) {
  std::string record;
  record.reserve(computerName.size() + recipient.size() + oemText.size() + 3);
  record.append(computerName).push_back('\0');
  record.append(recipient).push_back('\0');
  record.append(oemText).push_back('\0');
  return record;
}

int WinPopupResult(int exitStatus, const std::string& output) {
  // smbclient ends with 0 even when the server turns the message down.
  if (exitStatus == 0 && !Contains(output, "cli_message returned")) return kNerrSuccess;
  if (Contains(output, "NT_STATUS_ACCESS_DENIED")) return kErrorAccessDenied;
  if (Contains(output, "NT_STATUS_INVALID_PARAMETER")) return kErrorInvalidParameter;
  if (Contains(output, "NT_STATUS_NOT_SUPPORTED")) return kErrorNotSupported;
  // smbclient names the failed connection in one line, whatever the status.
  if ((Contains(output, "Connection to ") && Contains(output, " failed")) ||
      Contains(output, "NT_STATUS_HOST_UNREACHABLE") || Contains(output, "NT_STATUS_BAD_NETWORK_NAME") ||
      Contains(output, "NT_STATUS_CONNECTION_REFUSED") || Contains(output, "NT_STATUS_IO_TIMEOUT") ||
      Contains(output, "NT_STATUS_OBJECT_NAME_NOT_FOUND") || Contains(output, "NT_STATUS_NOT_FOUND") ||
      Contains(output, "NT_STATUS_REQUEST_NOT_ACCEPTED") || Contains(output, "resolve"))
    return kNerrNameNotFound;
  return kNerrNetworkError;
}

int SendWinPopup(const std::string& name, const std::string& text) {
  return RunWinPopup(name, text, kWinPopupTimeout);
}

int RunWinPopup(const std::string& name, const std::string& text, std::chrono::milliseconds timeout) {
  int in[2];
  int out[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return kNerrNetworkError;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return kNerrNetworkError;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[1], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  std::string program = "smbclient", option = "-M", target = name, noPassword = "-N";
  char* argv[] = {program.data(), option.data(), target.data(), noPassword.data(), nullptr};
  pid_t child = -1;
  const int spawnError = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[1]);
  close(out[1]);
  if (spawnError != 0) {
    close(in[0]);
    close(out[0]);
    // Without Samba's client there is no way to send at all.
    return spawnError == ENOENT ? kErrorNotSupported : kNerrNetworkError;
  }
  bool timedOut = false;
  const std::string output = Exchange(in[0], out[0], Cp1252ToUtf8(text), child, timeout, timedOut);
  CloseFd(in[0]);
  CloseFd(out[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const int exitStatus = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return WinPopupResult(exitStatus, output);
}

void SendNetMessage(NetMessageContext& ctx, const std::string& name, const std::string& text) {
  if (ctx.system.GetVersionEx().platformId == kPlatformNT) {
    switch (SendWinPopup(name, text)) {
      case kErrorAccessDenied:
        ctx.ui.MessageBox("ERROR: Access denied.", "", kMbOk);
        break;
      case kErrorInvalidParameter:
        ctx.ui.MessageBox("ERROR: Invalid parameter.", "", kMbOk);
        break;
      case kErrorNotSupported:
        ctx.ui.MessageBox("ERROR: Not supported.", "", kMbOk);
        break;
      case kNerrNameNotFound:
        ctx.ui.MessageBox(Sprintf("ERROR: The name (%s) is not found", name.c_str()), "", kMbOk);
        break;
      default:
        break;
    }
  } else {
    // The 9x messenger: one record written to the recipient's mailslot.
    const std::string record = BuildMailslotRecord(ctx.computerName, name, Cp1252ToCp850(text));
    const std::string slot = "\\\\" + name + "\\MAILSLOT\\MESSNGR";
    const int fd = open(slot.c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (!ok) {
      ctx.ui.MessageBox(Sprintf("ERROR: The name (%s) is not found", name.c_str()), "Torvel", kMbOk);
      return;
    }
  }
  // The working-set trim that follows every send.
  malloc_trim(0);
}

int SendNetworkAlert(NetMessageContext& ctx, int /*drive*/, const std::string& text) {
  const std::string name = settings::NetworkUserNameForSending(ctx.store);
  if (name == settings::kNoNetworkUser) return 0;
  SendNetMessage(ctx, name, "Computer: " + ctx.computerName + "\r\nMessage from Torvel\r\n\r\n" + text);
  // Logged whatever LogEnable says.
  ctx.log.WriteLogEntry(kLogCategoryInfo,
                        Sprintf("%s %s\r\n\r\n", ctx.messages.Text(16).c_str(), name.c_str()));
  return 1;
}

}  // namespace torvel
