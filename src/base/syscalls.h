// The system calls the SG_IO backend makes, behind one seam so tests can
// play a disk. Results carry the errno instead of leaving it in a global.
#pragma once

#include <string>
#include <vector>

struct sg_io_hdr;          // <scsi/sg.h>
struct nvme_passthru_cmd;  // <linux/nvme_ioctl.h>

namespace torvel {

struct SysResult {
  int value = -1;  // the call's return value (a descriptor for Open)
  int error = 0;   // errno when the call failed, else 0
  bool ok() const { return error == 0; }
};

class SysCalls {
 public:
  // A signal during a blocking call is not a device failure; a few tries
  // cover it without looping forever on a signal storm.
  static constexpr int kEintrAttempts = 5;

  virtual ~SysCalls() = default;

  SysResult Open(const std::string& path, int flags);
  SysResult SgIo(int fd, sg_io_hdr& header);
  // NVME_IOCTL_ADMIN_CMD. A command the controller completed with an error
  // status is EIO; value then holds that status.
  SysResult NvmeAdmin(int fd, nvme_passthru_cmd& command);
  // Never retried: after EINTR the descriptor is already gone on Linux.
  int Close(int fd) { return DoClose(fd); }
  // Entry names without "." and "..", in directory order.
  SysResult ListDirectory(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    return DoListDirectory(path, names);
  }

 protected:
  virtual SysResult DoOpen(const std::string& path, int flags) = 0;
  virtual SysResult DoSgIo(int fd, sg_io_hdr& header) = 0;
  // A seam without NVMe (the tests' ATA disks) answers as a non-NVMe node.
  virtual SysResult DoNvmeAdmin(int fd, nvme_passthru_cmd& command);
  virtual int DoClose(int fd) = 0;  // 0 or errno
  virtual SysResult DoListDirectory(const std::string& path,
                                    std::vector<std::string>& names) = 0;
};

// The running kernel.
class LinuxSysCalls final : public SysCalls {
 protected:
  SysResult DoOpen(const std::string& path, int flags) override;
  SysResult DoSgIo(int fd, sg_io_hdr& header) override;
  SysResult DoNvmeAdmin(int fd, nvme_passthru_cmd& command) override;
  int DoClose(int fd) override;
  SysResult DoListDirectory(const std::string& path, std::vector<std::string>& names) override;
};

// One shared instance for the program.
SysCalls& SystemCalls();

}  // namespace torvel
