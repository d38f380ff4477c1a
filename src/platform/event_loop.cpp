#include "platform/event_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

namespace torvel {
namespace {

class PollEventLoop final : public EventLoop {
 public:
  PollEventLoop() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  }
  ~PollEventLoop() override { close(wakeFd_); }
  PollEventLoop(const PollEventLoop&) = delete;
  PollEventLoop& operator=(const PollEventLoop&) = delete;

  void Watch(int fd, std::function<void()> ready) override {
    std::lock_guard lock(mutex_);
    watches_[fd] = std::make_shared<Callback>(std::move(ready));
    // A loop in poll() (necessarily on another thread) must pick up the new set.
    if (polling_ > 0) Wake();
  }

  void Unwatch(int fd) override {
    // No wake-up needed: a stale readiness is dropped at dispatch.
    std::lock_guard lock(mutex_);
    watches_.erase(fd);
  }

  void Post(std::function<void()> task) override {
    {
      std::lock_guard lock(mutex_);
      posted_.push_back(std::move(task));
    }
    Wake();
  }

  void RunUntil(const std::function<bool()>& done) override {
    // Locals, not members: a nested RunUntil builds its own set.
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<Callback>> polled;
    while (!done()) {
      if (RunOnePosted()) continue;

      fds.assign(1, pollfd{wakeFd_, POLLIN, 0});
      polled.clear();
      {
        std::lock_guard lock(mutex_);
        for (const auto& [fd, callback] : watches_) {
          fds.push_back(pollfd{fd, POLLIN, 0});
          polled.push_back(callback);
        }
        ++polling_;
      }
      const int ready = poll(fds.data(), fds.size(), -1);
      const int error = errno;
      {
        std::lock_guard lock(mutex_);
        --polling_;
      }
      if (ready < 0) {
        if (error == EINTR) continue;
        throw std::system_error(error, std::generic_category(), "poll");
      }
      if (fds[0].revents != 0) {
        std::uint64_t count;
        [[maybe_unused]] const auto n = read(wakeFd_, &count, sizeof count);
      }
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        if (!StillWatched(fds[i], polled[i - 1])) continue;
        // `polled` keeps the callback alive even if it unwatches itself.
        (*polled[i - 1])();
        if (done()) return;
      }
    }
  }

 private:
  using Callback = std::function<void()>;

  void Wake() {
    const std::uint64_t one = 1;
    // Fails only when the counter is saturated, and then the loop wakes anyway.
    [[maybe_unused]] const auto n = write(wakeFd_, &one, sizeof one);
  }

  bool RunOnePosted() {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return false;
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    task();
    return true;
  }

  // An earlier callback in the same round may have unwatched or replaced
  // this watch; its readiness then belongs to nobody.
  bool StillWatched(const pollfd& p, const std::shared_ptr<Callback>& callback) {
    std::lock_guard lock(mutex_);
    const auto it = watches_.find(p.fd);
    if (it == watches_.end() || it->second != callback) return false;
    if (p.revents & POLLNVAL) {
      // Closed without Unwatch: it would report POLLNVAL forever.
      watches_.erase(it);
      return false;
    }
    return true;
  }

  const int wakeFd_;
  std::mutex mutex_;
  std::map<int, std::shared_ptr<Callback>> watches_;
  std::deque<std::function<void()>> posted_;
  int polling_ = 0;  // RunUntil calls inside poll() right now
};

}  // namespace

std::unique_ptr<EventLoop> MakePollEventLoop() { return std::make_unique<PollEventLoop>(); }

}  // namespace torvel
