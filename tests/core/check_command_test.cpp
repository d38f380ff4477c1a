// `torvelctl check` as cron or a monitoring system runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::RunProcess;

struct CheckCommand : ::testing::Test {
  void SetUp() override {
    fs::create_directories(dir.path() / "drives");
    fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "0", dir.path() / "drives" / "0",
             fs::copy_options::recursive);
  }
  test::ProcessResult Check(std::vector<std::string> extra = {}) {
    std::vector<std::string> argv{TORVEL_CTL_PATH, "check"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return RunProcess(argv, dir.path(),
                      {{"XDG_CONFIG_HOME", (dir.path() / "config").string()},
                       {"TORVEL_DRIVES", (dir.path() / "drives").string()},
                       {"TORVEL_SYSLOG_SOCKET", (dir.path() / "no-syslog").string()},
                       {"DISPLAY", std::nullopt}});
  }
  // Lowers attribute slot 0's value by one, keeping the sector's checksum.
  void LowerFirstAttribute() {
    const fs::path file = dir.path() / "drives" / "0" / "smart-data.bin";
    std::string data = test::ReadFile(file);
    data[5] = static_cast<char>(data[5] - 1);
    data[511] = static_cast<char>(data[511] + 1);
    test::WriteFile(file, data);
  }
  test::TempDir dir;
};

TEST_F(CheckCommand, ExitStatusFollowsTheFindingsAndTheBaselineMoves) {
  auto first = Check();
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]\n");

  LowerFirstAttribute();
  auto changed = Check({"--keep-baseline"});
  EXPECT_EQ(changed.exitCode, 1);
  EXPECT_EQ(changed.out, "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[ 1 SMART attribute changed. SMART OK. ]\n");
  EXPECT_NE(changed.err.find("Torvel detected attribute changing in drive ST3500418AS"), std::string::npos);
  EXPECT_NE(test::ReadFile(dir.path() / "torvel.log").find("Last checked value : 117\r\nNew value : 116"),
            std::string::npos);

  EXPECT_EQ(Check().exitCode, 1) << "the baseline was kept";
  EXPECT_EQ(Check().exitCode, 0) << "the previous run accepted the change";
}

TEST_F(CheckCommand, ThresholdExceededIsCriticalAndBadUsageIsRefused) {
  fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "1", dir.path() / "drives" / "1",
           fs::copy_options::recursive);
  auto tec = Check();
  EXPECT_EQ(tec.exitCode, 2);
  EXPECT_NE(tec.out.find("CRITICAL DRIVE CONDITION"), std::string::npos);
  EXPECT_NE(tec.err.find("indicated a S.M.A.R.T. error condition"), std::string::npos);

  auto bad = Check({"--frobnicate"});
  EXPECT_EQ(bad.exitCode, 3) << "a usage error is no finding";
  EXPECT_NE(bad.err.find("--frobnicate"), std::string::npos);
}

TEST_F(CheckCommand, EveryDriveIsPrintedInFull) {
  // Five drives: the launcher's 256 bytes end inside the fourth.
  for (int n = 1; n <= 4; ++n)
    fs::copy(dir.path() / "drives" / "0", dir.path() / "drives" / std::to_string(n),
             fs::copy_options::recursive);
  auto run = Check();
  std::size_t blocks = 0;
  for (std::size_t at = run.out.find("[SMART OK. ]"); at != std::string::npos;
       at = run.out.find("[SMART OK. ]", at + 1))
    ++blocks;
  EXPECT_EQ(blocks, 5u) << run.out;
  EXPECT_GT(run.out.size(), 256u);
}

TEST_F(CheckCommand, AFailedAlertMailIsLoggedAndPrintedAndMailTestSaysWhy) {
  const auto set = [this](const char* key, const char* type, const char* value) {
    auto r = RunProcess({TORVEL_CTL_PATH, "settings", "set", "Options", key, type, value}, dir.path(),
                        {{"XDG_CONFIG_HOME", (dir.path() / "config").string()}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  };
  set("SMTPserver", "str", "127.0.0.1:1");  // nothing listens there
  set("Recipients", "str", "ops@x.test");
  set("Email", "int", "1");
  fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "1", dir.path() / "drives" / "1",
           fs::copy_options::recursive);
  auto tec = Check();
  EXPECT_EQ(tec.exitCode, 2);
  EXPECT_NE(tec.err.find("torvelctl: SMTP Client: Failed to connect to SMTP Server ('127.0.0.1:1') ("),
            std::string::npos)
      << tec.err;
  EXPECT_NE(test::ReadFile(dir.path() / "torvel.log").find("SMTP Client\r\nFailed to connect"),
            std::string::npos);

  auto mail = RunProcess({TORVEL_CTL_PATH, "mail", "test"}, dir.path(),
                         {{"XDG_CONFIG_HOME", (dir.path() / "config").string()}});
  EXPECT_EQ(mail.exitCode, 1);
  EXPECT_EQ(mail.err.rfind("torvelctl: Failed to connect to SMTP Server ('127.0.0.1:1') (", 0), 0u)
      << mail.err;
  auto usage = RunProcess({TORVEL_CTL_PATH, "mail"}, dir.path(), {});
  EXPECT_EQ(usage.exitCode, 64);
}

TEST_F(CheckCommand, ADamagedSettingsStoreIsSaidAndNotOverwritten) {
  const fs::path store = dir.path() / "config" / "Ostrana" / "Torvel" / "settings.sqlite3";
  fs::create_directories(store.parent_path());
  const std::string damaged(8192, 'Z');
  test::WriteFile(store, damaged);
  auto r = Check();
  EXPECT_EQ(r.exitCode, 0) << "the drive itself is fine";
  EXPECT_NE(r.err.find("torvelctl: settings store: " + store.string() + ": not a settings database"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("torvelctl: the baseline was not saved: "), std::string::npos) << r.err;
  EXPECT_EQ(test::ReadFile(store), damaged);
}

TEST_F(CheckCommand, ASleepingDiskIsLeftAsleepAndNotMissed) {
  // An awake disk beside it, so that the check looks for missing drives.
  fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "2", dir.path() / "drives" / "1",
           fs::copy_options::recursive);
  EXPECT_EQ(Check().exitCode, 0);  // the baseline knows the drive and its place
  test::WriteFile(dir.path() / "drives" / "0" / "power", "standby\n");
  auto asleep = Check();
  EXPECT_EQ(asleep.exitCode, 0) << asleep.out << asleep.err;
  EXPECT_NE(asleep.out.find("Disk " + (dir.path() / "drives" / "0").string() +
                            ": Asleep (standby), not checked\n"),
            std::string::npos)
      << asleep.out;
  EXPECT_EQ(asleep.out.find("ST3500418AS"), std::string::npos) << "not read, so not shown as read";
  EXPECT_EQ(asleep.out.find("no longer answers"), std::string::npos) << asleep.out;
  EXPECT_FALSE(fs::exists(dir.path() / "drives" / "0" / "woken"));

  auto woken = Check({"--wake"});
  EXPECT_EQ(woken.exitCode, 0) << woken.err;
  EXPECT_EQ(woken.out.rfind("Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]\n", 0), 0u) << woken.out;
  EXPECT_TRUE(fs::exists(dir.path() / "drives" / "0" / "woken"));
}

TEST_F(CheckCommand, NvmeCriticalWarningIsCriticalAndGrowingMediaErrorsAWarning) {
  fs::copy(fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives" / "5", dir.path() / "drives" / "1",
           fs::copy_options::recursive);
  const fs::path log = dir.path() / "drives" / "1" / "nvme-smart-log.bin";
  auto first = Check();
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find("Disk Samsung SSD 980 PRO 1TB, 1000.2 GB, S/N:S5GXNF0R123456A\n[SMART OK. ]"),
            std::string::npos)
      << first.out;

  std::string bytes = test::ReadFile(log);
  bytes[160] = 2;  // media and data integrity errors: 0 -> 2
  test::WriteFile(log, bytes);
  auto grown = Check();
  EXPECT_EQ(grown.exitCode, 1) << grown.out;
  EXPECT_NE(test::ReadFile(dir.path() / "torvel.log").find("Media and Data Integrity Errors"),
            std::string::npos);

  bytes[0] = 0x04;  // reliability degraded
  test::WriteFile(log, bytes);
  EXPECT_EQ(Check().exitCode, 2);
}

TEST_F(CheckCommand, NothingCheckedIsUnknownWithTheReason) {
  fs::remove_all(dir.path() / "drives" / "0");
  auto none = Check();
  EXPECT_EQ(none.exitCode, 3);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("torvelctl: no simulated drive answered"), std::string::npos) << none.err;

  auto help = Check({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("3 no drive\n             could be checked"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace torvel
