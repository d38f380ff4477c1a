// The launcher's decisions and `torvelctl schedule`, with plain inputs.
#include <gtest/gtest.h>


#include "config/keys.h"
#include "config/settings_store.h"
#include "monitor/monitor_state.h"
#include "monitor/schedule.h"
#include "support/temp_dir.h"
#include "torvelctl/schedule_command.h"

namespace torvel {
namespace {

TEST(LauncherSchedule, IntervalFollowsUnitAndNeverDropsBelowOne) {
  EXPECT_EQ(IntervalSeconds({true, 45, 1}), 2700);
  EXPECT_EQ(IntervalSeconds({true, 2, 0}), 7200);
  EXPECT_EQ(IntervalSeconds({true, 240, 0}), 240 * 3600);
  EXPECT_EQ(IntervalSeconds({true, 0, 1}), 60);
  EXPECT_EQ(IntervalSeconds({true, -5, 0}), 3600);
  EXPECT_EQ(IntervalSeconds({true, 3, 7}), 180) << "any non-zero TimeType counts minutes";
}

TEST(LauncherSchedule, ReadsTheMainWindowsDefaults) {
  MemorySettingsStore store;
  ScheduleSettings s = ReadSchedule(store);
  EXPECT_TRUE(s.autoCheck);
  EXPECT_EQ(IntervalSeconds(s), 3600);
  store.WriteProfileInt(keys::kOptions, keys::kTimeType, 1);
  EXPECT_EQ(IntervalSeconds(ReadSchedule(store)), 30 * 60) << "minutes default to 30";
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 5);
  store.WriteProfileInt(keys::kOptions, keys::kAutoCheck, 0);
  s = ReadSchedule(store);
  EXPECT_FALSE(s.autoCheck);
  EXPECT_EQ(IntervalSeconds(s), 300);
}

TEST(LauncherSchedule, NextRunAsTheNextCheckLine) {
  EXPECT_EQ(NextRun(1000, 1500, 3600, false), 4600) << "one interval after the last run";
  EXPECT_EQ(NextRun(1000, 4600, 3600, false), 8200) << "due now: one interval from now";
  EXPECT_EQ(NextRun(1000, 9999, 3600, false), 13599) << "long past: from now, not a burst";
  EXPECT_EQ(NextRun(1000, 1500, 60, true), 1560) << "a schedule change counts from now";
  EXPECT_EQ(NextRun(0, 1700000000, 3600, false), 1700003600) << "never ran";
}

constexpr const char* kCritical = "SMART reported CRITICAL DRIVE CONDITION! A failure may be imminent!";

TEST(LauncherTray, StateFromTheSummary) {
  const std::string ok = "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]";
  const std::string changed = "Disk B, 1.0 GB, S/N:2\n[ 1 SMART attribute changed. SMART OK. ]";
  const std::string hot = "Disk C, 1.0 GB, S/N:3\n[ Temperature changed [41 \xB0" "C] SMART OK. ]";
  const std::string tec = std::string("Disk D, 1.0 GB, S/N:4\n[") + kCritical + "]";
  const std::string unsupported = "Disk E, 1.0 GB, S/N:5\n[This hard drive does not support SMART]";
  EXPECT_EQ(TrayStateOf(ok, kCritical), TrayState::Ok);
  EXPECT_EQ(TrayStateOf(unsupported, kCritical), TrayState::Ok);
  EXPECT_EQ(TrayStateOf(changed, kCritical), TrayState::Changed);
  EXPECT_EQ(TrayStateOf(hot, kCritical), TrayState::Changed);
  EXPECT_EQ(TrayStateOf(tec, kCritical), TrayState::Bad);
  EXPECT_EQ(TrayStateOf(ok + "\n--\n" + changed + "\n--\n" + ok, kCritical), TrayState::Changed);
  EXPECT_EQ(TrayStateOf(tec + "\n--\n" + changed, kCritical), TrayState::Bad) << "the worst wins";
  EXPECT_EQ(TrayStateOf("", kCritical), TrayState::Unknown) << "no drive";
  // The 256-byte cut can leave only the start of the last status.
  EXPECT_EQ(TrayStateOf(ok + "\n--\nDisk D, 1.0 GB, S/N:4\n[SMART reported CRIT", kCritical), TrayState::Bad);
  EXPECT_EQ(TrayStateOf(ok + "\n--\nDisk D, 1.0 GB, S/N:4\n[", kCritical), TrayState::Ok);
}

TEST(LauncherTray, SummaryTooltipAndFlash) {
  std::string bytes = "Disk A\n[SMART OK. ]";
  bytes.resize(256, '\0');
  EXPECT_EQ(SummaryText(bytes), "Disk A\n[SMART OK. ]");
  EXPECT_EQ(SummaryText(std::string(300, 'x')).size(), 256u) << "never past the block";

  EXPECT_EQ(TooltipText("Temp. 41 \xB0" "C", true), "Temp. 41 \xC2\xB0" "C") << "Windows-1252 in, UTF-8 out";
  EXPECT_EQ(TooltipText("Disk A", false), "Torvel");
  EXPECT_EQ(TooltipText("", true), "Torvel") << "before the first report";

  EXPECT_TRUE(ShouldFlash(TrayState::Bad, true));
  EXPECT_TRUE(ShouldFlash(TrayState::Changed, true));
  EXPECT_FALSE(ShouldFlash(TrayState::Ok, true));
  EXPECT_FALSE(ShouldFlash(TrayState::Bad, false));
}

TEST(LauncherNotice, AlertsAndStateChangesButNotTheSameAgain) {
  const std::string ok = "Disk A, 1.0 GB, S/N:1\n[SMART OK. ]";
  const std::string changed = "Disk A, 1.0 GB, S/N:1\n[ 1 SMART attribute changed. SMART OK. ]";
  const std::string changedMore = "Disk A, 1.0 GB, S/N:1\n[ 2 SMART attribute changed. SMART OK. ]";
  const std::string tec = std::string("Disk A, 1.0 GB, S/N:1\n[") + kCritical + "]";
  using S = TrayState;

  EXPECT_EQ(DesktopNoticeFor(S::Unknown, "", S::Ok, ok, true), std::nullopt) << "all well at start";
  EXPECT_EQ(DesktopNoticeFor(S::Ok, ok, S::Ok, ok, true), std::nullopt);
  EXPECT_EQ(DesktopNoticeFor(S::Ok, ok, S::Unknown, "", true), std::nullopt) << "no drive checked";

  const auto change = DesktopNoticeFor(S::Ok, ok, S::Changed, changed, true);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->summary, "A disk needs attention");
  EXPECT_EQ(change->body, changed);
  EXPECT_EQ(change->urgency, 1);
  EXPECT_TRUE(DesktopNoticeFor(S::Unknown, "", S::Changed, changed, true)) << "trouble at the first check";
  EXPECT_EQ(DesktopNoticeFor(S::Changed, changed, S::Changed, changed, true), std::nullopt)
      << "the same alert again";
  EXPECT_TRUE(DesktopNoticeFor(S::Changed, changed, S::Changed, changedMore, true)) << "a new alert";

  const auto bad = DesktopNoticeFor(S::Changed, changed, S::Bad, tec, true);
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->summary, "A disk reports a critical condition");
  EXPECT_EQ(bad->urgency, 2);
  EXPECT_EQ(DesktopNoticeFor(S::Bad, tec, S::Bad, tec, true), std::nullopt);
  EXPECT_TRUE(DesktopNoticeFor(S::Bad, tec, S::Changed, changed, true)) << "another state";

  const auto well = DesktopNoticeFor(S::Bad, tec, S::Ok, ok, true);
  ASSERT_TRUE(well);
  EXPECT_EQ(well->summary, "The disks are OK again");
  EXPECT_EQ(well->body, ok);
  EXPECT_EQ(well->urgency, 0);

  EXPECT_EQ(DesktopNoticeFor(S::Ok, ok, S::Bad, tec, false), std::nullopt) << "DesktopNotifications 0";
  EXPECT_EQ(DesktopNoticeFor(S::Bad, tec, S::Ok, ok, false), std::nullopt);

  const auto hot = DesktopNoticeFor(S::Ok, ok, S::Changed, "Temp. 61 \xB0" "C", true);
  ASSERT_TRUE(hot);
  EXPECT_EQ(hot->body, "Temp. 61 \xC2\xB0" "C") << "Windows-1252 in, UTF-8 out";
}

TEST(TorvelctlSchedule, PrintsAndInstallsTheTimerInterval) {
  EXPECT_EQ(TimerSpan(45, 1), "45min");
  EXPECT_EQ(TimerSpan(2, 0), "2h");
  EXPECT_EQ(TimerSpan(0, 0), "1h");

  test::TempDir dir;
  MemorySettingsStore store;
  store.WriteProfileInt(keys::kOptions, keys::kTimeType, 1);
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 45);
  StringOut out, err;
  EXPECT_EQ(RunScheduleCommand({}, store, dir.path(), out, err), 0);
  EXPECT_EQ(out.str(), "OnUnitActiveSec=45min\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "systemd")) << "printing installs nothing";

  out.str("");
  EXPECT_EQ(RunScheduleCommand({"--install"}, store, dir.path(), out, err), 0);
  const std::string conf = test::ReadFile(ScheduleDropIn(dir.path()));
  EXPECT_EQ(ScheduleDropIn(dir.path()),
            dir.path() / "systemd/user/torvel-check.timer.d/schedule.conf");
  // The empty assignment must come first, or the unit's own hour stays too.
  EXPECT_NE(conf.find("[Timer]\nOnUnitActiveSec=\nOnUnitActiveSec=45min\n"), std::string::npos) << conf;

  EXPECT_EQ(RunScheduleCommand({"--now"}, store, dir.path(), out, err), 2);
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

TEST(TrayStateOfFindings, TheWorstFindingWinsAndNothingCheckedIsUnknown) {
  EXPECT_EQ(TrayStateOfFindings(kFoundTec | kFoundChange, 1), TrayState::Bad);
  for (unsigned f : {kFoundChange, kFoundTemperature, kFoundSectorGrowth, kFoundMissingDrive})
    EXPECT_EQ(TrayStateOfFindings(f, 1), TrayState::Changed) << f;
  EXPECT_EQ(TrayStateOfFindings(0, 2), TrayState::Ok);
  EXPECT_EQ(TrayStateOfFindings(0, 0), TrayState::Unknown);
  EXPECT_EQ(TrayStateOfFindings(kFoundMissingDrive, 0), TrayState::Changed);
}

}  // namespace
}  // namespace torvel
