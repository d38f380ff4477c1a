#include "drive/sgio_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <scsi/sg.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>

#include "drive/channel.h"
#include "base/debug_trace.h"
#include "base/syscalls.h"
#include "platform/system_info.h"

namespace torvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using enum DriveCommand;

const std::string kSysBlock = "/fake/sys/block";
const std::string kDev = "/fake/dev";

std::string Drive(int n) { return "\\\\.\\PhysicalDrive" + std::to_string(n); }
std::uint32_t Err(int e) { return static_cast<std::uint32_t>(e); }

// One ATA disk per /dev node behind a SAT layer that answers like libata:
// data-in with GOOD and the sector, CK_COND with RECOVERED ERROR and an ATA
// Status Return descriptor, IDENTIFY PACKET with ABORTED COMMAND and ERR.
class FakeSatDisk final : public SysCalls {
 public:
  std::vector<std::string> sysBlock{"sdb", "loop0", "sda", "nvme0n1"};
  std::map<std::string, std::deque<int>> openErrors;  // per path, one per attempt
  std::deque<int> ioctlErrors;                        // one per attempt
  int firstFd = 3;
  std::uint8_t cylLow = 0x4F, cylHigh = 0xC2;  // what RETURN STATUS answers
  int resid = 0;

  std::vector<std::pair<std::string, int>> opened;  // path, flags
  std::vector<int> closed;
  std::vector<Bytes> cdbs;  // one per ioctl attempt

  static Sector SectorFor(std::uint8_t command, std::uint8_t features) {
    Sector s{};
    for (std::size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<std::uint8_t>(i + command + features);
    return s;
  }

 protected:
  SysResult DoOpen(const std::string& path, int flags) override {
    opened.emplace_back(path, flags);
    if (auto& errors = openErrors[path]; !errors.empty()) {
      const int e = errors.front();
      errors.pop_front();
      return {-1, e};
    }
    return {firstFd + static_cast<int>(opened.size()) - 1, 0};
  }
  int DoClose(int fd) override {
    closed.push_back(fd);
    return 0;
  }
  SysResult DoListDirectory(const std::string& path, std::vector<std::string>& names) override {
    if (path != kSysBlock) return {-1, ENOENT};
    names = sysBlock;
    return {0, 0};
  }

  SysResult DoSgIo(int, sg_io_hdr& h) override {
    EXPECT_EQ(h.interface_id, 'S');
    EXPECT_GE(h.mx_sb_len, 32);
    EXPECT_TRUE(h.timeout >= 1000u && h.timeout <= 60000u) << h.timeout;
    cdbs.emplace_back(h.cmdp, h.cmdp + h.cmd_len);
    if (!ioctlErrors.empty()) {
      const int e = ioctlErrors.front();
      ioctlErrors.pop_front();
      return {-1, e};
    }
    const Bytes& cdb = cdbs.back();
    if (cdb.size() != 16 || cdb[0] != 0x85) {
      ADD_FAILURE() << "not an ATA PASS-THROUGH(16)";
      return {-1, EINVAL};
    }
    const std::uint8_t features = cdb[4], device = cdb[13], command = cdb[14];
    if (cdb[1] == 0x08) {  // PIO data-in
      EXPECT_EQ(h.dxfer_direction, SG_DXFER_FROM_DEV);
      EXPECT_EQ(h.dxfer_len, 512u);
      if (command == ata::kIdentifyPacketDevice)
        return Sense(h, 0x0B, {0x04, 0, 0, 0, 0, device, 0x51, 0});
      const Sector s = SectorFor(command, features);
      std::memcpy(h.dxferp, s.data(), s.size());
      h.resid = resid;
      return {0, 0};
    }
    EXPECT_EQ(h.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(cdb[2], 0x20) << "CK_COND, so the registers come back";
    const bool status = features == ata::kSmartReturnStatus;
    return Sense(h, 0x01,
                 {0, 1, 1, status ? cylLow : cdb[10], status ? cylHigh : cdb[12], device, 0x50, 0});
  }

 private:
  static SysResult Sense(sg_io_hdr& h, std::uint8_t key, const IdeRegs& r) {
    const Bytes sense = {0x72, key, 0x00, 0x1D, 0, 0, 0, 14,  // descriptor format, 14 more
                         0x09, 0x0C, 0, r.features, 0, r.sectorCount, 0, r.sectorNumber,
                         0, r.cylLow, 0, r.cylHigh, r.driveHead, r.command};
    std::memcpy(h.sbp, sense.data(), sense.size());
    h.sb_len_wr = static_cast<unsigned char>(sense.size());
    h.status = 0x02;
    h.driver_status = 0x08;
    return {0, 0};
  }
};

class SgioBackendTest : public ::testing::Test {
 protected:
  bool Send(DeviceHandle h, DriveCommand c, int drive, std::span<std::uint8_t> out) {
    std::array<std::uint8_t, kRequestSize> bytes{};
    StoreBlock(BuildRequest(c, drive), bytes);
    return backend->Control(h, RowOf(c).code, bytes, out);
  }

  FakeSatDisk disk;
  std::unique_ptr<DriveBackend> backend = MakeSgioBackend(disk, kSysBlock, kDev);
  std::array<std::uint8_t, kDataReplySize> reply{};
};

TEST_F(SgioBackendTest, OpensTheNthDiskReadOnly) {
  ASSERT_NE(backend->Open(Drive(1)), kInvalidHandle);
  EXPECT_EQ(disk.opened, (std::vector<std::pair<std::string, int>>{
                             {kDev + "/sdb", O_RDONLY | O_NONBLOCK | O_CLOEXEC}}));

  // Drive 2 is the NVMe controller behind nvme0n1; there is no drive 3.
  for (const std::string& absent : {Drive(3), std::string(kSharedDeviceName)}) {
    EXPECT_EQ(backend->Open(absent), kInvalidHandle);
    EXPECT_EQ(backend->LastError(), Err(ENOENT));
  }
  EXPECT_EQ(disk.opened.size(), 1u);

  disk.openErrors[kDev + "/sda"] = {EACCES};
  EXPECT_EQ(backend->Open(Drive(0)), kInvalidHandle);
  EXPECT_EQ(backend->LastError(), Err(EACCES));

  auto unlisted = MakeSgioBackend(disk, "/nowhere", kDev);
  EXPECT_EQ(unlisted->Open(Drive(0)), kInvalidHandle);
  EXPECT_EQ(unlisted->LastError(), Err(ENOENT));
}

TEST_F(SgioBackendTest, RetriesInterruptedCallsAFewTimes) {
  disk.openErrors[kDev + "/sda"] = {EINTR, EINTR};
  const DeviceHandle h = backend->Open(Drive(0));
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_EQ(disk.opened.size(), 3u);

  disk.ioctlErrors = {EINTR};
  EXPECT_TRUE(Send(h, SmartReturnStatus, 0, reply));
  EXPECT_EQ(disk.cdbs.size(), 2u);

  disk.cdbs.clear();
  disk.ioctlErrors.assign(SysCalls::kEintrAttempts + 1, EINTR);
  EXPECT_FALSE(Send(h, SmartReturnStatus, 0, reply));
  EXPECT_EQ(backend->LastError(), Err(EINTR));
  EXPECT_EQ(disk.cdbs.size(), static_cast<std::size_t>(SysCalls::kEintrAttempts));
}

TEST_F(SgioBackendTest, HandlesAreNeverZeroAndCloseTheirDescriptor) {
  disk.firstFd = 0;
  const DeviceHandle h = backend->Open(Drive(0));
  EXPECT_NE(h, kNoHandle);
  EXPECT_NE(h, kInvalidHandle);
  EXPECT_TRUE(Send(h, SmartEnable, 0, reply));
  backend->Close(h);
  EXPECT_EQ(disk.closed, std::vector<int>{0});

  // A closed or foreign handle never reaches the kernel, nor closes anything.
  disk.cdbs.clear();
  for (DeviceHandle stale : {h, kNoHandle, kInvalidHandle, DeviceHandle{77}}) {
    EXPECT_FALSE(Send(stale, SmartEnable, 0, reply));
    EXPECT_EQ(backend->LastError(), Err(EBADF));
    backend->Close(stale);
  }
  EXPECT_TRUE(disk.cdbs.empty());
  EXPECT_EQ(disk.closed.size(), 1u);

  ASSERT_NE(backend->Open(Drive(1)), kInvalidHandle);
  backend.reset();
  EXPECT_EQ(disk.closed.size(), 2u) << "what the caller left open is closed with the backend";
}

TEST_F(SgioBackendTest, DataCommandsReturnTheSectorBehindTheHeader) {
  const DeviceHandle h = backend->Open(Drive(1));
  for (DriveCommand c : {IdentifyDevice, SmartReadData, SmartReadThresholds}) {
    reply.fill(0);
    ASSERT_TRUE(Send(h, c, 1, reply));
    EXPECT_EQ(reply[1], 0x02);  // 512, little-endian
    const Sector want = FakeSatDisk::SectorFor(RowOf(c).command, RowOf(c).features);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), reply.begin() + kReplyHeaderSize));
    EXPECT_EQ(disk.cdbs.back()[13], ata::kSlave);
  }
}

TEST_F(SgioBackendTest, FailuresLeaveTheReplyAlone) {
  const DeviceHandle h = backend->Open(Drive(0));
  EXPECT_FALSE(Send(h, IdentifyPacketDevice, 0, reply));  // an ATA disk aborts it
  EXPECT_EQ(backend->LastError(), Err(EIO));
  disk.resid = 2;
  EXPECT_FALSE(Send(h, SmartReadData, 0, reply));
  disk.resid = 0;
  disk.ioctlErrors = {EACCES};  // no CAP_SYS_RAWIO
  EXPECT_FALSE(Send(h, SmartReadData, 0, reply));
  EXPECT_EQ(backend->LastError(), Err(EACCES));
  EXPECT_EQ(reply, decltype(reply){});

  // Malformed calls are refused before the kernel sees them.
  disk.cdbs.clear();
  std::array<std::uint8_t, kRequestSize> bytes{};
  RequestBlock disable = BuildRequest(SmartEnable, 0);
  disable.regs.features = 0xD9;
  StoreBlock(disable, bytes);
  EXPECT_FALSE(backend->Control(h, ControlCode::SmartSendDriveCommand, bytes, reply));
  StoreBlock(BuildRequest(SmartReadData, 0), bytes);
  const auto code = ControlCode::SmartRcvDriveData;
  EXPECT_FALSE(backend->Control(h, code, std::span(bytes).first(kRequestSize - 1), reply));
  EXPECT_FALSE(backend->Control(h, code, bytes, std::span(reply).first(kDataReplySize - 1)));
  EXPECT_EQ(backend->LastError(), Err(EINVAL));
  EXPECT_TRUE(disk.cdbs.empty());
}

TEST(SgioChannel, StatusAndDataThroughTheWholeChannel) {
  FakeSatDisk disk;
  disk.cylLow = ata::kTecCylLow;
  disk.cylHigh = ata::kTecCylHigh;
  auto backend = MakeSgioBackend(disk, kSysBlock, kDev);
  const FixedSystemInfo system({kPlatformNT, 5, 1, 2600, ""}, {586, 1});
  TraceLog trace = TraceLog::Off();
  {
    DeviceChannel channel(*backend, system, trace);
    channel.SelectPath();
    ASSERT_NE(channel.OpenDrives(), kInvalidHandle);
    EXPECT_EQ(channel.openedCount(), 3);  // sda, sdb and the NVMe controller
    EXPECT_EQ(channel.ReturnStatus(0), StatusVerdict::ThresholdExceeded);
    ASSERT_TRUE(channel.ReadSmartData(1));
    const Sector want = FakeSatDisk::SectorFor(ata::kSmart, ata::kSmartReadData);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), channel.dataSector().begin()));
  }
  EXPECT_EQ(disk.closed.size(), 3u);
}

}  // namespace
}  // namespace torvel
