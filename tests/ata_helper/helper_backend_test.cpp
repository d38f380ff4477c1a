// The client side: a program without the right to send raw ATA commands
// reads its drives through torvel-ata, and says so in the trace.
#include "drive/helper_backend.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <filesystem>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/refresh.h"
#include "drive/sgio_backend.h"
#include "drive/simulated_backend.h"
#include "base/syscalls.h"
#include "platform/system_info.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"
#include "torvelctl/commands.h"
#include "support/test_systems.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

using test::kNt10;
using test::kSamplesFolder;
constexpr int kSampleDrives = 6;

// Five ATA disks and an NVMe controller in /sys/block that this process may
// not use: the open fails with `openError`, or it succeeds and the command
// (SG_IO or the NVMe admin ioctl) fails with `sgioError`.
class DisksWithoutRights final : public SysCalls {
 public:
  int openError = EACCES;
  int sgioError = EPERM;
  int sgioCalls = 0;
  std::vector<int> closed;

 protected:
  SysResult DoOpen(const std::string&, int) override {
    if (openError != 0) return {-1, openError};
    return {10 + nextFd_++, 0};
  }
  SysResult DoSgIo(int, sg_io_hdr&) override {
    ++sgioCalls;
    return {-1, sgioError};
  }
  SysResult DoNvmeAdmin(int, nvme_passthru_cmd&) override {
    ++sgioCalls;
    return {-1, sgioError};
  }
  int DoClose(int fd) override {
    closed.push_back(fd);
    return 0;
  }
  SysResult DoListDirectory(const std::string&, std::vector<std::string>& names) override {
    names = {"sda", "sdb", "sdc", "sdd", "sde", "loop0", "nvme0n1"};
    return {0, 0};
  }

 private:
  int nextFd_ = 0;
};

std::unique_ptr<DriveTables> Refresh(DriveBackend& backend, TraceLog& trace) {
  auto tables = std::make_unique<DriveTables>();
  DeviceChannel channel(backend, kNt10, trace);
  RefreshDrives(*tables, channel, trace);
  return tables;
}

// What the drives say when read straight from their folders.
std::unique_ptr<DriveTables> ReadDirectly(const std::string& folder) {
  SimulatedBackend simulated(folder);
  TraceLog off = TraceLog::Off();
  return Refresh(simulated, off);
}

// The list without where each drive is: the helper's disks are /dev nodes,
// the folder's are folders.
std::string ListedDrivesOnly(const DriveTables& tables) {
  std::string out;
  std::istringstream lines(FormatDriveList(tables));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line.rfind("  Device", 0) != 0 && line.rfind("  Transport", 0) != 0 &&
        line.rfind("Disk ", 0) != 0)
      out += line + "\n";
  return out;
}

void ExpectSameDrives(const DriveTables& got, const DriveTables& want) {
  EXPECT_FALSE(FormatDriveList(want).empty());
  EXPECT_EQ(ListedDrivesOnly(got), ListedDrivesOnly(want));
  EXPECT_EQ(got.identify, want.identify);
  EXPECT_EQ(got.enableHistory, want.enableHistory);
  EXPECT_EQ(std::memcmp(&got.attributes, &want.attributes, sizeof got.attributes), 0);
}

// The trace lines about one drive's way.
std::vector<std::string> LinesAbout(const test::TraceCapture& capture, int drive) {
  std::vector<std::string> out;
  for (const std::string& m : capture.Messages())
    if (m.rfind("Drive " + std::to_string(drive) + ": ", 0) == 0) out.push_back(m);
  return out;
}

AtaHelperProgram Helper(const std::string& drives = kSamplesFolder) {
  return {TORVEL_ATA_PATH, {"TORVEL_DRIVES=" + drives}, kAtaHelperTimeout};
}

class HelperBackendTest : public ::testing::Test {
 protected:
  std::unique_ptr<DriveTables> RefreshThrough(AtaHelperProgram program) {
    auto backend = MakeHelperBackend(MakeSgioBackend(disks, "/sys/block", "/dev"),
                                     std::move(program), capture.trace);
    return Refresh(*backend, capture.trace);
  }
  DisksWithoutRights disks;
  test::TraceCapture capture;
};

TEST_F(HelperBackendTest, ReadsThroughTheHelperWhenOpeningTheDiskIsRefused) {
  const auto tables = RefreshThrough(Helper());
  ExpectSameDrives(*tables, *ReadDirectly(kSamplesFolder));
  EXPECT_EQ(disks.sgioCalls, 0);
  for (int n = 0; n < kSampleDrives; ++n)
    EXPECT_EQ(LinesAbout(capture, n),
              std::vector<std::string>{"Drive " + std::to_string(n) +
                                       ": no right to open the disk (errno 13, EACCES); its ATA "
                                       "commands go through torvel-ata (" TORVEL_ATA_PATH ")\n"});
  EXPECT_TRUE(LinesAbout(capture, kSampleDrives).empty()) << "no disk there";
}

TEST_F(HelperBackendTest, ReadsThroughTheHelperWhenTheCommandIsRefused) {
  disks.openError = 0;  // e.g. a member of the "disk" group
  const auto tables = RefreshThrough(Helper());
  ExpectSameDrives(*tables, *ReadDirectly(kSamplesFolder));
  // One refused command per drive, then its disk is closed and not tried again.
  EXPECT_EQ(disks.sgioCalls, kSampleDrives);
  EXPECT_EQ(disks.closed.size(), static_cast<std::size_t>(kSampleDrives));
  EXPECT_EQ(LinesAbout(capture, 2),
            std::vector<std::string>{"Drive 2: no right to send ATA commands (errno 1, EPERM); "
                                     "they go through torvel-ata (" TORVEL_ATA_PATH ")\n"});
}

TEST_F(HelperBackendTest, WithoutTheHelperTheTraceSaysTheRightsAreMissing) {
  const auto denied = RefreshThrough({});
  EXPECT_TRUE(FormatDriveList(*denied).empty());
  EXPECT_EQ(LinesAbout(capture, 0),
            std::vector<std::string>{
                "Drive 0: no right to send raw ATA commands (opening the disk: errno 13, EACCES) "
                "and no torvel-ata helper was found; reading S.M.A.R.T. data needs CAP_SYS_RAWIO\n"});

  disks.openError = 0;
  test::TraceCapture second;
  auto backend = MakeHelperBackend(MakeSgioBackend(disks, "/sys/block", "/dev"), {}, second.trace);
  EXPECT_TRUE(ListedDrivesOnly(*Refresh(*backend, second.trace)).empty());
  EXPECT_EQ(LinesAbout(second, 4),
            std::vector<std::string>{
                "Drive 4: no right to send raw ATA commands (sending ATA commands: errno 1, EPERM) "
                "and no torvel-ata helper was found; reading S.M.A.R.T. data needs CAP_SYS_RAWIO\n"});
}

TEST_F(HelperBackendTest, GoesDirectWhenAllowedAndNeverStartsTheHelper) {
  // A helper that cannot start: any use of it would lose the drives.
  auto backend = MakeHelperBackend(std::make_unique<SimulatedBackend>(kSamplesFolder),
                                   {"/nonexistent/torvel-ata", {}, kAtaHelperTimeout}, capture.trace);
  ExpectSameDrives(*Refresh(*backend, capture.trace), *ReadDirectly(kSamplesFolder));
  for (int n = 0; n < kSampleDrives; ++n)
    EXPECT_EQ(LinesAbout(capture, n),
              std::vector<std::string>{"Drive " + std::to_string(n) + ": ATA commands go direct\n"});
}

TEST_F(HelperBackendTest, AHelperWithoutRightsIsNamedOncePerDrive) {
  test::TempDir drives;
  fs::copy(kSamplesFolder + "/0", drives.path() / "0");
  test::WriteFile(drives.path() / "0" / "fail", "open\n");  // the helper's open: EACCES
  const auto tables = RefreshThrough(Helper(drives.path().string()));
  EXPECT_TRUE(ListedDrivesOnly(*tables).empty());
  const auto lines = LinesAbout(capture, 0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1],
            "Drive 0: torvel-ata may not open the disk either (errno 13, EACCES): it needs the "
            "cap_dac_read_search file capability besides cap_sys_rawio\n");
}

TEST_F(HelperBackendTest, AProgramThatIsNotTheHelperFailsTheCommandOnly) {
  for (const char* impostor : {"/bin/true", "/usr/bin/yes", "/bin/false"}) {
    test::TraceCapture trace;
    auto backend = MakeHelperBackend(MakeSgioBackend(disks, "/sys/block", "/dev"),
                                     {impostor, {}, kAtaHelperTimeout}, trace.trace);
    const std::string listed = ListedDrivesOnly(*Refresh(*backend, trace.trace));
    EXPECT_TRUE(listed.empty()) << impostor << listed;
    const auto lines = LinesAbout(trace, 0);
    ASSERT_GE(lines.size(), 2u) << impostor;
    EXPECT_EQ(lines[1].rfind("Drive 0: torvel-ata gave no answer to ", 0), 0u) << lines[1];
  }
}

TEST(RunProgram, KillsAProgramThatOverrunsItsCapsOrItsTime) {
  const ProgramRun chatty = RunProgram({"/usr/bin/yes"}, {}, {}, ProgramLimits{});
  EXPECT_TRUE(chatty.started);
  EXPECT_TRUE(chatty.outputTooLong);
  EXPECT_LE(chatty.output.size(), helper::kMaxFrameSize + 1024);

  test::TempDir dir;
  const std::string sleeper = dir.File("sleeper");
  test::WriteFile(sleeper, "#!/bin/sh\nexec sleep 30\n");
  ::chmod(sleeper.c_str(), 0755);
  ProgramLimits brief;
  brief.timeout = std::chrono::milliseconds(200);
  const ProgramRun slow = RunProgram({sleeper}, {}, {}, brief);
  EXPECT_TRUE(slow.timedOut);
  EXPECT_EQ(slow.exitStatus, -1);

  const ProgramRun missing = RunProgram({"/nonexistent/program"}, {}, {}, ProgramLimits{});
  EXPECT_EQ(missing.exitStatus, 127);
  EXPECT_TRUE(missing.output.empty());
}

TEST(FindAtaHelper, LooksBesideTheProgramFirstThenAtTheInstallPath) {
  test::TempDir bin, libexec;
  const std::string installed = libexec.File("torvel-ata");
  test::WriteFile(installed, "");
  ::chmod(installed.c_str(), 0755);
  const std::string self = bin.File("torvelctl");

  EXPECT_EQ(FindAtaHelper(self, installed), installed);
  test::WriteFile(bin.path() / "torvel-ata", "");
  EXPECT_EQ(FindAtaHelper(self, installed), installed) << "not executable: not a helper";
  ::chmod(bin.File("torvel-ata").c_str(), 0755);
  EXPECT_EQ(FindAtaHelper(self, installed), bin.File("torvel-ata"));
  EXPECT_EQ(FindAtaHelper("", ""), "");
  EXPECT_EQ(FindAtaHelper("", libexec.path().string()), "") << "a folder is not the helper";
}

}  // namespace
}  // namespace torvel
