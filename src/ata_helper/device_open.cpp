#include "ata_helper/device_open.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <cstdlib>
#include <memory>

#include "drive/sgio_backend.h"

namespace torvel {
namespace {

std::string Resolved(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

// "/dev/nvme<N>": a controller, never a namespace or another character device.
bool IsNvmeControllerName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() <= 4 || name.compare(0, 4, "nvme") != 0) return false;
  return name.find_first_not_of("0123456789", 4) == std::string::npos;
}

}  // namespace

DeviceOnlySysCalls::DeviceOnlySysCalls(SysCalls& inner, std::string devFolder,
                                       std::function<void()> raise, std::function<void()> lower)
    : inner_(inner),
      devFolder_(Resolved(devFolder)),
      raise_(std::move(raise)),
      lower_(std::move(lower)) {}

SysResult DeviceOnlySysCalls::DoOpen(const std::string& path, int flags) {
  // Exactly the SG_IO backend's flags: never write access, never O_CREAT.
  if (flags != SgioOpenFlags()) return {-1, EINVAL};
  const std::string real = Resolved(path);
  if (real.empty()) return {-1, errno ? errno : ENOENT};
  // A link from the device folder to anywhere else is not followed; ELOOP
  // is what O_NOFOLLOW answers for a link, too.
  if (devFolder_.empty() || real.size() <= devFolder_.size() + 1 ||
      real.compare(0, devFolder_.size() + 1, devFolder_ + "/") != 0)
    return {-1, ELOOP};

  if (raise_) raise_();
  const int fd = ::open(real.c_str(), flags | O_NOFOLLOW);
  const int openError = errno;
  if (lower_) lower_();
  if (fd < 0) return {-1, openError};
  struct stat st {};
  const bool ok = ::fstat(fd, &st) == 0 &&
                  (S_ISBLK(st.st_mode) || (S_ISCHR(st.st_mode) && IsNvmeControllerName(real)));
  if (!ok) {
    ::close(fd);
    return {-1, ENOTBLK};
  }
  return {fd, 0};
}

SysResult DeviceOnlySysCalls::DoNvmeAdmin(int fd, nvme_passthru_cmd& command) {
  if (raiseNvme_) raiseNvme_();
  const SysResult r = inner_.NvmeAdmin(fd, command);
  if (lowerNvme_) lowerNvme_();
  return r;
}

}  // namespace torvel
