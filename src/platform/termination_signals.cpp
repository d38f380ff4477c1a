#include "platform/termination_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "platform/window_messages.h"

namespace torvel {

namespace {
sigset_t TheSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  return set;
}
}  // namespace

TerminationSignals::TerminationSignals() {
  const sigset_t set = TheSignals();
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0)
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  // Without the descriptor the signals keep their default action.
  if (fd_ < 0) pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (fd_ >= 0) close(fd_);
}

void TerminationSignals::Watch(WindowSystem& windows, std::function<void(int)> onSignal) {
  if (fd_ < 0 || watched_) return;
  watched_ = true;
  windows.Watch(fd_, [this, onSignal = std::move(onSignal)] {
    signalfd_siginfo info;
    while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
      onSignal(static_cast<int>(info.ssi_signo));
  });
}

}  // namespace torvel
