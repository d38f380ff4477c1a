// The IDENTIFY rows against hdparm's reading of the same sector
// (`hdparm --Istdin`), on the dumps in samples/identify.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

#include "drive/identify.h"
#include "drive/sector_builder.h"
#include "mksample/description.h"
#include "ui/logic/disk_info.h"

namespace torvel {
namespace {
namespace fs = std::filesystem;

fs::path IdentifyDumpDir() { return fs::path(TORVEL_SOURCE_DIR) / "samples" / "identify"; }

std::vector<fs::path> IdentifyDumps() {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(IdentifyDumpDir()))
    if (e.path().extension() == ".hex") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

std::string HdparmPath() {
  for (const char* p : {"/usr/sbin/hdparm", "/sbin/hdparm", "/usr/bin/hdparm", "/usr/local/sbin/hdparm"})
    if (access(p, X_OK) == 0) return p;
  return {};
}

std::string ReadDumpText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// 256 whitespace-separated 4-digit hex words, the form hdparm reads.
std::optional<Sector> SectorFromHexDump(const std::string& text) {
  std::istringstream in(text);
  Sector s{};
  int n = 0;
  for (std::string token; in >> token; ++n) {
    if (n >= 256 || token.size() != 4) return std::nullopt;
    const unsigned long w = std::stoul(token, nullptr, 16);
    s[static_cast<std::size_t>(2 * n)] = static_cast<std::uint8_t>(w & 0xFF);
    s[static_cast<std::size_t>(2 * n + 1)] = static_cast<std::uint8_t>(w >> 8);
  }
  if (n != 256) return std::nullopt;
  return s;
}

std::string RunHdparmOn(const std::string& hdparm, const fs::path& dump) {
  const std::string command = hdparm + " --Istdin < '" + dump.string() + "' 2>&1";
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

std::optional<std::string> RowValue(const std::vector<InfoRow>& rows, const std::string& label) {
  for (const InfoRow& r : rows)
    if (r.label == label) return r.value;
  return std::nullopt;
}

// The first group of `pattern` in hdparm's output.
std::optional<std::string> HdparmField(const std::string& text, const std::string& pattern) {
  std::smatch m;
  if (std::regex_search(text, m, std::regex(pattern))) return m[1].str();
  return std::nullopt;
}

const std::map<std::string, int> kMajorVersionBits = {
    {"ACS-5 and below", 12}, {"ACS-4 and below", 11},  {"ACS-3 and below", 10},
    {"ACS-2 and below", 9},  {"ATA8-ACS and below", 8}, {"ATA/ATAPI-7 and below", 7},
    {"ATA/ATAPI-6 and below", 6}, {"ATA/ATAPI-5 and below", 5}, {"ATA/ATAPI-4 and below", 4},
    {"ATA-3 and below", 3},  {"ATA-2", 2}};

TEST(IdentifyDumps, EnoughDumpsEachReproducedFromItsDescription) {
  const auto dumps = IdentifyDumps();
  ASSERT_GE(dumps.size(), 6u);
  for (const fs::path& dump : dumps) {
    SCOPED_TRACE(dump.filename().string());
    const auto sector = SectorFromHexDump(ReadDumpText(dump));
    ASSERT_TRUE(sector.has_value()) << "not 256 hex words";
    fs::path description = dump;
    description.replace_extension(".txt");
    // A sector captured from a device says so in its name; every other
    // dump says how it was made.
    if (dump.stem().string().ends_with("-captured")) {
      EXPECT_FALSE(fs::exists(description)) << "a capture has no description to build it from";
      continue;
    }
    ASSERT_TRUE(fs::exists(description)) << "every dump says how it was made";
    std::ifstream in(description);
    const auto files = mksample::BuildDriveFiles(mksample::ParseDescription(in));
    const std::string built = files.at("identify.bin");
    EXPECT_EQ(std::string(sector->begin(), sector->end()), built)
        << "the dump is not what its description builds";
  }
}

class HdparmAgreement : public ::testing::TestWithParam<fs::path> {};

TEST_P(HdparmAgreement, RowsSayWhatHdparmSays) {
  const std::string hdparm = HdparmPath();
  if (hdparm.empty()) GTEST_SKIP() << "hdparm is not installed (package hdparm); agreement not checked";
  const auto sector = SectorFromHexDump(ReadDumpText(GetParam()));
  ASSERT_TRUE(sector.has_value());
  const std::vector<InfoRow> rows = IdentifyRows(*sector);
  const std::string theirs = RunHdparmOn(hdparm, GetParam());
  ASSERT_NE(theirs.find("Model Number:"), std::string::npos) << theirs;

  // Sector count: hdparm's 48-bit line when it prints one.
  auto sectors = HdparmField(theirs, R"(LBA48  user addressable sectors:\s*(\d+))");
  if (!sectors) sectors = HdparmField(theirs, R"(LBA    user addressable sectors:\s*(\d+))");
  ASSERT_TRUE(sectors.has_value()) << theirs;
  EXPECT_EQ(RowValue(rows, "Number of LBA sectors"), *sectors);

  // ATA major version: the highest bit hdparm lists.
  const auto supported = HdparmField(theirs, R"(\n\s*Supported: (\d+))");
  const auto version = RowValue(rows, "ATA standard version");
  ASSERT_TRUE(supported.has_value()) << theirs;
  ASSERT_TRUE(version && kMajorVersionBits.count(*version)) << version.value_or("(none)");
  EXPECT_EQ(kMajorVersionBits.at(*version), std::stoi(*supported));

  // Ultra DMA: the starred mode and the highest listed one.
  const auto current = HdparmField(theirs, R"(\*udma(\d))");
  EXPECT_EQ(RowValue(rows, "Current Ultra DMA mode"),
            current ? std::optional<std::string>("Mode " + *current) : "None selected");
  std::string highest;
  const std::regex udma(R"(udma(\d))");
  for (std::sregex_iterator i(theirs.begin(), theirs.end(), udma), end; i != end; ++i)
    highest = std::max(highest, (*i)[1].str());
  if (!highest.empty()) {
    EXPECT_EQ(RowValue(rows, "Ultra DMA modes supported"),
              highest == "0" ? "Ultra DMA mode 0" : "Ultra DMA mode " + highest + " and below");
  }

  // APM: hdparm names the level, or says "disabled", when the set is there.
  const auto apm = HdparmField(theirs, R"(Advanced power management level: (\w+))");
  const auto ourApm = RowValue(rows, "Current advanced power management level");
  if (apm && *apm != "disabled") EXPECT_EQ(ourApm, "Level " + *apm);
  else EXPECT_FALSE(ourApm) << "APM level shown while hdparm says " << apm.value_or("nothing");
  EXPECT_EQ(RowValue(rows, "Advanced Power Management feature set"),
            !apm ? "Not supported" : *apm == "disabled" ? "Supported" : "Supported, Enabled");

  // AAM: our values only while hdparm stars the feature set.
  const bool aamOn = theirs.find("*\tAutomatic Acoustic Management feature set") != std::string::npos;
  const auto aam = HdparmField(theirs, R"(Recommended acoustic management value: (\d+), current value: (\d+))");
  if (aamOn) {
    ASSERT_TRUE(aam.has_value()) << theirs;
    EXPECT_EQ(RowValue(rows, "Vendor\x92s recommended acoustic management value"), *aam);
    EXPECT_EQ(RowValue(rows, "Current automatic acoustic management value"),
              HdparmField(theirs, R"(acoustic management value: \d+, current value: (\d+))"));
  } else {
    EXPECT_FALSE(RowValue(rows, "Current automatic acoustic management value"));
  }

  // Security: the section's "supported" line, its state lines and its level.
  const auto section = theirs.find("Security: \n");
  const std::string security = section == std::string::npos ? "" : theirs.substr(section);
  const bool securitySupported = security.find("\t\tsupported\n") != std::string::npos;
  EXPECT_EQ(RowValue(rows, "Security").has_value(), securitySupported);
  if (securitySupported) {
    const bool enabled = security.find("\t\tenabled\n") != std::string::npos;
    EXPECT_EQ(RowValue(rows, "Security"), enabled ? "Supported, Enabled" : "Supported");
    const bool frozen = security.find("\t\tfrozen\n") != std::string::npos;
    int frozenRows = 0;
    for (const InfoRow& r : rows) frozenRows += r.label == "Security status" && r.value == "Frozen";
    EXPECT_EQ(frozenRows, frozen ? 1 : 0);
  }
  if (const auto level = HdparmField(security, R"(Security level (\w+))")) {
    EXPECT_EQ(RowValue(rows, "Security level"), *level == "maximum" ? "Maximum level" : "High level");
  }

  // Rotation rate.
  const auto rate = HdparmField(theirs, R"(Nominal Media Rotation Rate: ([^\n]+))");
  const auto ourRate = RowValue(rows, "Nominal media rotation rate");
  if (!rate) EXPECT_FALSE(ourRate);
  else if (*rate == "Solid State Device") EXPECT_EQ(ourRate, "Solid state");
  else EXPECT_EQ(ourRate, *rate + " rpm");

  // Queue depth (the dumps have no TCQ, so hdparm's depth is NCQ's).
  const auto depth = HdparmField(theirs, R"(Queue depth: (\d+))");
  const auto ncq = RowValue(rows, "Native Command Queuing (NCQ)");
  if (depth) EXPECT_EQ(ncq, "Supported, queue depth " + *depth);
  else EXPECT_NE(ncq.value_or("Not supported").rfind("Supported", 0), 0u);

  // TRIM.
  const bool trim = theirs.find("Data Set Management TRIM supported") != std::string::npos;
  EXPECT_EQ(RowValue(rows, "Data Set Management TRIM"), trim ? "Supported" : "Not supported");

  // World wide name, which hdparm prints in lower case.
  auto wwn = HdparmField(theirs, R"(Logical Unit WWN Device Identifier: ([0-9a-f]{16}))");
  if (wwn) std::transform(wwn->begin(), wwn->end(), wwn->begin(), ::toupper);
  EXPECT_EQ(RowValue(rows, "World Wide Name"), wwn);

  // Link generations: hdparm lists the supported ones, not the current one.
  std::string gens;
  const std::regex gen(R"(Gen(\d) signaling speed \((\d\.\d)Gb/s\))");
  for (std::sregex_iterator i(theirs.begin(), theirs.end(), gen), end; i != end; ++i)
    gens += (gens.empty() ? "" : ", ") + ("Gen" + (*i)[1].str() + " (" + (*i)[2].str() + " Gb/s)");
  EXPECT_EQ(RowValue(rows, "SATA generations supported").value_or(""), gens);
}

INSTANTIATE_TEST_SUITE_P(Samples, HdparmAgreement, ::testing::ValuesIn(IdentifyDumps()),
                         [](const ::testing::TestParamInfo<fs::path>& dump) {
                           std::string name = dump.param.stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace torvel
