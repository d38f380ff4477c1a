// Our printed report against libatasmart's skdump reading the same sectors:
// identity, every attribute's value, worst, threshold and raw value, the
// temperature and the status verdict must agree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "samples/report_parsing.h"
#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel::test {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

// libatasmart's blob, as `skdump --load` reads it: sections of a four-letter
// tag, a big-endian 32-bit length and the bytes. The status section holds a
// big-endian 32-bit 1 (good) or 0 (threshold exceeded).
std::string Section(const std::string& tag, const std::string& payload) {
  std::string s = tag;
  const auto size = static_cast<std::uint32_t>(payload.size());
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((size >> shift) & 0xFF);
  return s + payload;
}

// What a reader of the drive would save: IDENTIFY always; with S.M.A.R.T.
// data, also the RETURN STATUS verdict ("status" absent means good) and the
// threshold sector.
std::string MakeBlob(const fs::path& folder) {
  std::string blob = Section("IDFY", ReadFile(folder / "identify.bin"));
  if (!fs::exists(folder / "smart-data.bin")) return blob;
  std::string status = ReadFile(folder / "status");
  status = status.substr(0, status.find_first_of("\r\n"));
  if (status.empty() || status == "good" || status == "tec")
    blob += Section("SMST", std::string("\0\0\0", 3) + (status == "tec" ? '\0' : '\1'));
  blob += Section("SMDT", ReadFile(folder / "smart-data.bin"));
  if (fs::exists(folder / "smart-thresholds.bin"))
    blob += Section("SMTH", ReadFile(folder / "smart-thresholds.bin"));
  return blob;
}

std::map<std::string, std::optional<std::string>> SampleEnv() {
  return {{"TORVEL_DRIVES", DrivesDir().string()}, {"TORVEL_PLATFORM", std::nullopt}};
}

std::vector<int> AtaSamples() {
  std::vector<int> out;
  for (const auto& [n, description] : SampleDescriptions())
    if (DescriptionValue(description, "packet") != "yes" &&
        DescriptionValue(description, "interface") != "nvme")
      out.push_back(n);
  return out;
}

std::size_t FilledSlots(const std::string& dataSector) {
  std::size_t n = 0;
  for (std::size_t at = 2; at < 362 && at < dataSector.size(); at += 12)
    if (dataSector[at] != 0) ++n;
  return n;
}

// skdump's pretty duration ("617.8 days", "14.2 h") in hours; nothing for
// a text of another unit.
std::optional<double> SkdumpHours(const std::string& pretty) {
  const auto blank = pretty.find(' ');
  if (blank == std::string::npos) return std::nullopt;
  const double n = std::atof(pretty.substr(0, blank).c_str());
  const std::string unit = pretty.substr(blank + 1);
  if (unit == "years") return n * 365 * 24;
  if (unit == "months") return n * 30 * 24;
  if (unit == "days") return n * 24;
  if (unit == "h") return n;
  if (unit == "min") return n / 60;
  return std::nullopt;
}

// Our readable column against skdump's pretty one, where both name a unit.
void ExpectReadableAgrees(int id, const std::string& ours, const std::string& theirs) {
  SCOPED_TRACE("readable value of attribute " + std::to_string(id) + ": " + ours + " / " + theirs);
  if (id == 5 || id == 197 || id == 198) {
    EXPECT_EQ(ours, theirs);  // "12 sectors" on both sides
  } else if (id == 194 || id == 190) {
    ASSERT_THAT(ours, ::testing::EndsWith(" \xC2\xB0" "C"));
    EXPECT_EQ(ours.substr(0, ours.find(' ')) + ".0 C", theirs);
  } else if (id == 9) {
    ASSERT_THAT(ours, ::testing::EndsWith(" h"));
    const auto hours = SkdumpHours(theirs);
    ASSERT_TRUE(hours.has_value());
    // skdump rounds to one decimal of its largest unit.
    EXPECT_NEAR(std::stod(ours), *hours, *hours * 0.02 + 0.1);
  }
}

class SkdumpAgreement : public ::testing::TestWithParam<int> {};

TEST_P(SkdumpAgreement, PrintedReportAgreesWithSkdump) {
  const std::string skdump = FindOnPath("skdump");
  if (skdump.empty()) {
    if (std::getenv("CI")) FAIL() << "skdump (package libatasmart-bin) is needed on CI";
    GTEST_SKIP() << "skdump is not installed (package libatasmart-bin); agreement not checked";
  }
  const int n = GetParam();
  const fs::path folder = DrivesDir() / std::to_string(n);
  const fs::path description = SampleDescriptions().at(n);
  TempDir work;

  const fs::path blob = work.path() / "drive.blob";
  WriteFile(blob, MakeBlob(folder));
  const ProcessResult sk = RunProcess({skdump, "--load=" + blob.string()}, work.path());
  const ParsedSkdump theirs = ParseSkdump(sk.out);
  ASSERT_EQ(theirs.problems, "") << sk.out;
  ASSERT_THAT(sk.out, HasSubstr("Type: Blob")) << sk.err;

  const std::string number = std::to_string(n);
  const ProcessResult report =
      RunProcess({TORVEL_CTL_PATH, "report", number, "--utf8"}, work.path(), SampleEnv());
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const ParsedReport ours = ParseReport(report.out);
  ASSERT_EQ(ours.problems, "") << report.out;
  const ProcessResult drives = RunProcess({TORVEL_CTL_PATH, "drives"}, work.path(), SampleEnv());
  ASSERT_EQ(drives.exitCode, 0) << drives.err;
  auto list = ParseDriveList(drives.out);
  ASSERT_TRUE(list.count(n)) << drives.out;
  const auto& listed = list[n];

  ASSERT_FALSE(theirs.model.empty()) << sk.out << sk.err;
  EXPECT_EQ(ours.model, theirs.model);
  EXPECT_EQ(ours.serial, theirs.serial);
  EXPECT_EQ(ours.firmware, theirs.firmware);

  // skdump has no size for a blob (it comes from the block device), so the
  // capacity is held to the description's sector count instead.
  const double sectors = std::stod(DescriptionValue(description, "sectors"));
  ASSERT_TRUE(ours.capacityGb.has_value()) << report.out;
  EXPECT_NEAR(*ours.capacityGb, sectors * 512 / 1e9, 0.05 + 1e-6);
  if (!theirs.size.empty() && std::isdigit(static_cast<unsigned char>(theirs.size[0]))) {
    EXPECT_EQ(std::stod(theirs.size), std::floor(sectors * 512 / 1024 / 1024));
  }

  if (!fs::exists(folder / "smart-data.bin")) {
    // Neither side has S.M.A.R.T. data or a verdict for this drive.
    EXPECT_TRUE(ours.attributes.empty()) << report.out;
    EXPECT_FALSE(ours.temperature.has_value()) << report.out;
    EXPECT_TRUE(theirs.attributes.empty()) << sk.out;
    EXPECT_NE(theirs.healthGood, "yes");
    EXPECT_NE(theirs.healthGood, "no");
    EXPECT_EQ(listed.at("T.E.C."), "no");
    return;
  }

  EXPECT_EQ(sk.exitCode, 0) << sk.err;
  const std::size_t slots = FilledSlots(ReadFile(folder / "smart-data.bin"));
  ASSERT_GT(slots, 0u);
  EXPECT_EQ(theirs.attributes.size(), slots) << sk.out;
  EXPECT_EQ(ours.attributes.size(), slots) << report.out;
  for (const auto& [id, a] : theirs.attributes) {
    SCOPED_TRACE("attribute " + std::to_string(id));
    ASSERT_TRUE(ours.attributes.count(id)) << report.out;
    const ReportAttribute& o = ours.attributes.at(id);
    EXPECT_EQ(o.value, a.value);
    EXPECT_EQ(o.worst, a.worst);
    ASSERT_TRUE(a.threshold.has_value()) << "skdump read no threshold";
    EXPECT_EQ(o.threshold, *a.threshold);
    EXPECT_EQ(o.raw, a.raw);
    if (id == 5 || id == 9 || id == 190 || id == 194 || id == 197 || id == 198) {
      EXPECT_FALSE(o.readable.empty()) << "no readable value for a unit both sides know";
      ExpectReadableAgrees(id, o.readable, a.pretty);
    }
  }

  ASSERT_TRUE(theirs.temperature.has_value()) << sk.out;
  ASSERT_TRUE(ours.temperature.has_value()) << report.out;
  EXPECT_DOUBLE_EQ(*ours.temperature, *theirs.temperature);
  if (theirs.attributes.count(194)) {
    EXPECT_EQ(theirs.attributes.at(194).pretty, std::to_string(*ours.temperature) + ".0 C");
  }

  const bool tec = listed.at("T.E.C.").rfind("yes", 0) == 0;
  EXPECT_EQ(theirs.healthGood, tec ? "no" : "yes");
  if (tec) {
    EXPECT_EQ(theirs.overall, "BAD_STATUS");
  }
}

INSTANTIATE_TEST_SUITE_P(AtaSamples, SkdumpAgreement, ::testing::ValuesIn(AtaSamples()),
                         [](const auto& testParam) { return "Drive" + std::to_string(testParam.param); });

// The parsers above decide what "agree" means; they are checked on text of
// the shapes the programs print.
TEST(SkdumpOutput, TableRowsWithBlanksInThePrettyColumnParse) {
  const ParsedSkdump d = ParseSkdump(
      "Model: [WDC  X]\n\x1B[1mSMART Disk Health Good: no\x1B[0m\nTemperature: 37.0 C\n"
      "ID# Name                        Value Worst Thres Pretty      Raw            Type\n"
      "  5 reallocated-sector-count    140   140   140   1736 sectors 0xc80600000000 prefail\n"
      "  2 throughput-performance      134   134   n/a   n/a         0x670000000000 prefail\n");
  EXPECT_EQ(d.problems, "");
  EXPECT_EQ(d.model, "WDC  X");
  EXPECT_EQ(d.healthGood, "no");
  EXPECT_EQ(d.temperature, 37.0);
  ASSERT_EQ(d.attributes.size(), 2u);
  EXPECT_EQ(d.attributes.at(5).pretty, "1736 sectors");
  EXPECT_EQ(d.attributes.at(5).raw, 1736u);  // 0xc80600000000: lowest byte first
  EXPECT_EQ(d.attributes.at(5).threshold, 140);
  EXPECT_FALSE(d.attributes.at(2).threshold.has_value());
}

TEST(ReportOutput, TheBracketedReadableValueIsCutOffBeforeTheNumbers) {
  const ParsedReport r = ParseReport(
      "9   (09) Power-on Hours Count                    0           98          98           10000  [10000 h]\r\n"
      "194 (C2) Temperature                             0           45          52    214749675565  [45 \xC2\xB0" "C]\r\n"
      "5   (05) Reallocated Sector Count                36          100         100             1  12 sectors]\r\n");
  ASSERT_EQ(r.attributes.count(9), 1u);
  EXPECT_EQ(r.attributes.at(9).raw, 10000u);
  EXPECT_EQ(r.attributes.at(9).readable, "10000 h");
  ASSERT_EQ(r.attributes.count(194), 1u);
  EXPECT_EQ(r.attributes.at(194).raw, 214749675565u);
  EXPECT_EQ(r.attributes.at(194).readable, "45 \xC2\xB0" "C");
  // A readable value without its opening bracket is a problem, not a number.
  EXPECT_EQ(r.attributes.count(5), 0u);
  EXPECT_THAT(r.problems, HasSubstr("unopened readable value"));
}

TEST(ReportOutput, RowsAreReadFromTheEndBecauseNamesHoldBlanks) {
  const ParsedReport r = ParseReport(
      "Drive model: M\r\nCapacity: 3000.6 GB\r\nDrive temperature: 31 \xC2\xB0" "C\r\n"
      "198 (C6) Off-line Scan Uncorrect. Sector Count   0           100         99    "
      "281474976710655\r\n"
      "12  (0D) Power Cycle Count                       0           100         100            1\r\n");
  EXPECT_EQ(r.model, "M");
  EXPECT_EQ(r.capacityGb, 3000.6);
  EXPECT_EQ(r.temperature, 31);
  ASSERT_EQ(r.attributes.count(198), 1u);
  EXPECT_EQ(r.attributes.at(198).worst, 99);
  EXPECT_EQ(r.attributes.at(198).raw, 0xFFFFFFFFFFFFull);
  EXPECT_EQ(r.attributes.at(198).readable, "");
  // 12 is 0C, not 0D: the row contradicts itself and is reported.
  EXPECT_EQ(r.attributes.count(12), 0u);
  EXPECT_THAT(r.problems, HasSubstr("Power Cycle Count"));
}

}  // namespace
}  // namespace torvel::test
