// `torvelctl metrics` on the sample drives: text a Prometheus scraper
// takes, the figures of each drive, and the textfile written whole.
#include "torvelctl/metrics_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "config/keys.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "drive/drive_source.h"
#include "drive/drive_tables.h"
#include "drive/simulated_backend.h"
#include "platform/system_info.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"
#include "torvelctl/commands.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

struct MetricsFixture : ::testing::Test {
  SimulatedBackend backend{fs::path(TORVEL_SOURCE_DIR) / "samples" / "drives"};
  FixedSystemInfo system{{kPlatformNT, 6, 1, 0, "Linux 6.1.0"}, {8664, 2}};
  test::TraceCapture capture;
  MemorySettingsStore store;
  StringOut out, err;
  CtlContext ctx{backend, system, capture.trace, [] { return std::tm{}; }, false, true,
                 [this]() -> SettingsStore& { return store; }};
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "metrics");
    return RunTorvelctl(args, ctx, out, err);
  }
};

// name{labels} value -> value, for every sample; checks the exposition
// rules on the way: HELP and TYPE before a family's samples, each family
// once, well-formed label pairs.
std::map<std::string, std::string> ParseExposition(const std::string& text) {
  static const std::regex sample(R"(^([a-z_]+)\{((?:[a-z]+="(?:[^"\\]|\\.)*",?)*)\} (-?[0-9]+)$)");
  std::map<std::string, std::string> out;
  std::set<std::string> helped, typed, closed;
  std::string current;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (line.rfind("# HELP ", 0) == 0) {
      const std::string name = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_TRUE(helped.insert(name).second) << "family twice: " << name;
      if (!current.empty()) closed.insert(current);
      current = name;
    } else if (line.rfind("# TYPE ", 0) == 0) {
      typed.insert(line.substr(7, line.find(' ', 7) - 7));
    } else if (std::regex_match(line, m, sample)) {
      EXPECT_EQ(m[1].str(), current) << "sample outside its family: " << line;
      EXPECT_TRUE(typed.count(m[1].str())) << line;
      EXPECT_TRUE(out.emplace(m[1].str() + "{" + m[2].str() + "}", m[3].str()).second) << "twice: " << line;
    } else {
      ADD_FAILURE() << "not an exposition line: '" << line << "'";
    }
  }
  return out;
}

TEST_F(MetricsFixture, EveryDriveAndAttributeInTheExpositionFormat) {
  settings::drive::SetLastCheck(store, "5VM1ABCD", 1765000000);
  settings::attribute::SetTecDate(store, "5VM1ABCD", 1, 1800000000);
  ASSERT_EQ(Run({}), 0) << err.str();
  const auto m = ParseExposition(out.str());
  const std::string d0 = R"(drive="0",serial="5VM1ABCD")";
  EXPECT_EQ(m.at("torvel_drive_capacity_bytes{" + d0 + "}"), "500107862016");
  EXPECT_EQ(m.at("torvel_drive_temperature_celsius{" + d0 + "}"), "45");
  EXPECT_EQ(m.at("torvel_drive_status{" + d0 + "}"), "0");
  EXPECT_EQ(m.at("torvel_last_check_timestamp_seconds{" + d0 + "}"), "1765000000");
  EXPECT_EQ(m.at("torvel_attribute_tec_date_seconds{" + d0 + R"(,id="1",name="Raw Read Error Rate"})"),
            "1800000000");
  EXPECT_EQ(m.at("torvel_attribute_raw{" + d0 + R"(,id="9",name="Power-on Hours Count"})"), "18734");
  // The failing disk is a T.E.C., the one without S.M.A.R.T. unknown, the NVMe drive named so.
  EXPECT_EQ(m.at(R"(torvel_drive_status{drive="1",serial="WD-WCAV51234567"})"), "2");
  EXPECT_EQ(m.at(R"(torvel_drive_status{drive="4",serial="683107314832"})"), "3");
  EXPECT_EQ(m.count(R"(torvel_drive_temperature_celsius{drive="4",serial="683107314832"})"), 0u)
      << "no reading, no sample";
  bool nvmeInfo = false;
  for (const auto& [series, value] : m)
    if (series.rfind("torvel_drive_info{drive=\"5\"", 0) == 0)
      nvmeInfo = series.find(R"(interface="NVMe")") != std::string::npos && value == "1";
  EXPECT_TRUE(nvmeInfo);
  EXPECT_EQ(m.at(R"(torvel_attribute_raw{drive="5",serial="S5GXNF0R123456A",id="9",name="Power On Hours"})"),
            "4210");
  // Every drive series carries the drive's serial.
  for (const auto& [series, value] : m) {
    if (series.rfind("torvel_disk_", 0) == 0) continue;
    EXPECT_NE(series.find("serial=\""), std::string::npos) << series;
  }
}

// Too hot exactly when the check says so: the global limit, unless the
// drive has its own notification settings; none when its warning is off.
TEST_F(MetricsFixture, CriticalTemperatureIsTheChecksRule) {
  const std::string d0 = R"({drive="0",serial="5VM1ABCD"})";
  const auto metrics = [&] {
    out.str("");
    EXPECT_EQ(Run({}), 0) << err.str();
    return ParseExposition(out.str());
  };
  settings::SetCriticalTemp(store, 45);  // the drive is at 45
  auto m = metrics();
  EXPECT_EQ(m.at("torvel_drive_temperature_critical_celsius" + d0), "45");
  EXPECT_EQ(m.at("torvel_drive_status" + d0), "1") << "at the limit counts";

  // The drive's own limit, unused until its own notification is on.
  settings::drive::SetCriticalTemp(store, "5VM1ABCD", 60);
  EXPECT_EQ(metrics().at("torvel_drive_status" + d0), "1");
  settings::drive::SetUseCustomNotify(store, "5VM1ABCD", 1);
  m = metrics();
  EXPECT_EQ(m.at("torvel_drive_temperature_critical_celsius" + d0), "60");
  EXPECT_EQ(m.at("torvel_drive_status" + d0), "0");

  settings::drive::SetCriticalTemp(store, "5VM1ABCD", 40);
  settings::drive::SetEnableTempNotify(store, "5VM1ABCD", 0);
  m = metrics();
  EXPECT_EQ(m.count("torvel_drive_temperature_critical_celsius" + d0), 0u);
  EXPECT_EQ(m.at("torvel_drive_status" + d0), "0");
}

// Disks with no identity are series of their own, by device, never drives.
TEST(MetricsUnread, DisksNotReadAreNamedByDeviceAndReason) {
  auto tables = std::make_unique<DriveTables>();
  tables->records[2].device = "/dev/sdc";
  tables->records[2].asleep = true;
  tables->records[3].device = "/dev/sdd";  // found, never identified, awake: nothing to say
  tables->unanswered = {"/dev/vda"};
  tables->notChecked = {"/dev/sdz"};
  MemorySettingsStore store;
  const auto m = ParseExposition(FormatMetrics(*tables, store));
  EXPECT_EQ(m.at(R"(torvel_disk_unread{device="/dev/sdc",reason="asleep"})"), "1");
  EXPECT_EQ(m.at(R"(torvel_disk_unread{device="/dev/vda",reason="no_answer"})"), "1");
  EXPECT_EQ(m.at(R"(torvel_disk_unread{device="/dev/sdz",reason="no_slot"})"), "1");
  EXPECT_EQ(m.size(), 3u) << "no drive series without a drive";
}

TEST(MetricLabels, QuotesBackslashesAndNewlinesAreEscapedAndTextIsUtf8) {
  EXPECT_EQ(MetricLabelValue("a\"b\\c\nd"), R"(a\"b\\c\nd)");
  EXPECT_EQ(MetricLabelValue("Festplatte \xFC"), "Festplatte \xC3\xBC");
}

TEST_F(MetricsFixture, TextfileIsWrittenWholeAndReadableByTheCollector) {
  test::TempDir dir;
  const mode_t old = ::umask(077);
  const int rc = Run({"--textfile", dir.path().string()});
  ::umask(old);
  ASSERT_EQ(rc, 0) << err.str();
  EXPECT_TRUE(out.str().empty());
  const fs::path file = dir.path() / "torvel.prom";
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u) << "node_exporter runs as another user";
  EXPECT_FALSE(ParseExposition(test::ReadFile(file)).empty());
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"torvel.prom"}) << "no temporary left behind";

  EXPECT_EQ(Run({"--textfile", (dir.path() / "missing").string()}), kExitUsage);
  EXPECT_EQ(Run({"--textfile"}), kExitUsage);
  EXPECT_EQ(Run({"--bogus"}), kExitUsage);
}

}  // namespace
}  // namespace torvel
