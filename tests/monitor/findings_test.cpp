// A check's findings on drives as they are met in the field (samples/findings):
// no false alarm on healthy SSDs and worn laptop disks, growing sector counts
// seen, every drive's status kept, a drive gone mentioned once.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/keys.h"
#include "config/settings.h"
#include "monitor/alert_texts.h"
#include "monitor/baseline.h"
#include "monitor/check.h"
#include "support/monitor_harness.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

using test::DriveDescription;
using test::MonitorHarness;

std::string Sample(const std::string& name) {
  return test::ReadFile(std::filesystem::path(TORVEL_SOURCE_DIR) / "samples" / "findings" / name);
}

constexpr const char* kSoundDisk =
    "attr 1 0x000f 100 99 6 0\n"
    "attr 5 0x0033 100 100 36 0\n"
    "attr 9 0x0032 98 98 0 1200\n";

struct Findings : ::testing::Test {
  // Reads the drives afresh, as each start of the core does.
  void Refresh() {
    h.tables = DriveTables{};
    h.Refresh();
  }
  void Accept() { SaveBaseline(h.ctx, h.state); }
  MonitorHarness h;
};

TEST_F(Findings, HealthySsdsAndAWornLaptopDiskAreNoThresholdExceededCondition) {
  for (const char* name : {"intel-ssd.txt", "kingston-ssd.txt", "biwintech-ssd.txt",
                           "laptop-old-age.txt"}) {
    SCOPED_TRACE(name);
    MonitorHarness fresh;
    fresh.SetDrive(0, Sample(name));
    fresh.Refresh();
    ASSERT_TRUE(fresh.Check());
    EXPECT_EQ(fresh.tables.records[0].tec, 0);
    EXPECT_EQ(fresh.tables.records[0].badAttributes, 0);
    EXPECT_EQ(fresh.state.findings & kFoundTec, 0u);
    EXPECT_TRUE(fresh.ui.boxes.empty()) << fresh.ui.boxes.front().text;
    EXPECT_EQ(fresh.summary.Text().find("CRITICAL"), std::string::npos) << fresh.summary.Text();
    ASSERT_EQ(fresh.frame.trays.size(), 1u);
    EXPECT_EQ(fresh.frame.trays[0], TrayState::Ok);
  }
}

TEST_F(Findings, GrowingSectorCountsAreAChangeWhileTheValuesStandStill) {
  h.store.WriteProfileInt(keys::kOptions, keys::kEmail, 1);
  h.SetDrive(0, Sample("pending-before.txt"));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u) << "first sight only records the counts";
  EXPECT_EQ(settings::attribute::RawCount(h.store, "Z1E5ABCD", 5), 16u) << "the low 32 bits";
  EXPECT_EQ(settings::attribute::RawCount(h.store, "Z1E5ABCD", 197), 8u);
  Accept();

  h.SetDrive(0, Sample("pending-after.txt"));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, kFoundSectorGrowth);
  EXPECT_TRUE(h.state.changes[0].empty()) << "no normalised value moved";
  ASSERT_EQ(h.state.growths[0].size(), 3u);
  EXPECT_EQ(h.state.growths[0][0].attributeId, 5);
  EXPECT_EQ(h.state.growths[0][0].oldCount, 16u);
  EXPECT_EQ(h.state.growths[0][0].newCount, 40u);
  const std::string log = h.Log();
  EXPECT_NE(log.find("[ST2000DM001-1CH164, S/N:Z1E5ABCD] - Sector count grew: \r\n"
                     "Attribute : 05 - Reallocated Sector Count\r\n"
                     "Last checked count : 16\r\nNew count : 40\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("C5 - Current Pending Sector Count\r\nLast checked count : 8\r\nNew count : 24"),
            std::string::npos)
      << log;
  ASSERT_EQ(h.channels.mails.size(), 1u) << "alerted like a change";
  EXPECT_NE(h.channels.mails[0].find("Sector count grew"), std::string::npos);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_NE(h.ui.boxes[0].text.find("Torvel detected attribute changing in drive ST2000DM001"),
            std::string::npos);
  EXPECT_EQ(h.frame.trays.back(), TrayState::Changed);

  // Accepted: the new counts are the baseline, nothing more is found.
  Accept();
  EXPECT_EQ(settings::attribute::RawCount(h.store, "Z1E5ABCD", 198), 24u);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u);
}

TEST_F(Findings, BitsAboveTheCountAndFallingCountsAreNoGrowth) {
  h.SetDrive(0, Sample("pending-before.txt"));
  Refresh();
  ASSERT_TRUE(h.Check());
  Accept();
  std::string moved = Sample("pending-before.txt");
  moved.replace(moved.find("4294967312"), 10, "8589934608");  // 2 << 32 | 16
  moved.replace(moved.find("0      8\nattr 198"), 8, "0      2");  // 197 fell to 2
  h.SetDrive(0, moved);
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u);
}

TEST_F(Findings, AFailingFifthDriveIsNeitherCutFromTheStatusNorFromTheTray) {
  for (int d = 0; d < 4; ++d)
    h.SetDrive(d, DriveDescription("WDC WD5000AAKX-00ERMA0", "WD-WCC2E" + std::to_string(d), kSoundDisk));
  h.SetDrive(4, DriveDescription("WDC WD5000AAKX-00ERMA0", "WD-FAIL", kSoundDisk, "tec"));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.summary.Text().find("CRITICAL"), std::string::npos) << "the 256 bytes end before it";
  EXPECT_NE(h.summary.FullText().find("S/N:WD-FAIL\n[SMART reported CRITICAL"), std::string::npos)
      << h.summary.FullText();
  ASSERT_EQ(h.frame.trays.size(), 1u);
  EXPECT_EQ(h.frame.trays[0], TrayState::Bad);
  EXPECT_EQ(h.frame.reports[0].size(), StatusSummary::kBytes) << "the designed buffer is kept";
}

TEST_F(Findings, AnAttributesOwnMethodsAreTheOnlyWaysItsChangeGoesOut) {
  h.store.WriteProfileInt(keys::kOptions, keys::kNetsend, 1);
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  Accept();
  // Raw read error rate: custom settings, e-mail only.
  settings::attribute::SetUseCustomThresholds(h.store, "SA", 1, 1);
  settings::attribute::SetPopup(h.store, "SA", 1, 0);
  settings::attribute::SetEmail(h.store, "SA", 1, 1);
  settings::attribute::SetNetSend(h.store, "SA", 1, 0);
  h.SetDrive(0, DriveDescription("DISK A", "SA",
                                 "attr 1 0x000f 99 99 6 0\nattr 5 0x0033 100 100 36 0\n"
                                 "attr 9 0x0032 98 98 0 1200\n"));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, kFoundChange);
  EXPECT_EQ(h.channels.mails.size(), 1u);
  EXPECT_TRUE(h.channels.netMessages.empty()) << "the global network message is not its way";
  EXPECT_TRUE(h.ui.boxes.empty()) << "nor the pop-up";

  // "Never": still found and logged, but it raises no alert.
  settings::attribute::SetCustomNotify(h.store, "SA", 1, 3);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.channels.mails.size(), 1u);
  EXPECT_TRUE(h.ui.boxes.empty());
}

TEST_F(Findings, DrivesSharingOrLackingASerialKeepBaselinesOfTheirOwn) {
  h.SetDrive(0, DriveDescription("DISK A", "SAME", kSoundDisk));
  h.SetDrive(1, DriveDescription("DISK B", "SAME",
                                 "attr 1 0x000f 90 90 6 0\nattr 5 0x0033 80 80 36 0\n"));
  h.SetDrive(2, DriveDescription("DISK C", "\"\"", kSoundDisk));
  h.SetDrive(3, DriveDescription("DISK D", "Options", kSoundDisk));
  Refresh();
  EXPECT_EQ(h.tables.records[0].Section(), "Drive 0: DISK A [SAME]");
  EXPECT_EQ(h.tables.records[1].Section(), "Drive 1: DISK B [SAME]");
  EXPECT_EQ(h.tables.records[2].Section(), "Drive 2: DISK C []");
  EXPECT_EQ(h.tables.records[3].Section(), "Drive 3: DISK D [Options]");
  ASSERT_TRUE(h.Check());
  Accept();
  for (int pass = 0; pass < 2; ++pass) {
    Refresh();
    ASSERT_TRUE(h.Check());
    EXPECT_EQ(h.state.findings, 0u) << "no false change at check " << pass;
  }
  EXPECT_EQ(h.store.GetProfileInt(keys::kOptions, BaselineKey(5), -1), -1)
      << "nothing of a drive in the global section";
  EXPECT_EQ(SavedValue(h.store, "Drive 1: DISK B [SAME]", 5), 80);
  EXPECT_EQ(h.store.GetProfileInt("SAME", BaselineKey(5), -1), -1);
}

TEST_F(Findings, AFallProjectedOnceKeepsItsDateWhileTheBaselineIsKept) {
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  Accept();
  const auto fallTo = [this](int value) {
    h.SetDrive(0, DriveDescription("DISK A", "SA",
                                   "attr 1 0x000f 100 99 6 0\nattr 5 0x0033 " + std::to_string(value) +
                                       " 100 36 0\nattr 9 0x0032 98 98 0 1200\n"));
    Refresh();
  };
  fallTo(90);
  ASSERT_TRUE(h.Check());  // the first fall: recorded
  Accept();
  h.now += 10 * 86400;
  fallTo(80);
  ASSERT_TRUE(h.Check());  // the second: projected
  const int date = settings::attribute::TecDate(h.store, "SA", 5);
  ASSERT_NE(date, 0);
  for (int day = 1; day <= 3; ++day) {
    h.now += 86400;
    ASSERT_TRUE(h.Check());  // the same fall, baseline kept
    EXPECT_EQ(settings::attribute::TecDate(h.store, "SA", 5), date) << "day " << day;
  }
  // Accepted, the next fall projects afresh.
  Accept();
  h.now += 86400;
  fallTo(70);
  ASSERT_TRUE(h.Check());
  EXPECT_NE(settings::attribute::TecDate(h.store, "SA", 5), date);
}

TEST_F(Findings, ADriveThatStopsAnsweringIsReportedOnceUntilItComesBackAndGoesAgain) {
  h.store.WriteProfileInt(keys::kOptions, keys::kEmail, 1);
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk));
  h.SetDrive(1, DriveDescription("DISK B", "SB", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  Accept();

  h.RemoveDrive(1);
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, kFoundMissingDrive);
  ASSERT_EQ(h.state.missing.size(), 1u);
  EXPECT_EQ(h.state.missing[0].model, "DISK B");
  EXPECT_EQ(h.state.missing[0].serial, "SB");
  EXPECT_NE(h.Log().find("[DISK B, S/N:SB] - The drive no longer answers"), std::string::npos);
  ASSERT_EQ(h.channels.mails.size(), 1u);
  EXPECT_NE(h.channels.mails[0].find("DISK B"), std::string::npos);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_NE(h.ui.boxes[0].text.find("The drive no longer answers"), std::string::npos);
  EXPECT_EQ(h.frame.trays.back(), TrayState::Changed);

  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u) << "reported once";

  h.SetDrive(1, DriveDescription("DISK B", "SB", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u) << "back again";
  h.RemoveDrive(1);
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, kFoundMissingDrive) << "gone again";
}

TEST_F(Findings, NothingReadIsNoDriveGoneAndNoCheck) {
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  Accept();
  h.RemoveDrive(0);
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u) << "a machine where nothing answers has not lost its disks";
  EXPECT_EQ(h.state.checkedDrives, 0);
  EXPECT_EQ(h.frame.trays.back(), TrayState::Unknown);
}

TEST_F(Findings, TheTemperatureBoxFollowsTheDrivesOwnPopupSetting) {
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk + std::string("attr 194 0x0022 55 60 0 55\n")));
  Refresh();
  settings::SetCriticalTemp(h.store, 50);
  ASSERT_TRUE(h.Check());
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  settings::drive::SetUseCustomNotify(h.store, "SA", 1);
  settings::drive::SetCriticalTemp(h.store, "SA", 50);
  settings::drive::SetPopup(h.store, "SA", 0);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, kFoundTemperature);
  EXPECT_EQ(h.ui.boxes.size(), 1u) << "the drive's own switch is off, whatever the global one says";
}

TEST_F(Findings, MailRepeatOnceMailsAFindingOnceUntilItClears) {
  h.store.WriteProfileInt(keys::kOptions, keys::kEmail, 1);
  settings::SetMailRepeat(h.store, 1);
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk, "tec"));
  Refresh();
  ASSERT_TRUE(h.Check());
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.channels.mails.size(), 1u) << "the same T.E.C. again";
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.findings, 0u);
  h.SetDrive(0, DriveDescription("DISK A", "SA", kSoundDisk, "tec"));
  Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.channels.mails.size(), 2u) << "cleared, then back";

  settings::SetMailRepeat(h.store, 2);
  h.now += 23 * 3600;
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.channels.mails.size(), 2u);
  h.now += 3600;
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.channels.mails.size(), 3u) << "once a day while it lasts";
}

}  // namespace
}  // namespace torvel
