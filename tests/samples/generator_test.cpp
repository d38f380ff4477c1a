// torvel-mksample against the committed samples and against broken input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "samples/sample_support.h"
#include "support/temp_dir.h"

namespace torvel::test {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = ReadFile(entry.path());
  return files;
}

ProcessResult Generate(const fs::path& description, const fs::path& folder) {
  return RunProcess({TORVEL_MKSAMPLE_PATH, description.string(), folder.string()},
                    fs::current_path());
}

unsigned ByteSum(const std::string& bytes) {
  return std::accumulate(bytes.begin(), bytes.end(), 0u,
                         [](unsigned s, char c) { return s + static_cast<unsigned char>(c); });
}

unsigned Word(const std::string& sector, int w) {
  return static_cast<unsigned char>(sector[static_cast<std::size_t>(2 * w)]) |
         (static_cast<unsigned char>(sector[static_cast<std::size_t>(2 * w + 1)]) << 8);
}

bool IsNvmeSample(const fs::path& description) {
  return DescriptionValue(description, "interface") == "nvme";
}

TEST(SampleGenerator, TheSixSamplesAreDescribedAndCommitted) {
  const auto descriptions = SampleDescriptions();
  std::set<int> described;
  for (const auto& [n, path] : descriptions) described.insert(n);
  EXPECT_EQ(described, (std::set<int>{0, 1, 2, 3, 4, 5}));
  std::set<int> committed;
  for (const auto& entry : fs::directory_iterator(DrivesDir()))
    committed.insert(std::stoi(entry.path().filename().string()));
  EXPECT_EQ(committed, described) << "every drive folder needs its description and back";
}

TEST(SampleGenerator, ReproducesEveryCommittedSampleByteForByte) {
  TempDir out;
  for (const auto& [n, description] : SampleDescriptions()) {
    SCOPED_TRACE(description.filename().string());
    const fs::path folder = out.path() / std::to_string(n);
    const ProcessResult r = Generate(description, folder);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto generated = FolderFiles(folder);
    const auto committed = FolderFiles(DrivesDir() / std::to_string(n));
    ASSERT_FALSE(generated.empty());
    EXPECT_EQ(generated.size(), committed.size());
    for (const auto& [name, bytes] : committed) {
      ASSERT_TRUE(generated.count(name)) << name << " is committed but not generated";
      EXPECT_TRUE(generated.at(name) == bytes) << name << " differs from the committed file";
    }
  }
}

TEST(SampleGenerator, CommittedSectorsAreWellFormed) {
  for (const auto& [n, description] : SampleDescriptions()) {
    if (IsNvmeSample(description)) continue;
    SCOPED_TRACE("drive " + std::to_string(n));
    const fs::path folder = DrivesDir() / std::to_string(n);
    const std::string identify = ReadFile(folder / "identify.bin");
    ASSERT_EQ(identify.size(), 512u);
    EXPECT_EQ(static_cast<unsigned char>(identify[510]), 0xA5u) << "IDENTIFY signature";
    EXPECT_EQ(ByteSum(identify) % 256, 0u) << "IDENTIFY checksum";

    if (!fs::exists(folder / "smart-data.bin")) continue;
    const std::string data = ReadFile(folder / "smart-data.bin");
    const std::string thresholds = ReadFile(folder / "smart-thresholds.bin");
    ASSERT_EQ(data.size(), 512u);
    ASSERT_EQ(thresholds.size(), 512u);
    EXPECT_EQ(ByteSum(data) % 256, 0u) << "data sector checksum";
    EXPECT_EQ(ByteSum(thresholds) % 256, 0u) << "threshold sector checksum";
    EXPECT_NE(Word(data, 0), 0u) << "data structure revision";
    EXPECT_NE(Word(thresholds, 0), 0u) << "threshold structure revision";
    for (std::size_t at = 2; at < 362; at += 12)
      EXPECT_EQ(data[at], thresholds[at]) << "threshold slot at byte " << at << " names another id";
  }
}

TEST(SampleGenerator, CapacityWordsFollowTheDescription) {
  for (const auto& [n, description] : SampleDescriptions()) {
    if (DescriptionValue(description, "packet") == "yes" || IsNvmeSample(description)) continue;
    SCOPED_TRACE("drive " + std::to_string(n));
    const std::uint64_t sectors = std::stoull(DescriptionValue(description, "sectors"));
    const bool lba48 = DescriptionValue(description, "lba48") == "yes";
    const std::string id = ReadFile(DrivesDir() / std::to_string(n) / "identify.bin");
    ASSERT_EQ(id.size(), 512u);
    const std::uint64_t lba28 = Word(id, 60) | (std::uint64_t{Word(id, 61)} << 16);
    EXPECT_EQ(lba28, std::min<std::uint64_t>(sectors, 0x0FFFFFFF));
    EXPECT_EQ((Word(id, 83) >> 10) & 1u, lba48 ? 1u : 0u);
    if (lba48) {
      std::uint64_t count = 0;
      for (int w = 103; w >= 100; --w) count = (count << 16) | Word(id, w);
      EXPECT_EQ(count, sectors);
    }
  }
}

TEST(SampleGenerator, SerialNumbersDiffer) {
  std::set<std::string> serials;
  for (const auto& [n, description] : SampleDescriptions()) {
    std::string serial = DescriptionValue(description, "serial");
    serial.erase(0, serial.find_first_not_of(' '));
    EXPECT_FALSE(serial.empty()) << "drive " << n;
    EXPECT_TRUE(serials.insert(serial).second) << "drive " << n << " repeats serial " << serial;
  }
}

TEST(SampleGenerator, RawValuesAreStoredLowByteFirst) {
  TempDir dir;
  const fs::path description = dir.path() / "raw.txt";
  WriteFile(description,
            "model = RAWTEST\nsectors = 1000\nsmart = yes\n"
            "attr 194 0x0022 45 50 0 0x010203040506\n"
            "attr 9 0x0032 79 79 7 18734\n");
  const ProcessResult r = Generate(description, dir.path() / "drive");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string data = ReadFile(dir.path() / "drive" / "smart-data.bin");
  const std::string thresholds = ReadFile(dir.path() / "drive" / "smart-thresholds.bin");
  ASSERT_EQ(data.size(), 512u);
  EXPECT_EQ(data.substr(2, 12), std::string("\xC2\x22\x00\x2D\x32\x06\x05\x04\x03\x02\x01\x00", 12));
  // 18734 = 0x492E, in the second slot.
  EXPECT_EQ(data.substr(14, 7), std::string("\x09\x32\x00\x4F\x4F\x2E\x49", 7));
  EXPECT_EQ(thresholds.substr(14, 2), std::string("\x09\x07", 2));
}

TEST(SampleGenerator, RemovesFilesTheNewDescriptionDoesNotCallFor) {
  TempDir dir;
  const auto descriptions = SampleDescriptions();
  const fs::path folder = dir.path() / "drive";
  ASSERT_EQ(Generate(descriptions.at(0), folder).exitCode, 0);
  ASSERT_TRUE(fs::exists(folder / "smart-data.bin"));
  ASSERT_EQ(Generate(descriptions.at(3), folder).exitCode, 0);
  EXPECT_EQ(FolderFiles(folder), FolderFiles(DrivesDir() / "3"));
}

TEST(SampleGenerator, WithoutBothArgumentsPrintsUsage) {
  const ProcessResult r = RunProcess({TORVEL_MKSAMPLE_PATH}, fs::current_path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("usage: torvel-mksample DESCRIPTION OUTPUT_DRIVE_FOLDER"));
}

struct BadDescription {
  const char* name;
  const char* text;
  int line;
  const char* message;
};

void PrintTo(const BadDescription& bad, std::ostream* os) { *os << bad.name; }

class MalformedDescription : public ::testing::TestWithParam<BadDescription> {};

TEST_P(MalformedDescription, IsRejectedWithItsLineAndNothingWritten) {
  const BadDescription& bad = GetParam();
  TempDir dir;
  const fs::path description = dir.path() / "bad.txt";
  WriteFile(description, bad.text);
  const fs::path folder = dir.path() / "out";
  const ProcessResult r = Generate(description, folder);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr(description.string() + ":" + std::to_string(bad.line) + ": "));
  EXPECT_THAT(r.err, HasSubstr(bad.message));
  EXPECT_FALSE(fs::exists(folder));
}

// Each starts from a valid drive so that only the named line is wrong.
INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedDescription,
    ::testing::Values(
        BadDescription{"UnknownKey", "model = M\nsectors = 100\ncolour = red\n", 3,
                       "unknown key 'colour'"},
        BadDescription{"NoEquals", "model = M\n# comment\nsectors 100\n", 3,
                       "expected 'key = value'"},
        BadDescription{"ShortAttr", "model = M\nsectors = 100\nsmart = yes\nattr 5 0x33 100 100 36\n",
                       4, "attr ID FLAGS VALUE WORST THRESHOLD RAW"},
        BadDescription{"RawOver48Bits",
                       "model = M\nsectors = 100\nsmart = yes\n\nattr 5 0x33 100 100 36 "
                       "0x1000000000000\n",
                       5, "raw value"},
        BadDescription{"NotANumber", "model = M\nsectors = 12x\n", 2, "'12x' is not a decimal"},
        BadDescription{"RepeatedKey", "model = M\nsectors = 100\nmodel = N\n", 3,
                       "already given on line 1"},
        BadDescription{"ModelTooLong",
                       "model = 12345678901234567890123456789012345678901\nsectors = 100\n", 1,
                       "the field holds 40"},
        BadDescription{"UnknownFailure", "model = M\nsectors = 100\nfail = reboot\n", 3,
                       "'fail' takes open, enable"},
        BadDescription{"AttributesOnPacketDevice",
                       "packet = yes\nmodel = CD\nsmart = yes\nattr 5 0x33 100 100 36 0\n", 4,
                       "a packet device has no S.M.A.R.T. attributes"},
        BadDescription{"WordOwnedByAKey", "model = M\nsectors = 100\nword 61 = 0\n", 3,
                       "IDENTIFY word 61 is set by its own key"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(SampleGenerator, AMissingModelIsReportedForTheWholeFile) {
  TempDir dir;
  const fs::path description = dir.path() / "nomodel.txt";
  WriteFile(description, "sectors = 100\n");
  const ProcessResult r = Generate(description, dir.path() / "out");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr(description.string() + ": no 'model' line"));
}

}  // namespace
}  // namespace torvel::test
