#include "drive/channel.h"

#include <gtest/gtest.h>

#include <functional>

#include "drive/sector_builder.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/trace_capture.h"
#include "support/test_systems.h"

namespace torvel {
namespace {

using test::RecordingBackend;
using test::ScriptedDrive;

const FixedSystemInfo kXp({kPlatformNT, 5, 1, 2600, "Service Pack 2"}, {586, 1});
using test::kWin98;

struct ChannelFixture : ::testing::Test {
  RecordingBackend backend;
  test::TraceCapture capture;
};

TEST(SelectPath, EveryNtVersionTakesThePerDrivePathAndOnly9xTheSharedDevice) {
  RecordingBackend backend;
  TraceLog trace = TraceLog::Off();
  struct Case {
    OsVersionInfo os;
    bool perDrive;
    int probeCount;
  };
  for (const Case& k : {Case{{kPlatformNT, 4, 0, 1381, ""}, true, 24},
                        Case{{kPlatformNT, 5, 2, 3790, ""}, true, 24},
                        Case{{kPlatformNT, 6, 1, 7601, ""}, true, 24},
                        Case{{kPlatformNT, 10, 0, 19045, ""}, true, 24},
                        Case{{kPlatformWin9x, 4, 90, 3000, ""}, false, 8}}) {
    FixedSystemInfo sys(k.os, {586, 1});
    DeviceChannel channel(backend, sys, trace);
    channel.SelectPath();
    EXPECT_EQ(channel.perDrive(), k.perDrive) << k.os.major << "." << k.os.minor;
    EXPECT_EQ(channel.probeCount(), k.probeCount);
  }
}

TEST(SelectPath, AnUnknownPlatformKeepsTheEarlierChoice) {
  RecordingBackend backend;
  TraceLog trace = TraceLog::Off();
  FixedSystemInfo nt({kPlatformNT, 10, 0, 0, ""}, {586, 1});
  FixedSystemInfo other({3, 1, 0, 0, ""}, {586, 1});
  DeviceChannel fresh(backend, other, trace);
  fresh.SelectPath();
  EXPECT_FALSE(fresh.perDrive());
  EXPECT_EQ(fresh.probeCount(), 24);
}

TEST_F(ChannelFixture, PerDrivePathOpensEveryNumberAndKeepsOnlyTheDrivesThatAnswer) {
  backend.drives[0] = ScriptedDrive{};
  backend.drives[2] = ScriptedDrive{};
  DeviceChannel channel(backend, kXp, capture.trace);
  channel.SelectPath();
  EXPECT_NE(channel.OpenDrives(), kNoHandle);

  ASSERT_EQ(backend.openedNames.size(), 24u);
  EXPECT_EQ(backend.openedNames[0], "\\\\.\\PhysicalDrive0");
  EXPECT_EQ(backend.openedNames[23], "\\\\.\\PhysicalDrive23");
  EXPECT_NE(channel.handle(0), kNoHandle);
  EXPECT_EQ(channel.handle(1), kNoHandle);
  EXPECT_NE(channel.handle(2), kNoHandle);
  EXPECT_EQ(channel.openedCount(), 2);
  EXPECT_EQ(capture.Messages(), (std::vector<std::string>{
                                    "Physical drive 0 opened successfully\n",
                                    "Physical drive 2 opened successfully\n"}));

  // The version query belongs to the shared device only.
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_EQ(channel.ideDeviceMap(), 0);

  // No command reaches a drive number without a device.
  EXPECT_FALSE(channel.EnableSmart(1));
  EXPECT_FALSE(channel.ReadSmartData(3));
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(ChannelFixture, FirstEntryMayBeEmptyWithoutBeingAFailure) {
  backend.drives[1] = ScriptedDrive{};
  DeviceChannel channel(backend, kXp, capture.trace);
  channel.SelectPath();
  EXPECT_EQ(channel.OpenDrives(), kNoHandle);
  EXPECT_EQ(channel.openedCount(), 1);
}

TEST_F(ChannelFixture, ClosingTwiceClosesEachHandleOnce) {
  backend.drives[0] = ScriptedDrive{};
  backend.drives[5] = ScriptedDrive{};
  DeviceChannel channel(backend, kXp, capture.trace);
  channel.SelectPath();
  channel.OpenDrives();
  channel.CloseDrives();
  channel.CloseDrives();
  EXPECT_EQ(backend.closed.size(), 2u);
  EXPECT_EQ(channel.handle(0), kNoHandle);
  EXPECT_EQ(channel.handle(5), kNoHandle);
}

TEST_F(ChannelFixture, ReopeningClosesTheEarlierHandlesFirst) {
  backend.drives[0] = ScriptedDrive{};
  DeviceChannel channel(backend, kXp, capture.trace);
  channel.SelectPath();
  channel.OpenDrives();
  channel.OpenDrives();
  EXPECT_EQ(backend.closed.size(), 1u);
  EXPECT_EQ(channel.openedCount(), 1);
}

TEST_F(ChannelFixture, SharedDeviceIsOneHandleForEveryNumberAndClosesOnce) {
  backend.drives[1] = ScriptedDrive{};
  DeviceChannel channel(backend, kWin98, capture.trace);
  channel.SelectPath();
  const DeviceHandle h = channel.OpenDrives();
  EXPECT_EQ(h, RecordingBackend::kShared);
  EXPECT_EQ(backend.openedNames, std::vector<std::string>{"\\\\.\\SMARTVSD"});
  for (int n = 0; n < 8; ++n) EXPECT_EQ(channel.handle(n), h);
  EXPECT_EQ(channel.handle(8), kNoHandle);

  channel.QueryVersion(h);
  EXPECT_EQ(channel.ideDeviceMap(), 0x02);
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(backend.calls[0].code, ControlCode::SmartGetVersion);
  EXPECT_EQ(backend.calls[0].replySize, 24u);

  channel.CloseDrives();
  channel.CloseDrives();
  EXPECT_EQ(backend.closed, std::vector<DeviceHandle>{h});
  EXPECT_EQ(capture.Messages(), (std::vector<std::string>{
                                    "Windows 95/98/Me - SMARTVSD opened successfully\n",
                                    "SMARTVSD.VXD closed!\n"}));
}

TEST_F(ChannelFixture, SharedDeviceOpenFailureIsTracedWithTheErrorCode) {
  backend.sharedDeviceOpens = false;
  DeviceChannel channel(backend, kWin98, capture.trace);
  channel.SelectPath();
  EXPECT_EQ(channel.OpenDrives(), kInvalidHandle);
  EXPECT_EQ(capture.Messages(),
            std::vector<std::string>{"Unable to open SMARTVSD, error code: 0x2\n"});
}

TEST_F(ChannelFixture, FailedVersionQueryGoesOnWithAnEmptyMap) {
  DeviceChannel channel(backend, kWin98, capture.trace);
  channel.SelectPath();
  channel.QueryVersion(12345);  // a handle the backend does not know
  EXPECT_EQ(channel.ideDeviceMap(), 0);
  EXPECT_EQ(capture.Messages(), std::vector<std::string>{"DFP_GET_VERSION failed.\n"});
}

// The exact 32 bytes of every command on both paths.
struct RequestCase {
  const char* name;
  std::function<void(DeviceChannel&, int)> send;
  ControlCode code;
  std::uint32_t bufferSize;
  std::uint8_t features, cylLow, cylHigh, command;
  std::size_t replySize;
};

std::vector<RequestCase> AllCommands() {
  return {
      {"IDENTIFY DEVICE", [](DeviceChannel& c, int n) { c.Identify(n, 0xEC); },
       ControlCode::SmartRcvDriveData, 512, 0, 0, 0, 0xEC, 528},
      {"IDENTIFY PACKET DEVICE", [](DeviceChannel& c, int n) { c.Identify(n, 0xA1); },
       ControlCode::SmartRcvDriveData, 512, 0, 0, 0, 0xA1, 528},
      {"ENABLE", [](DeviceChannel& c, int n) { c.EnableSmart(n); },
       ControlCode::SmartSendDriveCommand, 0, 0xD8, 0x4F, 0xC2, 0xB0, 16},
      {"RETURN STATUS", [](DeviceChannel& c, int n) { c.ReturnStatus(n); },
       ControlCode::SmartSendDriveCommand, 0, 0xDA, 0x4F, 0xC2, 0xB0, 24},
      {"READ DATA", [](DeviceChannel& c, int n) { c.ReadSmartData(n); },
       ControlCode::SmartRcvDriveData, 512, 0xD0, 0x4F, 0xC2, 0xB0, 528},
      {"READ THRESHOLDS", [](DeviceChannel& c, int n) { c.ReadThresholds(n); },
       ControlCode::SmartRcvDriveData, 512, 0xD1, 0x4F, 0xC2, 0xB0, 528},
  };
}

TEST(ChannelRequests, EveryCommandCarriesExactlyItsRegistersOnBothPaths) {
  for (const FixedSystemInfo* sys : {&kXp, &kWin98}) {
    for (int n : {0, 1, 2, 3}) {
      for (const RequestCase& k : AllCommands()) {
        RecordingBackend backend;
        backend.drives[static_cast<std::size_t>(n)] = ScriptedDrive{};
        TraceLog trace = TraceLog::Off();
        DeviceChannel channel(backend, *sys, trace);
        channel.SelectPath();
        channel.OpenDrives();
        k.send(channel, n);
        ASSERT_EQ(backend.calls.size(), 1u) << k.name;
        const auto& call = backend.calls[0];
        EXPECT_EQ(call.code, k.code) << k.name;
        EXPECT_EQ(call.replySize, k.replySize) << k.name;

        std::array<std::uint8_t, 32> expected{};
        expected[0] = static_cast<std::uint8_t>(k.bufferSize & 0xFF);
        expected[1] = static_cast<std::uint8_t>(k.bufferSize >> 8);
        expected[4] = k.features;
        expected[5] = 1;  // sector count
        expected[6] = 1;  // sector number
        expected[7] = k.cylLow;
        expected[8] = k.cylHigh;
        expected[9] = (n % 2) ? 0xB0 : 0xA0;
        expected[10] = k.command;
        expected[12] = static_cast<std::uint8_t>(n);
        EXPECT_EQ(call.request, std::vector<std::uint8_t>(expected.begin(), expected.end()))
            << k.name << " drive " << n << (sys == &kXp ? " per-drive" : " shared");
      }
    }
  }
}

TEST_F(ChannelFixture, ReturnStatusReadsTheVerdictFromTheReturnedRegistersOnly) {
  struct Case {
    std::uint8_t low, high;
    StatusVerdict verdict;
  };
  for (const Case& k : {Case{0x4F, 0xC2, StatusVerdict::Good},
                        Case{0xF4, 0x2C, StatusVerdict::ThresholdExceeded},
                        Case{0x2C, 0xF4, StatusVerdict::None},
                        Case{0x00, 0x00, StatusVerdict::None}}) {
    RecordingBackend b;
    ScriptedDrive d;
    d.statusRegs.cylLow = k.low;
    d.statusRegs.cylHigh = k.high;
    b.drives[0] = d;
    DeviceChannel channel(b, kXp, capture.trace);
    channel.SelectPath();
    channel.OpenDrives();
    EXPECT_EQ(channel.ReturnStatus(0), k.verdict) << int(k.low) << "/" << int(k.high);
  }
}

// A backend that reports success but writes no registers: the request's own
// 0x4F/0xC2 must not be mistaken for the drive's answer.
class SilentSuccess final : public DriveBackend {
 public:
  DeviceHandle Open(std::string_view) override { return 7; }
  bool Control(DeviceHandle, ControlCode, std::span<const std::uint8_t>,
               std::span<std::uint8_t>) override {
    return true;
  }
  void Close(DeviceHandle) override {}
  std::uint32_t LastError() const override { return 0; }
};

TEST(ChannelStatus, SuccessWithoutReturnedRegistersIsNoVerdict) {
  SilentSuccess backend;
  TraceLog trace = TraceLog::Off();
  DeviceChannel channel(backend, kXp, trace);
  channel.SelectPath();
  channel.OpenDrives();
  EXPECT_EQ(channel.ReturnStatus(0), StatusVerdict::None);
}

TEST_F(ChannelFixture, FailedStatusOrReadLeavesNoVerdictAndAZeroedSector) {
  ScriptedDrive d;
  d.data.fill(0x5A);
  backend.drives[0] = d;
  DeviceChannel channel(backend, kXp, capture.trace);
  channel.SelectPath();
  channel.OpenDrives();
  ASSERT_TRUE(channel.ReadSmartData(0));
  EXPECT_EQ(channel.dataSector()[100], 0x5A);

  backend.drives[0]->failing = {DriveCommand::SmartReadData, DriveCommand::SmartReturnStatus};
  EXPECT_FALSE(channel.ReadSmartData(0));
  EXPECT_EQ(channel.ReturnStatus(0), StatusVerdict::None);
  for (std::uint8_t b : channel.dataSector()) ASSERT_EQ(b, 0);
}

}  // namespace
}  // namespace torvel
