#include "drive/sgio_backend.h"

#include <fcntl.h>
#include <scsi/sg.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <set>

#include "drive/sat.h"
#include "platform/block_devices.h"
#include "base/syscalls.h"

namespace torvel {

int SgioOpenFlags() { return O_RDONLY | O_NONBLOCK | O_CLOEXEC; }

namespace {

constexpr std::size_t kSenseBufferSize = 32;

class SgioBackend final : public DriveBackend {
 public:
  SgioBackend(SysCalls& sys, std::string sysBlockFolder, std::string devFolder)
      : sys_(sys), sysBlock_(std::move(sysBlockFolder)), dev_(std::move(devFolder)) {}

  ~SgioBackend() override {
    for (int fd : open_) sys_.Close(fd);
  }

  DeviceHandle Open(std::string_view deviceName) override {
    // The 9x shared device has no Linux counterpart: it is simply absent.
    const int n = PerDriveNumberFromName(deviceName);
    const std::vector<std::string> disks = n < 0 ? std::vector<std::string>{}
                                                 : ListDisks(sys_, sysBlock_);
    if (n < 0 || static_cast<std::size_t>(n) >= disks.size()) return OpenFailed(ENOENT);

    const SysResult r = sys_.Open(dev_ + "/" + disks[static_cast<std::size_t>(n)], SgioOpenFlags());
    if (!r.ok()) return OpenFailed(r.error);
    if (r.value < 0) return OpenFailed(EBADF);
    open_.insert(r.value);
    // The channel reads 0 as "no handle": descriptor 0 must not become it.
    return static_cast<DeviceHandle>(r.value) + 1;
  }

  bool Control(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
               std::span<std::uint8_t> reply) override {
    const int fd = FdOf(handle);
    if (fd < 0) return Fail(EBADF);
    if (code == ControlCode::SmartGetVersion) return Version(reply);

    if (request.size() != kRequestSize) return Fail(EINVAL);
    const auto command = sat::Translate(code, LoadBlock<RequestBlock>(request));
    if (!command || reply.size() < command->replySize) return Fail(EINVAL);

    Sector data{};
    std::array<std::uint8_t, kSenseBufferSize> sense{};
    sg_io_hdr h{};
    h.interface_id = 'S';
    h.cmd_len = static_cast<unsigned char>(command->cdb.size());
    h.cmdp = const_cast<unsigned char*>(command->cdb.data());  // the kernel only reads it
    h.mx_sb_len = static_cast<unsigned char>(sense.size());
    h.sbp = sense.data();
    h.timeout = kSgioTimeoutMs;
    if (command->direction == sat::Direction::FromDevice) {
      h.dxfer_direction = SG_DXFER_FROM_DEV;
      h.dxfer_len = static_cast<unsigned>(command->dataLength);
      h.dxferp = data.data();
    } else {
      h.dxfer_direction = SG_DXFER_NONE;
    }

    const SysResult r = sys_.SgIo(fd, h);
    sat::Exchange x;
    x.ioctlError = r.error;
    x.scsiStatus = h.status;
    x.hostStatus = h.host_status;
    x.driverStatus = h.driver_status;
    x.sense = std::span<const std::uint8_t>(sense).first(
        std::min<std::size_t>(h.sb_len_wr, sense.size()));
    x.resid = h.resid;

    const sat::Outcome outcome = sat::Judge(*command, x);
    if (!outcome.ok) return Fail(outcome.error);
    sat::FillReply(*command, outcome, data, reply);
    return true;
  }

  void Close(DeviceHandle handle) override {
    const int fd = FdOf(handle);
    if (fd < 0) return;
    open_.erase(fd);
    sys_.Close(fd);
  }

  std::uint32_t LastError() const override { return lastError_; }

 private:
  int FdOf(DeviceHandle handle) const {
    if (handle <= 0 || handle - 1 > std::numeric_limits<int>::max()) return -1;
    const int fd = static_cast<int>(handle - 1);
    return open_.count(fd) ? fd : -1;
  }

  // Version 1.1 with IDENTIFY, IDENTIFY PACKET and S.M.A.R.T.; no device
  // map: Linux does not say which IDE position a disk holds.
  bool Version(std::span<std::uint8_t> reply) {
    if (reply.size() < sizeof(VersionReply)) return Fail(EINVAL);
    VersionReply v{};
    v.version = 1;
    v.revision = 1;
    v.capabilities = 7;
    StoreBlock(v, reply);
    return true;
  }

  DeviceHandle OpenFailed(int error) {
    Fail(error);
    return kInvalidHandle;
  }

  bool Fail(int error) {
    lastError_ = static_cast<std::uint32_t>(error);
    return false;
  }

  SysCalls& sys_;
  std::string sysBlock_;
  std::string dev_;
  std::set<int> open_;
  std::uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<DriveBackend> MakeSgioBackend() {
  return MakeSgioBackend(SystemCalls(), kSysBlockFolder, "/dev");
}

std::unique_ptr<DriveBackend> MakeSgioBackend(SysCalls& sys, std::string sysBlockFolder,
                                              std::string devFolder) {
  return std::make_unique<SgioBackend>(sys, std::move(sysBlockFolder), std::move(devFolder));
}

}  // namespace torvel
