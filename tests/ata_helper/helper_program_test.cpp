// torvel-ata itself: what it sends for an accepted request, how it opens a
// disk, and the built program run as a process on the sample drives.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>

#include <cerrno>
#include <filesystem>

#include "ata_helper/device_open.h"
#include "ata_helper/serve.h"
#include "drive/channel.h"
#include "drive/helper_backend.h"
#include "drive/sgio_backend.h"
#include "drive/simulated_backend.h"
#include "base/debug_trace.h"
#include "base/syscalls.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/temp_dir.h"
#include "support/test_systems.h"
#include "ata_helper/capabilities.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using helper::kWhitelist;

using test::kNt10;
using test::kSamplesFolder;

test::ScriptedDrive AnyDrive(bool nvme = false) {
  test::ScriptedDrive d;
  d.nvme = nvme;
  std::fill(d.nvmeController.begin(), d.nvmeController.end(), 0x44);
  std::fill(d.nvmeNamespace.begin(), d.nvmeNamespace.end(), 0x55);
  d.nvmeLog.fill(0x66);
  d.identify.fill(0x11);
  d.data.fill(0x22);
  d.thresholds.fill(0x33);
  return d;
}

// The calls a DeviceChannel makes for one command, as the recorder saw them.
std::vector<test::RecordedCall> ChannelCalls(int drive, DriveCommand c) {
  test::RecordingBackend rec;
  rec.drives[static_cast<std::size_t>(drive)] = AnyDrive(IsNvmeCommand(c));
  TraceLog trace = TraceLog::Off();
  DeviceChannel channel(rec, kNt10, trace);
  channel.SelectPath();
  channel.OpenDrives();
  switch (c) {
    case DriveCommand::IdentifyDevice: channel.Identify(drive, ata::kIdentifyDevice); break;
    case DriveCommand::IdentifyPacketDevice: channel.Identify(drive, ata::kIdentifyPacketDevice); break;
    case DriveCommand::SmartEnable: channel.EnableSmart(drive); break;
    case DriveCommand::SmartReturnStatus: channel.ReturnStatus(drive); break;
    case DriveCommand::SmartReadData: channel.ReadSmartData(drive); break;
    case DriveCommand::SmartReadThresholds: channel.ReadThresholds(drive); break;
    case DriveCommand::CheckPowerMode: channel.CheckPowerMode(drive); break;
    case DriveCommand::NvmeIdentifyController:
    case DriveCommand::NvmeIdentifyNamespace: channel.NvmeIdentify(drive); break;
    case DriveCommand::NvmeSmartLog: channel.NvmeReadSmartLog(drive); break;
  }
  // Identify sends the controller's page, then the namespace's: keep the one asked for.
  std::erase_if(rec.calls, [c](const test::RecordedCall& call) {
    DriveCommand sent{};
    return !ClassifyRequest(LoadBlock<RequestBlock>(call.request), sent) || sent != c;
  });
  return rec.calls;
}

TEST(AtaHelperServe, SendsExactlyTheChannelsCommandToTheNamedDriveOnly) {
  for (int drive : {0, 1, 11}) {
    for (DriveCommand c : kWhitelist) {
      test::RecordingBackend rec;
      rec.drives[static_cast<std::size_t>(drive)] = AnyDrive(IsNvmeCommand(c));
      const helper::Reply reply = Serve({drive, c}, rec);

      EXPECT_EQ(rec.openedNames, std::vector<std::string>{"\\\\.\\PhysicalDrive" + std::to_string(drive)});
      const auto channel = ChannelCalls(drive, c);
      ASSERT_EQ(rec.calls.size(), 1u);
      ASSERT_EQ(channel.size(), 1u);
      EXPECT_EQ(rec.calls[0].code, channel[0].code);
      EXPECT_EQ(rec.calls[0].request, channel[0].request);
      EXPECT_EQ(rec.calls[0].replySize, channel[0].replySize);
      EXPECT_EQ(reply.ok, channel[0].succeeded);
      EXPECT_EQ(rec.closed.size(), 1u) << "the disk is closed before the reply goes out";
    }
  }
}

class DeviceOpenTest : public ::testing::Test {
 protected:
  SysResult Open(const fs::path& p, int flags = SgioOpenFlags()) {
    const SysResult r = devices.Open(p.string(), flags);
    if (r.ok()) kernel.Close(r.value);
    return r;
  }
  test::TempDir dir;
  LinuxSysCalls kernel;
  DeviceOnlySysCalls devices{kernel, dir.path().string()};
};

TEST_F(DeviceOpenTest, OpensOnlyBlockDevicesInsideTheDeviceFolder) {
  test::WriteFile(dir.path() / "sda", "not a disk");
  fs::create_directory(dir.path() / "sub");
  EXPECT_EQ(Open(dir.path() / "sda").error, ENOTBLK);
  EXPECT_EQ(Open(dir.path() / "sub").error, ENOTBLK);
  EXPECT_EQ(Open(dir.path() / "missing").error, ENOENT);

  // Links out of the folder are not followed, however they are spelled.
  fs::create_symlink("/etc/passwd", dir.path() / "sdb");
  fs::create_symlink("/etc", dir.path() / "etc");
  EXPECT_EQ(Open(dir.path() / "sdb").error, ELOOP);
  EXPECT_EQ(Open(dir.path() / "etc" / "passwd").error, ELOOP);
  EXPECT_EQ(Open(dir.path() / ".." / dir.path().filename() / "sda").error, ENOTBLK);
  EXPECT_EQ(Open("/etc/passwd").error, ELOOP);
  EXPECT_EQ(Open(dir.path()).error, ELOOP);

  // Only the SG_IO backend's flags: never write access or creation.
  for (int flags : {O_RDWR | O_NONBLOCK | O_CLOEXEC, O_WRONLY, SgioOpenFlags() | O_CREAT,
                    O_RDONLY | O_CLOEXEC})
    EXPECT_EQ(Open(dir.path() / "sda", flags).error, EINVAL) << flags;
}

TEST(DeviceOpen, TheRealDeviceFolderGivesBlockDevicesOnly) {
  LinuxSysCalls kernel;
  DeviceOnlySysCalls devices(kernel, "/dev");
  EXPECT_EQ(devices.Open("/dev/null", SgioOpenFlags()).error, ENOTBLK);
  EXPECT_EQ(devices.Open("/dev/fd/", SgioOpenFlags()).error, ELOOP) << "a link to /proc";
}

// The built program, as a client runs it.
ProgramRun RunHelper(const std::vector<std::string>& args, std::span<const std::uint8_t> input,
                     std::vector<std::string> env = {"TORVEL_DRIVES=" + kSamplesFolder}) {
  std::vector<std::string> argv{TORVEL_ATA_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, env, input, ProgramLimits{});
}

TEST(AtaHelperProgram, AnswersLikeTheSimulatedBackendOnTheSampleDrives) {
  SimulatedBackend simulated(kSamplesFolder);
  for (int drive = 0; drive < 7; ++drive) {  // 0-4 are samples, 5 and 6 are absent
    for (DriveCommand c : kWhitelist) {
      const auto block = helper::RequestBytes({drive, c});
      Bytes want(RowOf(c).replySize, 0);
      const DeviceHandle h = simulated.Open("\\\\.\\PhysicalDrive" + std::to_string(drive));
      const bool ok = h != kInvalidHandle && simulated.Control(h, RowOf(c).code, block, want);
      const std::uint32_t error = simulated.LastError();

      const auto args = helper::RequestArguments({drive, c});
      const ProgramRun run = RunHelper({args[0], args[1]}, block);
      ASSERT_EQ(run.exitStatus, helper::kExitAnswered) << run.error;
      EXPECT_EQ(run.error, "");
      const helper::DecodedReply got = helper::DecodeReply(run.output, c);
      ASSERT_TRUE(got.reply) << got.error;
      EXPECT_EQ(got.reply->ok, ok) << drive << " " << helper::CommandName(c);
      if (ok)
        EXPECT_EQ(got.reply->bytes, want) << drive << " " << helper::CommandName(c);
      else
        EXPECT_EQ(got.reply->error, error) << drive << " " << helper::CommandName(c);
    }
  }
}

// The effective set the helper reports on one "torvel-ata: <when> CapEff:\t<hex>" line.
std::optional<std::uint64_t> EffectiveSet(const std::string& error, const std::string& when) {
  const std::string mark = "torvel-ata: " + when + " CapEff:\t";
  const auto at = error.find(mark);
  if (at == std::string::npos) return std::nullopt;
  return std::stoull(error.substr(at + mark.size(), 16), nullptr, 16);
}

TEST(AtaHelperProgram, HoldsOnlyTheRawRightForTheCommandAndNoneOnceItIsSent) {
  const auto block = helper::RequestBytes({0, DriveCommand::IdentifyDevice});
  const auto args = helper::RequestArguments({0, DriveCommand::IdentifyDevice});
  const ProgramRun run = RunHelper({args[0], args[1]}, block,
                                   {"TORVEL_DRIVES=" + kSamplesFolder, "TORVEL_ATA_SHOW_CAPS=1"});
  ASSERT_EQ(run.exitStatus, helper::kExitAnswered) << run.error;
  const auto atCommand = EffectiveSet(run.error, "command");
  const auto atReply = EffectiveSet(run.error, "reply");
  ASSERT_TRUE(atCommand && atReply) << run.error;
  // Whatever the process started with (root has every right), the command
  // goes out with at most CAP_SYS_RAWIO, and the reply with nothing.
  EXPECT_EQ(*atCommand & ~(std::uint64_t{1} << helper::kCapSysRawio), 0u) << run.error;
  if (geteuid() == 0) {
    EXPECT_EQ(*atCommand, std::uint64_t{1} << helper::kCapSysRawio);
  }
  EXPECT_EQ(*atReply, 0u);
}

TEST(AtaHelperProgram, RefusesBadRequestsWithAMessageAndNoReply) {
  const auto status = helper::RequestBytes({0, DriveCommand::SmartReturnStatus});
  Bytes changed(status.begin(), status.end());
  changed[4] = ata::kSmartEnable;  // RETURN STATUS's block turned into ENABLE
  Bytes longer(status.begin(), status.end());
  longer.push_back(0);
  struct Case {
    std::vector<std::string> args;
    Bytes input;
    const char* says;
  };
  const Bytes good(status.begin(), status.end());
  const std::vector<Case> cases = {
      {{"0", "status", "extra"}, good, "expected 2 arguments"},
      {{"0"}, good, "expected 2 arguments"},
      {{"-1", "status"}, good, "drive number"},
      {{"12", "status"}, good, "drive number"},
      {{"zero", "status"}, good, "drive number"},
      {{"0", "write"}, good, "unknown command"},
      {{"0", "enable"}, good, "request byte 4 (features register)"},
      {{"0", "status"}, changed, "request byte 4 (features register) is 0xD8, expected 0xDA"},
      {{"0", "status"}, longer, "longer than 32 bytes"},
      {{"0", "status"}, {}, "request block of 0 bytes"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = RunHelper(c.args, c.input);
    EXPECT_EQ(run.exitStatus, helper::kExitRefused) << c.says;
    EXPECT_TRUE(run.output.empty()) << c.says;
    EXPECT_EQ(run.error.rfind("torvel-ata: refused: ", 0), 0u) << run.error;
    EXPECT_NE(run.error.find(c.says), std::string::npos) << run.error;
  }
}

}  // namespace
}  // namespace torvel
