#include "drive/simulated_backend.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/refresh.h"
#include "drive/sector_builder.h"
#include "platform/system_info.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"
#include "support/test_systems.h"

namespace torvel {
namespace {

using test::WriteFile;

std::string Bytes(const Sector& s) { return std::string(s.begin(), s.end()); }

struct SimulatedFixture : ::testing::Test {
  test::TempDir dir;
  SimulatedBackend backend{dir.path()};
  test::TraceCapture capture;

  void AddDrive(int n, const char* model, const char* status = nullptr) {
    const auto d = dir.path() / std::to_string(n);
    WriteFile(d / "identify.bin", Bytes(IdentifyBuilder().Model(model).Serial(model).sector()));
    WriteFile(d / "smart-data.bin",
              Bytes(SmartSectorBuilder().Attribute(0, 194, 0x22, 40, 40, 40).sector()));
    WriteFile(d / "smart-thresholds.bin", Bytes(SmartSectorBuilder().Threshold(0, 194, 0).sector()));
    if (status) WriteFile(d / "status", status);
  }
  DeviceChannel Channel(const SystemInfo& sys) { return DeviceChannel(backend, sys, capture.trace); }
};

const FixedSystemInfo kNt({kPlatformNT, 6, 1, 0, ""}, {8664, 2});
using test::kWin98;

TEST_F(SimulatedFixture, MissingFolderIsNoDevice) {
  EXPECT_EQ(backend.Open("\\\\.\\PhysicalDrive0"), kInvalidHandle);
  EXPECT_EQ(backend.LastError(), static_cast<std::uint32_t>(ENOENT));
  EXPECT_EQ(backend.Open("\\\\.\\PhysicalDrive12"), kInvalidHandle);
  SimulatedBackend nowhere(dir.path() / "absent");
  EXPECT_EQ(nowhere.Open("\\\\.\\SMARTVSD"), kInvalidHandle);
}

TEST_F(SimulatedFixture, RefreshReadsEveryFileAndTheStatusVerdicts) {
  AddDrive(0, "GOOD", "good\n");
  AddDrive(1, "TEC", "tec");
  AddDrive(2, "NONE", "none");
  AddDrive(3, "DEFAULT");
  DriveTables t;
  auto channel = Channel(kNt);
  t.records[2].tec = 1;
  RefreshDrives(t, channel, capture.trace);
  EXPECT_EQ(t.records[0].model, "GOOD");
  EXPECT_EQ(t.records[0].temperature, 40);
  EXPECT_EQ(t.records[0].tec, 0);
  EXPECT_EQ(t.records[1].tec, 1);
  EXPECT_EQ(t.records[2].tec, 1);  // no verdict leaves the flag
  EXPECT_EQ(t.records[3].tec, 0);
}

TEST_F(SimulatedFixture, FailFileAndMissingOrShortSectorsFailTheirCommands) {
  AddDrive(0, "A");
  WriteFile(dir.path() / "0" / "fail", "enable\nread-thresholds\n");
  AddDrive(1, "B");
  WriteFile(dir.path() / "1" / "smart-data.bin", "too short");
  AddDrive(2, "C");
  WriteFile(dir.path() / "2" / "fail", "open\n");
  DriveTables t;
  auto channel = Channel(kNt);
  RefreshDrives(t, channel, capture.trace);
  const auto lines = capture.Messages();
  auto has = [&](const std::string& s) { return std::find(lines.begin(), lines.end(), s) != lines.end(); };
  EXPECT_TRUE(has("SMART Enable Command Failed, Drive: 0.\n"));
  EXPECT_EQ(t.records[0].smartEnabled, 0);
  EXPECT_TRUE(has("\nSMART Read Attr Command Failed on Drive: 1.\n"));
  EXPECT_FALSE(has("Physical drive 2 opened successfully\n"));
  EXPECT_FALSE(t.records[2].InUse());
}

TEST_F(SimulatedFixture, FilesAreReadAtEveryCommand) {
  AddDrive(0, "BEFORE");
  DriveTables t;
  auto channel = Channel(kNt);
  RefreshDrives(t, channel, capture.trace);
  WriteFile(dir.path() / "0" / "identify.bin", Bytes(IdentifyBuilder().Model("AFTER").sector()));
  WriteFile(dir.path() / "0" / "status", "tec");
  RefreshDrives(t, channel, capture.trace);
  EXPECT_EQ(t.records[0].model, "AFTER");
  EXPECT_EQ(t.records[0].tec, 1);
}

TEST_F(SimulatedFixture, SharedDeviceMapShowsDrivesAndPacketDevices) {
  AddDrive(0, "DISK");
  AddDrive(3, "CDROM");
  WriteFile(dir.path() / "3" / "packet", "");
  DriveTables t;
  auto channel = Channel(kWin98);
  RefreshDrives(t, channel, capture.trace);
  EXPECT_EQ(t.records[0].deviceType, kDeviceAta);
  EXPECT_EQ(t.records[3].deviceType, kDeviceNone);
  EXPECT_EQ(t.records[3].model, "CDROM");
  EXPECT_EQ(t.records[3].smartEnabled, 0);
}

TEST_F(SimulatedFixture, RequestsOutsideTheSixCommandsAreRefused) {
  AddDrive(0, "A");
  const DeviceHandle h = backend.Open("\\\\.\\PhysicalDrive0");
  ASSERT_NE(h, kInvalidHandle);
  RequestBlock r = BuildRequest(DriveCommand::SmartReadData, 0);
  r.regs.features = 0xD4;  // EXECUTE OFF-LINE: not ours to send
  std::array<std::uint8_t, 32> bytes{};
  StoreBlock(r, bytes);
  std::array<std::uint8_t, kDataReplySize> reply{};
  EXPECT_FALSE(backend.Control(h, ControlCode::SmartRcvDriveData, bytes, reply));
  EXPECT_FALSE(backend.Control(h, ControlCode::SmartRcvDriveData, std::span(bytes).first(31), reply));
}

}  // namespace
}  // namespace torvel
