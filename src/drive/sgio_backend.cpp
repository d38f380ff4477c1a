#include "drive/sgio_backend.h"

#include <fcntl.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

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
    for (const auto& [fd, kind] : open_) sys_.Close(fd);
  }

  DeviceHandle Open(std::string_view deviceName) override {
    // The 9x shared device has no Linux counterpart: it is simply absent.
    const std::optional<DiskNode> node = NodeOf(deviceName);
    if (!node) return OpenFailed(ENOENT);

    const SysResult r = sys_.Open(dev_ + "/" + node->device, SgioOpenFlags());
    if (!r.ok()) return OpenFailed(r.error);
    if (r.value < 0) return OpenFailed(EBADF);
    open_[r.value] = node->kind;
    // The channel reads 0 as "no handle": descriptor 0 must not become it.
    return static_cast<DeviceHandle>(r.value) + 1;
  }

  DriveLocation Locate(std::string_view deviceName) override {
    const std::optional<DiskNode> node = NodeOf(deviceName);
    if (!node) return {};
    DriveLocation where;
    where.device = dev_ + "/" + node->device;
    where.transport = node->kind == DiskKind::Nvme ? "NVMe" : DiskTransport(sysBlock_, node->block);
    where.kind = node->kind == DiskKind::Nvme ? DriveKind::Nvme
                 : node->kind == DiskKind::Ata ? DriveKind::Ata
                                               : DriveKind::Unknown;
    return where;
  }

  std::vector<std::string> DisksBeyond(int count) override {
    std::vector<std::string> out;
    const std::vector<DiskNode> drives = ListDrives(sys_, sysBlock_);
    for (std::size_t i = static_cast<std::size_t>(std::max(count, 0)); i < drives.size(); ++i)
      out.push_back(dev_ + "/" + drives[i].device);
    return out;
  }

  bool Control(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
               std::span<std::uint8_t> reply) override {
    const int fd = FdOf(handle);
    if (fd < 0) return Fail(EBADF);
    if (code == ControlCode::SmartGetVersion) return Version(reply);
    if (code == ControlCode::NvmeAdminCommand) return NvmeAdmin(fd, request, reply);
    // An NVMe controller takes no SCSI command.
    if (open_.at(fd) == DiskKind::Nvme) return Fail(ENOTTY);

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

  bool NvmeAdmin(int fd, std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) {
    if (open_.at(fd) != DiskKind::Nvme) return Fail(ENOTTY);
    if (request.size() != kRequestSize) return Fail(EINVAL);
    DriveCommand command{};
    if (!ClassifyRequest(LoadBlock<RequestBlock>(request), command) || !IsNvmeCommand(command) ||
        reply.size() < RowOf(command).replySize)
      return Fail(EINVAL);
    // The fields come from the list, never from the caller's bytes.
    const NvmeAdminFields f = NvmeAdminFor(command);
    std::vector<std::uint8_t> data(f.dataLength, 0);
    nvme_admin_cmd c{};
    c.opcode = f.opcode;
    c.nsid = f.nsid;
    c.addr = reinterpret_cast<std::uintptr_t>(data.data());
    c.data_len = f.dataLength;
    c.cdw10 = f.cdw10;
    c.timeout_ms = kSgioTimeoutMs;
    const SysResult r = sys_.NvmeAdmin(fd, c);
    if (!r.ok()) return Fail(r.error);
    const std::uint32_t size = f.dataLength;
    std::memcpy(reply.data(), &size, sizeof size);
    std::memcpy(reply.data() + kReplyHeaderSize, data.data(), data.size());
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

  std::optional<DiskNode> NodeOf(std::string_view deviceName) {
    const int n = PerDriveNumberFromName(deviceName);
    if (n < 0) return std::nullopt;
    const std::vector<DiskNode> drives = ListDrives(sys_, sysBlock_);
    if (static_cast<std::size_t>(n) >= drives.size()) return std::nullopt;
    return drives[static_cast<std::size_t>(n)];
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
  std::map<int, DiskKind> open_;
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
