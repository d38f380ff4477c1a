#include "platform/block_devices.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <scsi/sg.h>

#include <cerrno>
#include <filesystem>

#include "drive/sgio_backend.h"
#include "base/syscalls.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;

TEST(BlockDevices, OnlyWholeAtaAndScsiDisksInKernelNameOrder) {
  EXPECT_EQ(OrderDisks({"sdb", "sda", "sdaa", "hda", "loop0", "nvme0n1", "zram0", "vda", "dm-0",
                        "sdz", "sdab", "sr0", "sda1", "md127", "ram0", "xvda", "sd", "sdA"}),
            (Names{"hda", "sda", "sdb", "sdz", "sdaa", "sdab"}));

  test::TempDir dir;
  for (const char* name : {"sdc", "loop1", "sda", "sdaa"})
    std::filesystem::create_directory(dir.path() / name);
  EXPECT_EQ(ListDisks(SystemCalls(), dir.path().string()), (Names{"sda", "sdc", "sdaa"}));
  EXPECT_TRUE(ListDisks(SystemCalls(), dir.File("missing")).empty());
}

TEST(LinuxSysCalls, ReportErrnoInsteadOfFailingSilently) {
  test::TempDir dir;
  SysCalls& sys = SystemCalls();
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(sys.ListDirectory(dir.File("missing"), names).error, ENOENT);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(sys.Open(dir.File("missing"), SgioOpenFlags()).error, ENOENT);

  // A regular file opens with the disk flags but is no SCSI device.
  test::WriteFile(dir.path() / "plain", "x");
  const SysResult fd = sys.Open(dir.File("plain"), SgioOpenFlags());
  ASSERT_TRUE(fd.ok());
  EXPECT_EQ(fcntl(fd.value, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
  EXPECT_EQ(fcntl(fd.value, F_GETFL) & (O_ACCMODE | O_NONBLOCK), O_RDONLY | O_NONBLOCK);
  sg_io_hdr h{};
  h.interface_id = 'S';
  const SysResult io = sys.SgIo(fd.value, h);
  EXPECT_FALSE(io.ok());
  EXPECT_NE(io.error, EINTR);
  EXPECT_EQ(sys.Close(fd.value), 0);
  EXPECT_EQ(sys.Close(fd.value), EBADF);
}

}  // namespace
}  // namespace torvel
