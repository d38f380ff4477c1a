// The core's event loop. Until the GUI toolkit is needed the core waits in
// poll() on its own descriptors; once Qt is up, a Qt-backed loop takes over
// the same watches, so messages are served from either.
#pragma once

#include <functional>
#include <memory>

namespace torvel {

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // Calls `ready` on the loop's thread whenever `fd` is readable (or at end
  // of file, or on error). One watch per descriptor; watching it again
  // replaces the callback. Both are safe inside a callback, also on the
  // callback's own descriptor; unwatch before closing a descriptor.
  virtual void Watch(int fd, std::function<void()> ready) = 0;
  virtual void Unwatch(int fd) = 0;

  // Thread-safe: runs `task` on the loop's thread soon, waking the loop.
  virtual void Post(std::function<void()> task) = 0;

  // Serves watches and posted tasks until `done()` is true. `done` is tested
  // first and after every callback or task. Re-entrant: a callback may run
  // a nested RunUntil (a modal box does).
  virtual void RunUntil(const std::function<bool()>& done) = 0;
};

// poll(2) over the watched descriptors plus an eventfd for Post. Never wakes
// without a reason, so an idle process uses no CPU. Watch and Unwatch may
// also be called from other threads.
std::unique_ptr<EventLoop> MakePollEventLoop();

}  // namespace torvel
