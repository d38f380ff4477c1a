#include "monitor/baseline.h"

#include <gtest/gtest.h>

#include <limits>

#include "config/keys.h"
#include "config/settings_store.h"
#include "drive/sector_builder.h"
#include "drive/smart_data.h"
#include "base/time_format.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k2005 = 1104537600;  // 1 January 2005, 00:00 UTC

struct BaselineFixture : ::testing::Test {
  DriveTables tables;
  MemorySettingsStore store;
  test::TraceCapture capture;
  std::array<int, kMaxDrives> changes{};

  void AddDrive(int n, const char* serial, std::uint8_t value5, std::uint8_t threshold5 = 36) {
    tables.records[static_cast<std::size_t>(n)].model = "M";
    tables.records[static_cast<std::size_t>(n)].serial = serial;
    tables.records[static_cast<std::size_t>(n)].smartEnabled = 1;
    StoreSmartData(tables, n,
                   SmartSectorBuilder().Attribute(0, 5, 0x33, value5, value5, 0).Attribute(3, 9, 0x32, 98, 98, 1).sector(),
                   SmartSectorBuilder().Threshold(0, 5, threshold5).Threshold(3, 9, 0).sector());
  }
  int Stored(const char* serial, const std::string& key, int def = -7) {
    return store.GetProfileInt(serial, key, def);
  }
};

TEST_F(BaselineFixture, SavesEveryAttributeOfMonitoredEnabledDrives) {
  AddDrive(0, "S0", 100);
  AddDrive(2, "S2", 90);
  AddDrive(3, "S3", 80);
  tables.records[3].smartEnabled = 0;
  changes[0] = 4;
  changes[2] = 1;
  SaveAttributeBaseline(tables, store, changes);
  EXPECT_EQ(Stored("S0", "5-Reallocated Sector Count"), 100);
  EXPECT_EQ(Stored("S0", "9-Power-on Hours Count"), 98);
  EXPECT_EQ(Stored("S2", "5-Reallocated Sector Count"), 90);
  EXPECT_EQ(Stored("S3", "5-Reallocated Sector Count"), -7);
  // The last drive saved wins.
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kNumChangeAttrs, -1), 1);
}

TEST_F(BaselineFixture, UnmonitoredDriveKeepsItsOldBaseline) {
  AddDrive(1, "S1", 100);
  SaveAttributeBaseline(tables, store, changes);
  store.WriteProfileInt("S1", keys::kEnableMonitor, 0);
  tables.attributes[1].attributes[0].value = 97;
  SaveAttributeBaseline(tables, store, changes);
  EXPECT_EQ(Stored("S1", "5-Reallocated Sector Count"), 100);
}

TEST_F(BaselineFixture, DrivesWithOneSerialTextShareOneSection) {
  AddDrive(0, "SAME", 100);
  AddDrive(1, "SAME", 70);
  SaveAttributeBaseline(tables, store, changes);
  EXPECT_EQ(Stored("same", "5-reallocated sector count"), 70);
}

TEST_F(BaselineFixture, FirstFallOnlyStartsTheClock) {
  AddDrive(0, "S0", 99, 50);
  EXPECT_EQ(EstimateTecDate(tables, store, capture.trace, 0, 0, 100, k2005), 1);
  EXPECT_EQ(Stored("S0", "5-LastChangeDate"), k2005);
  EXPECT_EQ(Stored("S0", "5-TECdate"), -7);
  EXPECT_TRUE(capture.Text().empty());
}

TEST_F(BaselineFixture, LaterFallProjectsTheRemainingMarginLinearly) {
  AddDrive(0, "S0", 99, 50);
  store.WriteProfileInt("S0", "5-LastChangeDate", static_cast<int>(k2005 - kDay));
  EstimateTecDate(tables, store, capture.trace, 0, 0, 100, k2005);
  const std::int64_t tec = k2005 + 49 * kDay;
  EXPECT_EQ(Stored("S0", "5-TECdate"), tec);
  EXPECT_EQ(Stored("S0", "5-LastChangeDate"), k2005);
  EXPECT_EQ(capture.Messages(), std::vector<std::string>{
                                    "\tAttribute changed: 0\n   T.E.C. date " +
                                    FormatTecDate(LocalTime(tec)) + "\n"});
}

TEST(SavedValueTest, WithoutABaselineTheViewsCompareWithTheValueItself) {
  MemorySettingsStore store;
  EXPECT_EQ(SavedValue(store, "S0", 9), kNoBaseline);
  const ComparedValue none = ValueToCompare(store, "S0", 9, 97);
  EXPECT_EQ(none.value, 97) << "no baseline: nothing changed";
  EXPECT_FALSE(none.saved);

  SetSavedValue(store, "S0", 9, 98);
  EXPECT_EQ(store.GetProfileInt("S0", "9-Power-on Hours Count", -7), 98);
  EXPECT_EQ(SavedValue(store, "S0", 9), 98);
  const ComparedValue saved = ValueToCompare(store, "S0", 9, 97);
  EXPECT_EQ(saved.value, 98);
  EXPECT_TRUE(saved.saved);

  // Only the low byte counts, as a value can only be.
  store.WriteProfileInt("S0", "9-Power-on Hours Count", 0x100 + 99);
  EXPECT_EQ(SavedValue(store, "S0", 9), 99);
  EXPECT_EQ(ValueToCompare(store, "S0", 9, 1).value, 99);
}

TEST(ProjectTecDate, SixtyFourBitProductTruncationAndRange) {
  // A year between falls and a wide margin: the product needs more than 32 bits.
  const std::int64_t year = 365 * kDay;
  EXPECT_EQ(ProjectTecDate(k2005, k2005 - year, 240, 0, 250), k2005 + 24 * year);
  // Truncated toward zero, also when the value is already below its threshold.
  EXPECT_EQ(ProjectTecDate(1000, 993, 99, 50, 102), 1000 + 114);
  EXPECT_EQ(ProjectTecDate(1000, 993, 40, 50, 43), 1000 - 23);
  // Beyond 2038 the 32-bit store keeps the largest time it can.
  EXPECT_EQ(ProjectTecDate(k2005, k2005 - year, 250, 0, 251),
            std::numeric_limits<std::int32_t>::max());
}

TEST(TimeFormats, TecDateAndLogStampAreEnglish) {
  std::tm t = test::FixedTime();
  EXPECT_EQ(FormatTecDate(t), "05 Mar 2007");
  t.tm_mon = 8;
  EXPECT_EQ(FormatTecDate(t), "05 Sep 2007");
  EXPECT_EQ(FormatLogStamp(t), "05 September 2007  09:04:02 :: ");
  EXPECT_EQ(FormatSyslogStamp(t), "Sep  5 09:04:02");
}

}  // namespace
}  // namespace torvel
