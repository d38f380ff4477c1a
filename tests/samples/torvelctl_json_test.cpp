// Every --json command against its text twin on the bundled samples: the
// same drives, the same fields, the same values, numbers as numbers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "samples/report_parsing.h"
#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel::test {
namespace {

using nlohmann::json;

struct JsonTwin {
  ProcessResult text, asJson;
  json doc;
};

// The command as text and as JSON, in one folder and store, so the check
// pair sees the same baseline state.
JsonTwin RunTwin(const TempDir& dir, std::vector<std::string> args) {
  const std::map<std::string, std::optional<std::string>> env{
      {"TORVEL_DRIVES", DrivesDir().string()}, {"XDG_CONFIG_HOME", dir.path().string()}};
  JsonTwin twin;
  std::vector<std::string> argv{TORVEL_CTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  twin.text = RunProcess(argv, dir.path(), env);
  argv.push_back("--json");
  twin.asJson = RunProcess(argv, dir.path(), env);
  twin.doc = json::parse(twin.asJson.out, nullptr, false);
  return twin;
}

TEST(TorvelctlJson, DrivesHasEveryListedDriveWithTheSameFields) {
  TempDir dir;
  const JsonTwin twin = RunTwin(dir, {"drives"});
  ASSERT_EQ(twin.asJson.exitCode, twin.text.exitCode);
  ASSERT_FALSE(twin.doc.is_discarded()) << twin.asJson.out;
  EXPECT_EQ(twin.doc["schema_version"], 1);
  const DriveList listed = ParseDriveList(twin.text.out);
  ASSERT_EQ(twin.doc["drives"].size(), listed.size());
  for (const json& d : twin.doc["drives"]) {
    const int n = d["drive"].get<int>();
    SCOPED_TRACE("drive " + std::to_string(n));
    ASSERT_TRUE(listed.count(n));
    const auto& text = listed.at(n);
    EXPECT_EQ(d["model"], text.at("Model"));
    EXPECT_EQ(d["serial"], text.at("Serial number"));
    EXPECT_EQ(d["firmware"], text.at("Firmware"));
    EXPECT_EQ(d["device"], text.at("Device"));
    EXPECT_EQ(d["transport"], text.at("Transport"));
    char capacity[32];
    std::snprintf(capacity, sizeof capacity, "%.2f GB", d["capacity_gb"].get<double>());
    EXPECT_EQ(capacity, text.at("Capacity"));
    EXPECT_TRUE(d["capacity_bytes"].is_number_integer());
    EXPECT_EQ(d["tec"].get<bool>(), text.at("T.E.C.") != "no");
    const std::string temperature = text.at("Temperature");
    if (d["temperature_celsius"].is_null())
      EXPECT_EQ(temperature, "not reported");
    else
      EXPECT_EQ(std::to_string(d["temperature_celsius"].get<int>()) + " \xC2\xB0" "C", temperature);
    const std::string udma = text.at("Ultra DMA mode");
    EXPECT_EQ(d["udma_mode"].is_null() ? "not reported" : std::to_string(d["udma_mode"].get<int>()), udma);
    EXPECT_EQ(d["kind"], text.at("kind") == "NVMe drive" ? "nvme" : "ata");
  }
  EXPECT_TRUE(twin.doc["unanswered"].is_array());
}

TEST(TorvelctlJson, ReportAndIdentifyCarryTheTextsValues) {
  TempDir dir;
  for (int n : {0, 1, 5}) {
    SCOPED_TRACE("drive " + std::to_string(n));
    const JsonTwin report = RunTwin(dir, {"report", std::to_string(n)});
    ASSERT_EQ(report.asJson.exitCode, 0) << report.asJson.err;
    const ParsedReport text = ParseReport(report.text.out);
    ASSERT_TRUE(text.problems.empty()) << text.problems;
    const json& doc = report.doc;
    EXPECT_EQ(doc["model"], text.model);
    EXPECT_EQ(doc["serial"], text.serial);
    EXPECT_EQ(doc["firmware"], text.firmware);
    ASSERT_TRUE(text.capacityGb);
    EXPECT_DOUBLE_EQ(doc["capacity_gb"].get<double>(), *text.capacityGb);
    EXPECT_EQ(doc["temperature_celsius"].is_null() ? std::optional<int>() : doc["temperature_celsius"].get<int>(),
              text.temperature);
    ASSERT_EQ(doc["attributes"].size(), text.attributes.size());
    for (const json& a : doc["attributes"]) {
      const ReportAttribute& row = text.attributes.at(a["id"].get<int>());
      EXPECT_EQ(a["threshold"], row.threshold);
      EXPECT_EQ(a["value"], row.value);
      EXPECT_EQ(a["worst"], row.worst);
      EXPECT_EQ(a["raw"].get<std::uint64_t>(), row.raw);
      EXPECT_EQ(a["readable"].is_null() ? "" : a["readable"].get<std::string>(), row.readable);
    }

    const JsonTwin identify = RunTwin(dir, {"identify", std::to_string(n)});
    ASSERT_EQ(identify.asJson.exitCode, 0) << identify.asJson.err;
    std::string lines;
    for (const json& row : identify.doc["rows"])
      lines += row["label"].get<std::string>() + ": " + row["value"].get<std::string>() + "\n";
    EXPECT_EQ(lines, identify.text.out);
    EXPECT_EQ(identify.doc["kind"], n == 5 ? "nvme" : "ata");
  }
}

TEST(TorvelctlJson, CheckGivesEachDrivesVerdictAndTheExitStatus) {
  TempDir dir;
  // The text run makes the baseline; the JSON run then checks against it.
  const JsonTwin check = RunTwin(dir, {"check", "--keep-baseline"});
  ASSERT_FALSE(check.doc.is_discarded()) << check.asJson.out;
  EXPECT_EQ(check.asJson.exitCode, check.text.exitCode);
  EXPECT_EQ(check.doc["status"], check.asJson.exitCode);
  EXPECT_EQ(check.doc["status_text"], "critical");
  std::string blocks;
  for (const json& d : check.doc["drives"]) {
    if (d["status_line"].is_null()) {
      EXPECT_FALSE(d["checked"].get<bool>());
      continue;
    }
    if (!blocks.empty()) blocks += "--\n";
    char capacity[32];
    std::snprintf(capacity, sizeof capacity, "%.1f GB", d["capacity_gb"].get<double>());
    blocks += "Disk " + d["model"].get<std::string>() + ", " + capacity + ", S/N:" +
              d["serial"].get<std::string>() + "\n[" + d["status_line"].get<std::string>() + "]\n";
    const bool tec = d["severity"] == "critical";
    EXPECT_EQ(tec, d["serial"] == "WD-WCAV51234567") << d.dump();
    EXPECT_EQ(tec, !d["findings"].empty() && d["findings"][0] == "tec");
  }
  EXPECT_EQ(blocks, check.text.out);
}

}  // namespace
}  // namespace torvel::test
