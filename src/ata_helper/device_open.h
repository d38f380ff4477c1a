// The only way torvel-ata opens a disk: read-only, non-blocking,
// close-on-exec, a block device (or an NVMe controller's character device,
// "nvme<N>") whose real path lies inside the device folder, and never
// through a symbolic link at the last step.
#pragma once

#include <functional>
#include <string>

#include "base/syscalls.h"

namespace torvel {

class DeviceOnlySysCalls final : public SysCalls {
 public:
  // `inner` makes every call except open; `devFolder` is "/dev" outside tests.
  // `raise` and `lower` run just before and after the open() itself: the
  // right to open a disk is held for that call only.
  DeviceOnlySysCalls(SysCalls& inner, std::string devFolder, std::function<void()> raise = {},
                     std::function<void()> lower = {});
  // Run just before and after each NVMe admin command.
  void SetNvmeRight(std::function<void()> raise, std::function<void()> lower) {
    raiseNvme_ = std::move(raise);
    lowerNvme_ = std::move(lower);
  }

 protected:
  SysResult DoOpen(const std::string& path, int flags) override;
  SysResult DoSgIo(int fd, sg_io_hdr& header) override { return inner_.SgIo(fd, header); }
  SysResult DoNvmeAdmin(int fd, nvme_passthru_cmd& command) override;
  int DoClose(int fd) override { return inner_.Close(fd); }
  SysResult DoListDirectory(const std::string& path, std::vector<std::string>& names) override {
    return inner_.ListDirectory(path, names);
  }

 private:
  SysCalls& inner_;
  std::string devFolder_;  // resolved, without a trailing slash
  std::function<void()> raise_;
  std::function<void()> lower_;
  std::function<void()> raiseNvme_;
  std::function<void()> lowerNvme_;
};

}  // namespace torvel
