// The two other forms of torvelctl's output: JSON text that any parser
// reads back, and journal lines that carry each drive's priority.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "drive/drive_tables.h"
#include "monitor/monitor_state.h"
#include "torvelctl/check_command.h"
#include "torvelctl/commands.h"
#include "torvelctl/json_writer.h"

namespace torvel {
namespace {

TEST(JsonWriter, NestingCommasAndEveryAwkwardCharacterParseBack) {
  const std::string awkward = std::string("quote\" back\\ tab\t nl\n cr\r bell\x07 del\x7F nul") +
                              '\0' + " \xC2\xB0" "C";
  JsonWriter j;
  j.BeginObject().Field("text", awkward).Key("list").BeginArray().Int(-1).Fixed(2.5, 1).Null();
  j.BeginObject().EndObject().BeginArray().EndArray().EndArray();
  j.Field("big", std::int64_t{281474976710655}).Field("flag", false).Key("nan").Fixed(0.0 / 0.0, 2);
  const std::string text = j.EndObject().Finish();
  ASSERT_EQ(text.back(), '\n');
  const nlohmann::json doc = nlohmann::json::parse(text);
  EXPECT_EQ(doc["text"], awkward);
  EXPECT_EQ(doc["list"].dump(), "[-1,2.5,null,{},[]]");
  EXPECT_EQ(doc["big"].get<std::int64_t>(), 281474976710655);
  EXPECT_FALSE(doc["flag"].get<bool>());
  EXPECT_TRUE(doc["nan"].is_null());
}

TEST(Journal, StreamMatchesOnlyItsOwnDeviceAndInode) {
  EXPECT_TRUE(JournalStreamIs("8:1234", 8, 1234));
  EXPECT_FALSE(JournalStreamIs("8:1234", 8, 123));
  EXPECT_FALSE(JournalStreamIs("8:12345", 8, 1234));
  EXPECT_FALSE(JournalStreamIs(nullptr, 8, 1234));
  EXPECT_FALSE(JournalStreamIs("", 0, 0));
}

TEST(Journal, EachDrivesBlockCarriesItsPriority) {
  DriveTables tables;
  MonitorState state;
  for (std::size_t n : {0u, 2u, 3u}) {
    tables.records[n].model = "M" + std::to_string(n);
    state.driveChecked[n] = true;
  }
  state.Found(2, kFoundTec);
  state.Found(3, kFoundSectorGrowth);
  state.missing.push_back({"Gone", "S9"});
  const std::string summary = "Disk M0\n[OK]\n--\nDisk M2\n[BAD]\n--\nDisk M3\n[GREW]";
  const std::string plain = CheckText(tables, state, summary, false);
  EXPECT_EQ(plain.rfind("Disk M0\n[OK]\n--\nDisk M2\n[BAD]\n--\nDisk M3\n[GREW]\n", 0), 0u) << plain;

  const std::string journal = CheckText(tables, state, summary, true);
  EXPECT_EQ(journal.rfind("<6>Disk M0\n<6>[OK]\n<6>--\n<2>Disk M2\n<2>[BAD]\n<6>--\n<4>Disk M3\n<4>[GREW]\n<4>", 0),
            0u)
      << journal;
  EXPECT_EQ(state.findings, kFoundTec | kFoundSectorGrowth);
  EXPECT_EQ(JournalLines("a\nb\n", 3), "<3>a\n<3>b\n");
}

}  // namespace
}  // namespace torvel
