// The only way torvel-ata opens a disk: read-only, non-blocking,
// close-on-exec, a block device whose real path lies inside the device
// folder, and never through a symbolic link at the last step.
#pragma once

#include <string>

#include "base/syscalls.h"

namespace torvel {

class DeviceOnlySysCalls final : public SysCalls {
 public:
  // `inner` makes every call except open; `devFolder` is "/dev" outside tests.
  DeviceOnlySysCalls(SysCalls& inner, std::string devFolder);

 protected:
  SysResult DoOpen(const std::string& path, int flags) override;
  SysResult DoSgIo(int fd, sg_io_hdr& header) override { return inner_.SgIo(fd, header); }
  int DoClose(int fd) override { return inner_.Close(fd); }
  SysResult DoListDirectory(const std::string& path, std::vector<std::string>& names) override {
    return inner_.ListDirectory(path, names);
  }

 private:
  SysCalls& inner_;
  std::string devFolder_;  // resolved, without a trailing slash
};

}  // namespace torvel
