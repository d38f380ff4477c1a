#include "drive/refresh.h"

#include <gtest/gtest.h>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/trace_capture.h"
#include "support/test_systems.h"

namespace torvel {
namespace {

using test::RecordingBackend;
using test::ScriptedDrive;

const FixedSystemInfo kWin10({kPlatformNT, 10, 0, 19045, ""}, {586, 2});
using test::kWin98;

ScriptedDrive HealthyDrive(const char* model, const char* serial) {
  ScriptedDrive d;
  d.identify = IdentifyBuilder()
                   .Model(model)
                   .Serial(serial)
                   .Firmware("CC38")
                   .Sectors(976773168, true)
                   .UltraDma(6, 5)
                   .SmartFeature(true)
                   .sector();
  d.data = SmartSectorBuilder()
               .Attribute(0, 1, 0x0F, 117, 99, 148413488)
               .Attribute(1, 9, 0x32, 98, 98, 10000)
               .Attribute(2, 194, 0x22, 45, 52, 0x00320014002Dull)
               .sector();
  d.thresholds = SmartSectorBuilder().Threshold(0, 1, 6).Threshold(1, 9, 0).Threshold(2, 194, 0).sector();
  return d;
}

struct RefreshFixture : ::testing::Test {
  RecordingBackend backend;
  test::TraceCapture capture;
  DriveTables tables;

  void Refresh(const SystemInfo& sys = kWin10) {
    DeviceChannel channel(backend, sys, capture.trace);
    RefreshDrives(tables, channel, capture.trace);
  }
  const DriveRecord& rec(int n) const { return tables.records[static_cast<std::size_t>(n)]; }
  int CommandsSent(std::uint8_t command, std::uint8_t features = 0) const {
    int count = 0;
    for (const RequestBlock& r : backend.Requests())
      if (r.regs.command == command && (features == 0 || r.regs.features == features)) ++count;
    return count;
  }
};

TEST_F(RefreshFixture, AMachineWithoutDrivesSendsNothingAndTracesNothing) {
  Refresh();
  EXPECT_EQ(backend.openedNames.size(), 24u);
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_TRUE(capture.Text().empty());
  for (const DriveRecord& r : tables.records) EXPECT_FALSE(r.InUse());
}

TEST_F(RefreshFixture, AHealthyDriveIsIdentifiedReadAndTracedInOrder) {
  backend.drives[0] = HealthyDrive("ST3500418AS", "5VM1ABCD");
  Refresh();

  const DriveRecord& r = rec(0);
  EXPECT_TRUE(r.InUse());
  EXPECT_EQ(r.model, "ST3500418AS");
  EXPECT_EQ(r.serial, "5VM1ABCD");
  EXPECT_EQ(r.firmware, "CC38");
  EXPECT_EQ(r.deviceType, kDeviceAta);
  EXPECT_EQ(r.udmaMode, 5);
  EXPECT_EQ(r.smartEnabled, 1);
  EXPECT_EQ(r.smartSupported, 1);
  EXPECT_EQ(r.tec, 0);
  EXPECT_EQ(r.temperature, 45);
  EXPECT_EQ(tables.attributes[0].attributes[1].id, 9);
  EXPECT_EQ(tables.attributes[0].thresholds[0].threshold, 6);
  EXPECT_TRUE(tables.EnabledBefore(0));

  EXPECT_EQ(capture.Messages(),
            (std::vector<std::string>{
                "Physical drive 0 opened successfully\n",
                "SMART Enabled on Drive: 0\n",
                "Disk capacity: 500107862016 bytes = 500.11 Gb\n",
                "\tModel number: ST3500418AS                             \n",
                "\tSerial number: 5VM1ABCD            \n",
                "*** S.M.A.R.T. is OK on drive 0\n",
            }));
  EXPECT_EQ(backend.closed.size(), 1u);
}

TEST_F(RefreshFixture, TecVerdictSetsTheFlagAndNoVerdictLeavesIt) {
  ScriptedDrive d = HealthyDrive("A", "1");
  d.statusRegs.cylLow = 0xF4;
  d.statusRegs.cylHigh = 0x2C;
  backend.drives[1] = d;
  Refresh();
  EXPECT_EQ(rec(1).tec, 1);
  EXPECT_EQ(capture.Messages().back(), "*** T.E.C. detected on drive 1\n");

  backend.drives[1]->failing = {DriveCommand::SmartReturnStatus};
  Refresh();
  EXPECT_EQ(rec(1).tec, 1);
}

// A report of one drive sends the others nothing: no command wakes them.
TEST_F(RefreshFixture, OnlyDriveReadsThatDriveAlone) {
  for (int n : {0, 1, 2}) backend.drives[static_cast<std::size_t>(n)] = HealthyDrive("A", "S");
  DeviceChannel channel(backend, kWin10, capture.trace);
  RefreshDrives(tables, channel, capture.trace, RefreshOptions{false, 1});
  EXPECT_FALSE(rec(0).InUse());
  EXPECT_TRUE(rec(1).InUse());
  EXPECT_FALSE(rec(2).InUse());
  EXPECT_EQ(tables.attributes[1].attributes[1].id, 9);
  ASSERT_FALSE(backend.Requests().empty());
  for (const RequestBlock& r : backend.Requests()) EXPECT_EQ(r.driveNumber, 1);
}

TEST_F(RefreshFixture, EnableHistoryKeepsReadingADriveWhoseEnableFailsLater) {
  // Drive 9 too: every probed drive number has its history bit.
  for (int n : {2, 9}) backend.drives[static_cast<std::size_t>(n)] = HealthyDrive("A", "S");
  Refresh();
  for (int n : {2, 9}) {
    auto& d = *backend.drives[static_cast<std::size_t>(n)];
    d.failing = {DriveCommand::SmartEnable};
    d.data = SmartSectorBuilder().Attribute(0, 1, 0x0F, 50, 50, 1).sector();
  }
  Refresh();
  for (int n : {2, 9}) {
    EXPECT_EQ(rec(n).smartEnabled, 0) << n;
    EXPECT_EQ(rec(n).smartSupported, 1) << n;
    EXPECT_EQ(tables.attributes[static_cast<std::size_t>(n)].attributes[0].value, 50) << n;
  }
  const auto lines = capture.Messages();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "SMART Enable Command Failed, Drive: 9.\n"),
            lines.end());
}

TEST_F(RefreshFixture, ADriveWhoseEnableAlwaysFailsIsIdentifiedButNeverRead) {
  ScriptedDrive d = HealthyDrive("NoSmart", "X1");
  d.failing = {DriveCommand::SmartEnable};
  backend.drives[0] = d;
  Refresh();
  EXPECT_EQ(rec(0).model, "NoSmart");
  EXPECT_EQ(rec(0).smartEnabled, 0);
  EXPECT_EQ(rec(0).smartSupported, 0);
  EXPECT_EQ(CommandsSent(0xB0, 0xD0), 0);
  EXPECT_EQ(CommandsSent(0xB0, 0xDA), 0);
  EXPECT_EQ(capture.Messages()[1], "SMART Enable Command Failed, Drive: 0.\n");
}

TEST_F(RefreshFixture, FailedIdentifyKeepsTheRecord) {
  backend.drives[0] = HealthyDrive("First", "F1");
  Refresh();
  backend.drives[0]->identify = IdentifyBuilder().Model("Second").sector();
  backend.drives[0]->failing = {DriveCommand::IdentifyDevice};
  Refresh();
  EXPECT_EQ(rec(0).model, "First");
  const auto lines = capture.Messages();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Identify Command Failed on Drive: 0\n"),
            lines.end());
}

TEST_F(RefreshFixture, FailedReadsAreTracedAndHandledAsDesigned) {
  backend.drives[0] = HealthyDrive("A", "1");
  backend.drives[0]->failing = {DriveCommand::SmartReadThresholds};
  Refresh();
  EXPECT_EQ(tables.attributes[0].attributes[0].id, 1);
  EXPECT_EQ(tables.attributes[0].thresholds[0].id, 1);
  EXPECT_EQ(tables.attributes[0].thresholds[0].threshold, 0);  // the zeroed threshold sector
  EXPECT_EQ(capture.Messages().back(), "\nSMART Read Thrsh Command Failed on Drive: 0.\n");

  backend.drives[0]->failing = {DriveCommand::SmartReadData};
  backend.drives[0]->data = SmartSectorBuilder().Attribute(0, 1, 0, 1, 1, 1).sector();
  Refresh();
  EXPECT_EQ(tables.attributes[0].attributes[0].value, 117);
  EXPECT_EQ(capture.Messages().back(), "\nSMART Read Attr Command Failed on Drive: 0.\n");
  EXPECT_EQ(CommandsSent(0xB0, 0xD1), 1);  // no threshold read after a failed data read
}

TEST_F(RefreshFixture, SecondPassReachesADriveThatVanishedOnlyThroughFailures) {
  backend.drives[3] = HealthyDrive("Gone", "G1");
  Refresh();
  backend.drives[3].reset();
  Refresh();
  EXPECT_EQ(rec(3).model, "Gone");  // records are never cleared
  const auto lines = capture.Messages();
  EXPECT_EQ(lines.back(), "\nSMART Read Attr Command Failed on Drive: 3.\n");
}

TEST_F(RefreshFixture, SharedDevicePathIdentifiesPacketDevicesWithoutSmartCommands) {
  backend.drives[0] = HealthyDrive("Disk", "D0");
  ScriptedDrive cd;
  cd.packet = true;
  cd.identify = IdentifyBuilder().Word(0, 0x85C0).Model("CD-ROM CDU5211").Serial("C1").sector();
  backend.drives[1] = cd;
  Refresh(kWin98);

  EXPECT_EQ(rec(0).deviceType, kDeviceAta);
  EXPECT_EQ(rec(1).deviceType, kDeviceNone);
  EXPECT_EQ(rec(1).model, "CD-ROM CDU5211");
  EXPECT_EQ(rec(1).smartEnabled, 0);
  for (const RequestBlock& r : backend.Requests()) {
    if (r.driveNumber == 1) {
      EXPECT_EQ(r.regs.command, 0xA1);
    }
  }
  const auto lines = capture.Messages();
  EXPECT_EQ(lines.front(), "Windows 95/98/Me - SMARTVSD opened successfully\n");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Drive 1 is an ATAPI device.\n"), lines.end());
  EXPECT_EQ(lines.back(), "SMARTVSD.VXD closed!\n");
}

TEST_F(RefreshFixture, PerDrivePathAlwaysSendsIdentifyDevice) {
  ScriptedDrive cd;
  cd.packet = true;
  backend.drives[0] = cd;
  Refresh();
  EXPECT_EQ(CommandsSent(0xA1), 0);
  EXPECT_EQ(CommandsSent(0xEC), 1);
  EXPECT_FALSE(rec(0).InUse());
}

TEST_F(RefreshFixture, SharedDeviceThatWillNotOpenEndsTheRefresh) {
  backend.sharedDeviceOpens = false;
  backend.drives[0] = HealthyDrive("A", "1");
  Refresh(kWin98);
  EXPECT_EQ(capture.Messages(), (std::vector<std::string>{
                                    "Unable to open SMARTVSD, error code: 0x2\n",
                                    "Couldn't open physical IDE drives\n"}));
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_FALSE(rec(0).InUse());
}

TEST_F(RefreshFixture, OnlyProbedNumbersAreFilledAndOddNumbersAreSlaves) {
  backend.drives[11] = HealthyDrive("Last", "L");
  Refresh();
  EXPECT_TRUE(rec(11).InUse());
  for (const RequestBlock& r : backend.Requests()) {
    EXPECT_EQ(r.driveNumber, 11);
    EXPECT_EQ(r.regs.driveHead, 0xB0);
  }
  for (int n = 12; n < kMaxDrives; ++n) EXPECT_FALSE(rec(n).InUse());
}

}  // namespace
}  // namespace torvel
