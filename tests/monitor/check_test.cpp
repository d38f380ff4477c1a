#include "monitor/check.h"

#include <gtest/gtest.h>

#include "config/keys.h"
#include "monitor/alert_texts.h"
#include "notify/system_event_log.h"
#include "support/monitor_harness.h"

namespace torvel {
namespace {

using test::DriveDescription;
using test::MonitorHarness;

// Raw error rate 100/6, reallocated 100/36, power-on hours 98/0, 41 degrees.
constexpr const char* kHealthy =
    "attr 1 0x000f 100 99 6 0\n"
    "attr 5 0x0033 100 100 36 0\n"
    "attr 9 0x0032 98 98 0 1200\n"
    "attr 194 0x0022 41 52 0 41\n";

std::string Healthy(const std::string& model, const std::string& serial) {
  return DriveDescription(model, serial, kHealthy);
}

struct CheckTest : ::testing::Test {
  void SetUp() override {
    h.SetDrive(0, Healthy("DISK A", "SA"));
    h.Refresh();
  }
  // Saves the current values, as WM_CLOSE does, and reads the drives again.
  void Accept() {
    SaveBaseline(h.ctx, h.state);
    h.Refresh();
  }
  void SetDrive0(const std::string& attrs, const std::string& status = "good") {
    h.SetDrive(0, DriveDescription("DISK A", "SA", attrs, status));
    h.Refresh();
  }
  MonitorHarness h;
};

TEST_F(CheckTest, FirstSightLogsOnceAndHealthyDriveReportsItsStatus) {
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.store.GetProfileInt("SA", keys::kStartupDate, 0), h.now);
  EXPECT_EQ(h.store.GetProfileInt("SA", keys::kLastCheck, 0), h.now);
  EXPECT_EQ(h.Log(), "05 March 2007  09:04:02 :: INFO\r\nSMART monitoring started - DISK A [SA]\r\n\r\n");
  EXPECT_TRUE(h.ui.boxes.empty());
  EXPECT_TRUE(h.sound.played.empty());
  ASSERT_EQ(h.frame.reports.size(), 1u);
  const std::string expected = "Disk DISK A, 500.1 GB, S/N:SA\n[SMART OK. ]";
  EXPECT_EQ(h.frame.reports[0], expected + std::string(256 - expected.size(), '\0'));

  h.now += 60;
  ASSERT_TRUE(h.Check(1, 0));
  EXPECT_EQ(h.store.GetProfileInt("SA", keys::kStartupDate, 0), h.now - 60);
  EXPECT_EQ(h.store.GetProfileInt("SA", keys::kLastCheck, 0), h.now - 60) << "open mode records no check";
  EXPECT_EQ(h.Log().find("INFO", h.Log().find("INFO") + 1), std::string::npos)
      << "first sight is logged once";
}

TEST_F(CheckTest, ExcludedDriveGetsNoBlockAndNoAlert) {
  h.SetDrive(1, DriveDescription("DISK B", "SB", "attr 5 0x0033 30 30 36 0\n"));
  h.Refresh();
  h.store.WriteProfileInt("SB", keys::kEnableSmartNotify, 0);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.summary.Text(), "Disk DISK A, 500.1 GB, S/N:SA\n[SMART OK. ]");
  EXPECT_TRUE(h.ui.boxes.empty());
  EXPECT_EQ(h.store.GetProfileInt("SB", keys::kStartupDate, 0), h.now) << "first sight precedes the gate";
}

TEST_F(CheckTest, TemperatureLimitComesFromOptionsUnlessCustom) {
  // Default limit is T + 10: never fires.
  ASSERT_TRUE(h.Check());
  EXPECT_TRUE(h.ui.boxes.empty());

  // Custom values are ignored while UseCustomNotify is 0.
  h.store.WriteProfileInt("SA", keys::kCriticalTemp, 30);
  ASSERT_TRUE(h.Check());
  EXPECT_TRUE(h.ui.boxes.empty());

  h.store.WriteProfileInt(keys::kOptions, keys::kCriticalTemp, 41);
  ASSERT_TRUE(h.Check());
  const std::string message =
      "WARNING!\r\nTemperature of drive  DISK A, 500.1 GB [S/N:SA] exceeded it's threshold limit!\n"
      "Current drive temperature:  41 \xB0" "C\r\n\r\n";
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].text, message);
  EXPECT_EQ(h.ui.boxes[0].style, kMbOk | kMbIconWarning | kMbSystemModal);
  EXPECT_EQ(h.sound.played, (std::vector<std::string>{"alert.wav", "alert.wav"}));
  EXPECT_NE(h.Log().find("ALERT\r\n" + message), std::string::npos);
  EXPECT_EQ(h.state.temperatureAlert, 0);
  EXPECT_EQ(h.store.GetProfileInt(keys::kOptions, keys::kSelectedDrive, -1), 0);

  // With custom notification the drive's own limit and switches apply.
  h.store.WriteProfileInt("SA", keys::kUseCustomNotify, 1);
  h.store.WriteProfileInt("SA", keys::kCriticalTemp, 60);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.ui.boxes.size(), 1u);
  h.store.WriteProfileInt("SA", keys::kCriticalTemp, 40);
  h.store.WriteProfileInt(keys::kOptions, keys::kPopup, 0);
  h.store.WriteProfileInt("SA", keys::kPopup, 0);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.ui.boxes.size(), 1u) << "both pop-up switches off";
  EXPECT_EQ(h.sound.played.size(), 4u) << "the alert itself still sounds";
}

TEST_F(CheckTest, TecFromAPreFailureValueAtItsThreshold) {
  SetDrive0("attr 5 0x0033 36 36 36 0\nattr 9 0x0032 1 1 0 0\n");
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.tables.records[0].tec, 1);
  EXPECT_EQ(h.tables.records[0].badAttributes, 1) << "value 1 over threshold 0 is fine";
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].text,
            "WARNING! The drive DISK A, 500.1 GB [S/N:SA] indicated a S.M.A.R.T. error condition.\r\n"
            "Immediately back-up your data and replace this hard disk drive!\r\n"
            "A failure may be imminent.\r\n\r\nShow more information?")
      << "a Yes/No box ends with its question";
  EXPECT_EQ(h.ui.boxes[0].style, kMbYesNo | kMbIconWarning | kMbSystemModal);
  EXPECT_EQ(h.state.tecAlert, 0) << "cleared once dispatched";
  EXPECT_TRUE(h.frame.openedTabs.empty()) << "No opens nothing";
  EXPECT_EQ(h.summary.Text(),
            "Disk DISK A, 500.1 GB, S/N:SA\n[SMART reported CRITICAL DRIVE CONDITION! A failure may be imminent!]");

  SetDrive0("attr 9 0x0032 1 1 0 0\nattr 5 0x0033 30 30 36 0\n");
  h.store.WriteProfileInt(keys::kOptions, keys::kUseEventLog, 1);
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.tables.records[0].badAttributes, 1);
  ASSERT_EQ(h.channels.events.size(), 1u);
  EXPECT_EQ(h.channels.events[0].id, kEventThresholdExceeded);
  EXPECT_EQ(h.channels.events[0].strings,
            (std::vector<std::string>{"DISK A, 500.1 GB [S/N:SA]", "5 - Reallocated Sector Count", "30", "36"}));
}

TEST_F(CheckTest, TecFlagFromTheDriveAloneLeavesEventStringsEmpty) {
  SetDrive0(kHealthy, "tec");
  h.store.WriteProfileInt(keys::kOptions, keys::kUseEventLog, 1);
  h.ui.answers = {kIdYes};
  h.frame.mainWindowOk = true;
  ASSERT_TRUE(h.Check());
  ASSERT_EQ(h.channels.events.size(), 1u);
  EXPECT_EQ(h.channels.events[0].strings,
            (std::vector<std::string>{"DISK A, 500.1 GB [S/N:SA]", "", "", ""}));
  EXPECT_EQ(h.frame.openedTabs, std::vector<int>{1}) << "Yes opens the S.M.A.R.T. page";
}

TEST_F(CheckTest, ChangeNotificationFollowsTheAttributeMode) {
  struct Case {
    int useCustom, mode, critical;
    bool alerts;
  };
  const Case cases[] = {{0, 0, 0, true},   {1, 1, -1, true},  {1, 2, -1, false},
                        {1, 2, 90, true},  {1, 2, 89, false}, {1, 3, 100, false},
                        {1, 7, 100, false}};
  for (const Case& c : cases) {
    MonitorHarness local;
    local.SetDrive(0, Healthy("DISK A", "SA"));
    local.Refresh();
    SaveBaseline(local.ctx, local.state);
    local.SetDrive(0, DriveDescription("DISK A", "SA",
                                       "attr 1 0x000f 90 90 6 0\nattr 5 0x0033 100 100 36 0\n"));
    local.Refresh();
    local.store.WriteProfileInt("SA", keys::AttributeKey(1, keys::kUseCustomThresholds), c.useCustom);
    local.store.WriteProfileInt("SA", keys::AttributeKey(1, keys::kCustomNotify), c.mode);
    if (c.critical != -1)
      local.store.WriteProfileInt("SA", keys::AttributeKey(1, keys::kCriticalValue), c.critical);
    ASSERT_TRUE(local.Check(0));
    SCOPED_TRACE(testing::Message() << "custom " << c.useCustom << " mode " << c.mode);
    EXPECT_EQ(local.ui.boxes.size(), c.alerts ? 1u : 0u);
    EXPECT_EQ(local.state.changes[0].size(), 1u) << "recorded either way";
    EXPECT_EQ(local.store.GetProfileInt(keys::kOptions, keys::kSelectedDrive, -1), 0);
    EXPECT_NE(local.Log().find("ALERT"), std::string::npos) << "logged either way";
  }
}

TEST_F(CheckTest, ChangeIsLoggedReportedAndAlerted) {
  Accept();
  SetDrive0("attr 1 0x000f 95 90 6 0\nattr 5 0x0033 100 100 36 0\nattr 9 0x0032 98 98 0 1200\n"
            "attr 194 0x0022 44 52 0 44\n");
  h.store.WriteProfileInt(keys::kOptions, keys::kUseEventLog, 1);
  h.store.WriteProfileInt(keys::kOptions, keys::kEmail, 1);
  h.store.WriteProfileInt(keys::kOptions, keys::kNetsend, 1);
  h.store.WriteProfileInt("SA", keys::AttributeKey(194, keys::kLogChanges), 1);
  ASSERT_TRUE(h.Check(0));

  const std::string logText =
      "[DISK A, S/N:SA] - SMART attribute changed: \r\nAttribute : 01 - Raw Read Error Rate\r\n"
      "Last checked value : 100\r\nNew value : 95\r\n\r\n";
  EXPECT_NE(h.Log().find("ALERT\r\n" + logText), std::string::npos);
  EXPECT_EQ(h.Log().find("C2 -"), std::string::npos) << "temperature changes are not logged";
  ASSERT_EQ(h.channels.events.size(), 1u);
  EXPECT_EQ(h.channels.events[0].strings,
            (std::vector<std::string>{"DISK A", "1 - Raw Read Error Rate", "95", "100"}));

  const std::string report =
      "[Drive: DISK A, 500.1 GB, S/N:SA] - SMART attribute changed: \r\n"
      "Attribute : 01 - Raw Read Error Rate\r\nLast checked value : 100\r\nNew value : 95\r\n\r\n"
      "Attribute : C2 - Temperature\r\nLast checked value : 41\r\nNew value : 44\r\n\r\n";
  EXPECT_EQ(h.channels.mails, std::vector<std::string>{report});
  ASSERT_EQ(h.channels.netMessages.size(), 1u);
  EXPECT_EQ(h.channels.netMessages[0].second, report);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].text, "WARNING!\nTorvel detected attribute changing in drive DISK A, 500.1 GB.\n");
  EXPECT_EQ(h.ui.boxes[0].style, kMbOk | kMbIconWarning | kMbSystemModal);
  EXPECT_EQ(h.state.changeAlert, 1) << "stays set after a pop-up";
  EXPECT_EQ(h.summary.Text(),
            "Disk DISK A, 500.1 GB, S/N:SA\n[ 1 SMART attribute changed. Temperature changed. SMART OK. Temp.: 44 \xB0" "C]");
}

TEST_F(CheckTest, TemperatureAttributeChangeAloneRaisesNothing) {
  Accept();
  SetDrive0("attr 1 0x000f 100 99 6 0\nattr 5 0x0033 100 100 36 0\nattr 9 0x0032 98 98 0 1200\n"
            "attr 194 0x0022 0 52 0 47\n");
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.state.changes[0].size(), 1u);
  EXPECT_EQ(h.state.changeAlert, 0);
  EXPECT_EQ(h.tables.records[0].tec, 0) << "no threshold test for a moved temperature slot";
  EXPECT_TRUE(h.ui.boxes.empty());
  EXPECT_EQ(h.store.GetProfileInt(keys::kOptions, keys::kSelectedDrive, -1), 0);
}

TEST_F(CheckTest, TheHigherDriveAlertsAndIsSelected) {
  h.SetDrive(2, Healthy("DISK C", "SC"));
  h.Refresh();
  Accept();
  SetDrive0("attr 1 0x000f 90 90 6 0\n");
  h.SetDrive(2, DriveDescription("DISK C", "SC", "attr 1 0x000f 91 91 6 0\n"));
  h.Refresh();
  ASSERT_TRUE(h.Check(0));
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_NE(h.ui.boxes[0].text.find("DISK C"), std::string::npos);
  EXPECT_EQ(h.store.GetProfileInt(keys::kOptions, keys::kSelectedDrive, -1), 2);
  EXPECT_EQ(h.state.alertDrive, 2);
  EXPECT_EQ(h.summary.Text().find("\n--\nDisk DISK C"), h.summary.Text().find("\n--\n"));
}

TEST_F(CheckTest, TecSuppressesTheOtherAlertsAndKeepsTheBaseline) {
  Accept();
  h.store.WriteProfileInt(keys::kOptions, keys::kCriticalTemp, 30);
  SetDrive0("attr 1 0x000f 90 90 6 0\nattr 5 0x0033 20 20 36 0\nattr 194 0x0022 41 52 0 41\n");
  ASSERT_TRUE(h.Check());
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_NE(h.ui.boxes[0].text.find("S.M.A.R.T. error condition"), std::string::npos);
  EXPECT_EQ(h.state.changes[0].size(), 2u);
  EXPECT_EQ(h.Baseline("SA", 1), 100);
  EXPECT_EQ(h.state.changeAlert, 1);
  EXPECT_EQ(h.state.temperatureAlert, 1) << "suppressed, so never cleared";
}

TEST_F(CheckTest, MoreInformationEitherContinuesOrStops) {
  Accept();
  SetDrive0("attr 1 0x000f 90 90 6 0\nattr 5 0x0033 100 100 36 0\n");
  h.ui.answers = {kIdYes};
  h.frame.mainWindowOk = true;
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.ui.boxes[0].text,
            "WARNING!\nTorvel detected attribute changing in drive DISK A, 500.1 GB.\nShow more information?");
  EXPECT_EQ(h.ui.boxes[0].style, kMbYesNo | kMbIconWarning) << "application-modal";
  EXPECT_EQ(h.frame.reports, std::vector<std::string>{""}) << "byte count 0";
  EXPECT_EQ(h.Baseline("SA", 1), 100);

  h.ui.answers = {kIdYes};
  h.frame.mainWindowOk = false;
  EXPECT_FALSE(h.Check());
  EXPECT_EQ(h.Baseline("SA", 1), 90) << "saved before stopping";
  EXPECT_EQ(h.frame.reports.size(), 1u) << "nothing more reported";
}

TEST_F(CheckTest, OldControlsSaveTheBaselineAtTheEndOfEveryPass) {
  Accept();
  SetDrive0("attr 1 0x000f 90 90 6 0\n");
  h.frame.controlsVersion = 0x50082;
  ASSERT_TRUE(h.Check(0));
  EXPECT_EQ(h.Baseline("SA", 1), 90);
}

TEST(StatusSummary, CutAt255BytesAndZeroTerminated) {
  MonitorHarness h;
  for (int n = 0; n < 5; ++n)
    h.SetDrive(n, Healthy("A MODEL NAME THAT IS FORTY CHARACTERS LO", "SERIAL" + std::to_string(n)));
  h.Refresh();
  ASSERT_TRUE(h.Check());
  EXPECT_EQ(h.summary.Text().size(), 255u);
  ASSERT_EQ(h.frame.reports[0].size(), 256u);
  EXPECT_EQ(h.frame.reports[0][255], '\0');
  EXPECT_EQ(h.frame.reports[0].substr(0, 255), h.summary.Text());
}

}  // namespace
}  // namespace torvel
