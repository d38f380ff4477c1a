#include "launcher/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace torvel {

InstanceLock::InstanceLock(const std::filesystem::path& file) {
  // Close-on-exec: a core started by this launcher must not keep the lock
  // alive after the launcher is gone.
  fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return;
  int rc;
  do {
    rc = flock(fd_, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  heldElsewhere_ = rc != 0 && errno == EWOULDBLOCK;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace torvel
