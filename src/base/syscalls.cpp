#include "base/syscalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace torvel {
namespace {

template <class Call>
SysResult RetryOnEintr(Call call) {
  SysResult r;
  for (int attempt = 0; attempt < SysCalls::kEintrAttempts; ++attempt) {
    r = call();
    if (r.error != EINTR) break;
  }
  return r;
}

SysResult FromReturn(int value) { return {value, value < 0 ? errno : 0}; }

}  // namespace

SysResult SysCalls::Open(const std::string& path, int flags) {
  return RetryOnEintr([&] { return DoOpen(path, flags); });
}

SysResult SysCalls::SgIo(int fd, sg_io_hdr& header) {
  return RetryOnEintr([&] { return DoSgIo(fd, header); });
}

SysResult SysCalls::NvmeAdmin(int fd, nvme_passthru_cmd& command) {
  return RetryOnEintr([&] { return DoNvmeAdmin(fd, command); });
}

SysResult SysCalls::DoNvmeAdmin(int, nvme_passthru_cmd&) { return {-1, ENOTTY}; }

SysResult LinuxSysCalls::DoNvmeAdmin(int fd, nvme_passthru_cmd& command) {
  const int status = ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command);
  if (status > 0) return {status, EIO};
  return FromReturn(status);
}

SysResult LinuxSysCalls::DoOpen(const std::string& path, int flags) {
  return FromReturn(::open(path.c_str(), flags));
}

SysResult LinuxSysCalls::DoSgIo(int fd, sg_io_hdr& header) {
  return FromReturn(::ioctl(fd, SG_IO, &header));
}

int LinuxSysCalls::DoClose(int fd) { return ::close(fd) < 0 ? errno : 0; }

SysResult LinuxSysCalls::DoListDirectory(const std::string& path,
                                         std::vector<std::string>& names) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return {-1, errno};
  // readdir returns null both at the end and on error; only errno tells.
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
    errno = 0;
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) return {-1, error};
  return {static_cast<int>(names.size()), 0};
}

SysCalls& SystemCalls() {
  static LinuxSysCalls calls;
  return calls;
}

}  // namespace torvel
