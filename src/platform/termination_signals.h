// SIGTERM, SIGINT and SIGHUP (systemctl stop, Ctrl-C, the end of a session)
// as something the event loop serves, so a resident program can end the way
// it ends when asked to close: state saved, sockets removed.
#pragma once

#include <functional>

namespace torvel {

class WindowSystem;

class TerminationSignals {
 public:
  // Blocks the three signals in the calling thread, and so in every thread
  // it starts later: construct it before any other thread exists.
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // `onSignal` runs on the windows' loop with the signal's number. Watch
  // only once; the watch ends with `windows`, which must go first.
  void Watch(WindowSystem& windows, std::function<void(int)> onSignal);

  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  bool watched_ = false;
};

}  // namespace torvel
