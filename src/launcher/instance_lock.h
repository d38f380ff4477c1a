// One launcher per user: an exclusive flock on a file in the runtime
// folder, held for the life of the object. The kernel drops it when the
// process ends, however it ends, so a crash never leaves a stale lock.
#pragma once

#include <filesystem>

namespace torvel {

class InstanceLock {
 public:
  // Tries once, without waiting.
  explicit InstanceLock(const std::filesystem::path& file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True only when another process holds the lock. A file that cannot be
  // opened says nothing either way; the window lookup still guards.
  bool HeldElsewhere() const { return heldElsewhere_; }

 private:
  int fd_ = -1;
  bool heldElsewhere_ = false;
};

}  // namespace torvel
