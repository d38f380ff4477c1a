// NVMe pages into drive records and attribute rows, sleeping disks left
// asleep, and the 24-drive limit, through the refresh as a machine runs it.
#include "drive/nvme.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/refresh.h"
#include "drive/sector_builder.h"
#include "drive/simulated_backend.h"
#include "drive/smart_data.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::RecordingBackend;
using test::ScriptedDrive;

const FixedSystemInfo kNvmeNt({kPlatformNT, 10, 0, 19045, ""}, {586, 2});

NvmeHealth WornHealth() {
  NvmeHealth h;
  h.temperatureKelvin = 273 + 41;
  h.availableSpare = 100;
  h.spareThreshold = 10;
  h.percentageUsed = 7;
  h.dataUnitsRead = 123456789;
  h.powerOnHours = 8760;
  h.powerCycles = 512;
  h.mediaErrors = 3;
  h.warningTempMinutes = 12;
  return h;
}

const AttributeEntry* Row(const DriveTables& t, int n, int id, int* threshold = nullptr) {
  const AttributeTable& table = t.attributes[static_cast<std::size_t>(n)];
  for (std::size_t i = 0; i < kAttributeSlots; ++i)
    if (table.attributes[i].id == id) {
      if (threshold) *threshold = table.thresholds[i].threshold;
      return &table.attributes[i];
    }
  return nullptr;
}

TEST(NvmeIdentify, FieldsCapacityAndTheirFallbacks) {
  NvmePagesBuilder b;
  b.Identity("  WD_BLACK SN850X 2000GB", " 22475V801234 ", "620311WD").Namespace(3907029168, 9);
  NvmeIdentity id = ParseNvmeIdentify(b.controller(), b.ns());
  EXPECT_EQ(id.model, "WD_BLACK SN850X 2000GB");
  EXPECT_EQ(id.serial, "22475V801234");
  EXPECT_EQ(id.firmware, "620311WD");
  EXPECT_EQ(id.capacityBytes, 3907029168ull * 512);

  // Formatted with 4 KiB blocks: FLBAS picks format 1.
  auto ns = b.ns();
  ns[26] = 1;
  ns[128 + 4 + 2] = 12;
  ns[0] = 0x00;  // NSZE of 0x...00: 488378624 blocks below
  const std::uint64_t blocks = 488378624;
  for (int i = 0; i < 8; ++i) ns[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(blocks >> (8 * i));
  EXPECT_EQ(ParseNvmeIdentify(b.controller(), ns).capacityBytes, blocks * 4096);

  // No namespace answered: the controller's total NVM capacity stands in.
  const std::array<std::uint8_t, nvme::kIdentifySize> none{};
  EXPECT_EQ(ParseNvmeIdentify(b.controller(), none).capacityBytes, 3907029168ull * 512);

  // A broken controller's bytes never reach the texts as controls.
  auto ctrl = b.controller();
  ctrl[24] = 0x07;
  ctrl[25] = 0xE9;
  EXPECT_EQ(ParseNvmeIdentify(ctrl, b.ns()).model.substr(0, 4), "??WD");
}

TEST(NvmeHealthLog, CountersAndTheirLimits) {
  NvmePagesBuilder b;
  b.Health(WornHealth());
  auto log = b.log();
  NvmeHealth h = ParseNvmeHealth(log);
  EXPECT_EQ(h.temperatureKelvin, 314);
  EXPECT_EQ(h.dataUnitsRead, 123456789u);
  EXPECT_EQ(h.mediaErrors, 3u);
  EXPECT_EQ(h.warningTempMinutes, 12u);
  // A 128-bit counter past 64 bits saturates instead of wrapping to a small number.
  log[128 + 9] = 1;
  EXPECT_EQ(ParseNvmeHealth(log).powerOnHours, ~std::uint64_t{0});

  DriveTables t;
  StoreNvmeData(t, 0, {"M", "S", "F", 0}, ParseNvmeHealth(log));
  EXPECT_EQ(Row(t, 0, nvme_id::kPowerOnHours)->Raw(), 0xFFFFFFFFFFFFull) << "the row's six bytes, full";
}

TEST(NvmeMapping, RowsFollowTheRulesTheirIdsHave) {
  DriveTables t;
  NvmeHealth h = WornHealth();
  StoreNvmeData(t, 3, {"Samsung SSD 990 PRO 2TB", "S7DNNJ0W", "4B2QJXD7", 2000398934016}, h);
  const DriveRecord& rec = t.records[3];
  EXPECT_EQ(rec.deviceType, kDeviceNvme);
  EXPECT_TRUE(rec.IsDisk());
  EXPECT_EQ(rec.temperature, 41);
  EXPECT_EQ(rec.tec, 0);
  EXPECT_NEAR(rec.capacity, 2000.4f, 0.1f);
  EXPECT_EQ(rec.udmaMode, kUdmaNotValid);

  int threshold = -1;
  const AttributeEntry* spare = Row(t, 3, nvme_id::kAvailableSpare, &threshold);
  ASSERT_NE(spare, nullptr);
  EXPECT_EQ(spare->value, 100);
  EXPECT_EQ(threshold, 10);
  EXPECT_FALSE(CountsAsTec(*spare, t.attributes[3].thresholds[1]));
  EXPECT_EQ(Row(t, 3, nvme_id::kPercentageUsed)->value, 93);
  EXPECT_EQ(Row(t, 3, kTemperatureId)->raw[0], 41);
  // Media errors take a sector-count id: their growth is a finding.
  EXPECT_TRUE(IsSectorCountId(nvme_id::kMediaErrors));
  EXPECT_EQ(SectorCount(*Row(t, 3, nvme_id::kMediaErrors)), 3u);
  EXPECT_EQ(NvmeAttributeName(nvme_id::kMediaErrors), "Media and Data Integrity Errors");
  // Counters that only grow keep a steady value: no change finding at each check.
  EXPECT_EQ(Row(t, 3, nvme_id::kDataUnitsRead)->value, 100);

  // The spare at its threshold is a T.E.C. by the attribute rule, and any
  // critical warning bit is the drive's own.
  h.availableSpare = 9;
  h.criticalWarning = 0x01;
  h.percentageUsed = 130;
  StoreNvmeData(t, 3, {"M", "S", "F", 0}, h);
  spare = Row(t, 3, nvme_id::kAvailableSpare, &threshold);
  EXPECT_TRUE(CountsAsTec(spare->Flags(), spare->value, threshold));
  EXPECT_EQ(t.records[3].tec, 1);
  EXPECT_EQ(Row(t, 3, nvme_id::kPercentageUsed)->value, 0);
  EXPECT_EQ(Row(t, 3, nvme_id::kCriticalWarning)->value, 1);
}

std::vector<std::uint8_t> CapturedPage(const char* name) {
  const std::string bytes =
      test::ReadFile(fs::path(TORVEL_SOURCE_DIR) / "tests" / "drive" / "data" / "qemu-nvme" / name);
  return {bytes.begin(), bytes.end()};
}

// What nvme-cli read from the same controller (the .json files beside the pages).
TEST(NvmeCaptured, QemusPagesReadAsNvmeCliReadThem) {
  const auto ctrl = CapturedPage("nvme-id-ctrl.bin");
  const auto ns = CapturedPage("nvme-id-ns.bin");
  const auto log = CapturedPage("nvme-smart-log.bin");
  ASSERT_EQ(ctrl.size(), nvme::kIdentifySize);
  ASSERT_EQ(ns.size(), nvme::kIdentifySize);
  ASSERT_EQ(log.size(), nvme::kSmartLogSize);
  const NvmeIdentity id = ParseNvmeIdentify(NvmeIdentifyView(ctrl.data(), ctrl.size()),
                                            NvmeIdentifyView(ns.data(), ns.size()));
  EXPECT_EQ(id.model, "QEMU NVMe Ctrl");
  EXPECT_EQ(id.serial, "TVMNVME01");
  EXPECT_EQ(id.firmware, "7.2.22");
  EXPECT_EQ(id.capacityBytes, 8388608ull * 512);  // nsze, lbafs[flbas].ds = 9
  const NvmeHealth h = ParseNvmeHealth(NvmeLogView(log.data(), log.size()));
  EXPECT_EQ(h.criticalWarning, 0);
  EXPECT_EQ(h.temperatureKelvin, 323);
  EXPECT_EQ(h.dataUnitsRead, 1u);
  EXPECT_EQ(h.hostReads, 3u);
  EXPECT_EQ(h.powerOnHours, 0u);

  // This controller reports no total capacity: without its namespace there is none.
  const std::array<std::uint8_t, nvme::kIdentifySize> none{};
  EXPECT_EQ(ParseNvmeIdentify(NvmeIdentifyView(ctrl.data(), ctrl.size()), none).capacityBytes, 0u);

  DriveTables t;
  StoreNvmeData(t, 0, id, h);
  EXPECT_EQ(t.records[0].temperature, 50);
  EXPECT_NEAR(t.records[0].capacity, 4.29f, 0.01f);
  EXPECT_EQ(Row(t, 0, nvme_id::kHostReads)->Raw(), 3u);
}

struct NvmeRefresh : ::testing::Test {
  RecordingBackend backend;
  test::TraceCapture capture;
  DriveTables tables;
  void Refresh(RefreshOptions options = {}) {
    DeviceChannel channel(backend, kNvmeNt, capture.trace);
    RefreshDrives(tables, channel, capture.trace, options);
  }
  int Sent(int drive, DriveCommand command) const {
    int count = 0;
    for (const auto& call : backend.calls) {
      DriveCommand sent{};
      if (call.handle == 100 + drive && ClassifyRequest(LoadBlock<RequestBlock>(call.request), sent) &&
          sent == command)
        ++count;
    }
    return count;
  }
};

ScriptedDrive NvmeDrive() {
  ScriptedDrive d;
  d.nvme = true;
  NvmePagesBuilder b;
  b.Identity("KIOXIA EXCERIA G2 SSD", "X1RB71ABCDEF", "ECFA11.3").Namespace(1953525168, 9).Health(WornHealth());
  d.nvmeController.assign(b.controller().begin(), b.controller().end());
  d.nvmeNamespace.assign(b.ns().begin(), b.ns().end());
  std::copy(b.log().begin(), b.log().end(), d.nvmeLog.begin());
  return d;
}

ScriptedDrive AtaDrive(std::uint8_t power) {
  ScriptedDrive d;
  d.identify = IdentifyBuilder().Model("ST4000VN008").Serial("ZDH1ABCD").Sectors(7814037168, true).SmartFeature(true).sector();
  d.data = SmartSectorBuilder().Attribute(0, 9, 0x32, 90, 90, 20000).sector();
  d.powerMode = power;
  return d;
}

TEST_F(NvmeRefresh, AnNvmeControllerGetsItsThreeReadsAndNoAtaCommand) {
  backend.drives[1] = NvmeDrive();
  Refresh();
  const DriveRecord& rec = tables.records[1];
  EXPECT_EQ(rec.model, "KIOXIA EXCERIA G2 SSD");
  EXPECT_EQ(rec.device, "/dev/nvme1");
  EXPECT_EQ(rec.transport, "NVMe");
  EXPECT_EQ(rec.deviceType, kDeviceNvme);
  EXPECT_NE(Row(tables, 1, nvme_id::kPowerOnHours), nullptr);
  for (DriveCommand c : {DriveCommand::NvmeIdentifyController, DriveCommand::NvmeIdentifyNamespace,
                         DriveCommand::NvmeSmartLog})
    EXPECT_EQ(Sent(1, c), 1);
  EXPECT_EQ(backend.calls.size(), 3u) << "no ATA command, not even CHECK POWER MODE";

  // Without its health log the drive is still named, with nothing to judge.
  backend.drives[1]->failing = {DriveCommand::NvmeSmartLog};
  tables = DriveTables{};
  Refresh();
  EXPECT_EQ(tables.records[1].model, "KIOXIA EXCERIA G2 SSD");
  EXPECT_EQ(tables.records[1].smartSupported, 0);
  EXPECT_NE(capture.Text().find("NVMe SMART Log Command Failed on Drive: 1"), std::string::npos);
}

TEST_F(NvmeRefresh, ADiskInStandbyHearsOnlyCheckPowerModeAndKeepsWhatWasRead) {
  backend.drives[0] = AtaDrive(0xFF);
  Refresh();
  ASSERT_EQ(tables.records[0].model, "ST4000VN008");
  EXPECT_FALSE(tables.records[0].asleep);

  backend.drives[0]->powerMode = ata::kPowerStandby;
  backend.calls.clear();
  Refresh();
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(Sent(0, DriveCommand::CheckPowerMode), 1);
  EXPECT_TRUE(tables.records[0].asleep);
  EXPECT_EQ(tables.records[0].model, "ST4000VN008") << "the last values stay";
  EXPECT_EQ(Row(tables, 0, 9)->Raw(), 20000u);
  EXPECT_NE(capture.Text().find("Drive 0 is in standby: left asleep, not checked"), std::string::npos);

  backend.calls.clear();
  Refresh({.wakeSleeping = true});
  EXPECT_FALSE(tables.records[0].asleep);
  EXPECT_EQ(Sent(0, DriveCommand::SmartReadData), 1);
}

TEST(DriveLimit, TwentyFourDrivesAreReadAndTheRestNamed) {
  test::TempDir dir;
  const fs::path sample = fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "0";
  for (int n = 0; n < 26; ++n) fs::copy(sample, dir.path() / std::to_string(n));
  SimulatedBackend backend(dir.path());
  test::TraceCapture capture;
  DriveTables tables;
  DeviceChannel channel(backend, kNvmeNt, capture.trace);
  RefreshDrives(tables, channel, capture.trace);
  for (int n = 0; n < kMaxDrives; ++n) EXPECT_TRUE(tables.records[static_cast<std::size_t>(n)].InUse()) << n;
  ASSERT_EQ(tables.notChecked.size(), 2u);
  EXPECT_EQ(tables.notChecked[0], (dir.path() / "24").string());
  EXPECT_NE(capture.Text().find("Disk " + (dir.path() / "25").string() + " not checked: only 24 drives are"),
            std::string::npos);
}

}  // namespace
}  // namespace torvel
