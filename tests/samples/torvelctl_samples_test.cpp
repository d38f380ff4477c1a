// torvelctl over the bundled samples, on the per-drive path and on the 9x
// shared-device path that alone sees packet devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "samples/report_parsing.h"
#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel::test {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

struct DrivesRun {
  ProcessResult result;
  DriveList drives;
  std::string debugLog;
};

// torvelctl writes debug.log into its working folder; each run gets its own.
DrivesRun Drives(std::optional<std::string> platform) {
  TempDir cwd;
  DrivesRun run;
  run.result = RunProcess({TORVEL_CTL_PATH, "drives"}, cwd.path(),
                          {{"TORVEL_DRIVES", DrivesDir().string()}, {"TORVEL_PLATFORM", platform}});
  run.drives = ParseDriveList(run.result.out);
  run.debugLog = ReadFile(cwd.path() / "debug.log");
  return run;
}

std::string TrimmedSerial(const fs::path& description) {
  std::string s = DescriptionValue(description, "serial");
  return s.erase(0, s.find_first_not_of(' '));
}

TEST(TorvelctlOnSamples, ListsEveryAtaDiskButNotThePacketDevice) {
  const DrivesRun run = Drives(std::nullopt);
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  std::set<int> expected;
  for (const auto& [n, description] : SampleDescriptions()) {
    SCOPED_TRACE("drive " + std::to_string(n));
    if (DescriptionValue(description, "packet") == "yes") {
      // The per-drive path sends IDENTIFY DEVICE, which a packet device aborts.
      EXPECT_THAT(run.debugLog, HasSubstr("Identify Command Failed on Drive: " + std::to_string(n)));
      continue;
    }
    expected.insert(n);
    ASSERT_TRUE(run.drives.count(n)) << run.result.out;
    const auto& d = run.drives.at(n);
    const bool nvme = DescriptionValue(description, "interface") == "nvme";
    EXPECT_EQ(d.at("kind"), nvme ? "NVMe drive" : "ATA disk");
    EXPECT_EQ(d.at("Transport"), nvme ? "NVMe" : "SATA");
    EXPECT_EQ(d.at("Model"), DescriptionValue(description, "model"));
    EXPECT_EQ(d.at("Serial number"), TrimmedSerial(description));
    EXPECT_EQ(d.at("Firmware"), DescriptionValue(description, "firmware"));
    const bool enableFails = DescriptionValue(description, "fail") == "enable";
    EXPECT_EQ(d.at("S.M.A.R.T."), enableFails ? "not supported, not enabled" : "supported, enabled");
    if (enableFails) {
      EXPECT_THAT(run.debugLog, HasSubstr("SMART Enable Command Failed, Drive: " + std::to_string(n)));
    }
    EXPECT_EQ(d.at("T.E.C.") != "no", DescriptionValue(description, "status") == "tec");
  }
  std::set<int> listed;
  for (const auto& [n, fields] : run.drives) listed.insert(n);
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(listed, (std::set<int>{0, 1, 2, 4, 5}));
}

TEST(TorvelctlOnSamples, The9xPathShowsDrive3AsAPacketDevice) {
  const DrivesRun run = Drives("9x");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
  ASSERT_TRUE(run.drives.count(3)) << run.result.out;
  const fs::path description = SampleDescriptions().at(3);
  EXPECT_EQ(run.drives.at(3).at("kind"), "packet device or no disk");
  EXPECT_EQ(run.drives.at(3).at("Model"), DescriptionValue(description, "model"));
  EXPECT_EQ(run.drives.at(3).at("Serial number"), TrimmedSerial(description));
  EXPECT_THAT(run.debugLog, HasSubstr("Drive 3 is an ATAPI device."));
  EXPECT_THAT(run.debugLog, Not(HasSubstr("Identify Command Failed on Drive: 3")));
  // The shared device's map has room for drives 0 to 3 only.
  std::set<int> listed;
  for (const auto& [n, fields] : run.drives) listed.insert(n);
  EXPECT_EQ(listed, (std::set<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace torvel::test
