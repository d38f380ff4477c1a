#include "drive/smart_data.h"

#include <gtest/gtest.h>

#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "drive/sections.h"

namespace torvel {
namespace {

TEST(StoreSmartData, EmptySlotsKeepWhatAnEarlierRefreshStored) {
  DriveTables t;
  SmartSectorBuilder first, firstTh;
  for (int i = 0; i < 30; ++i) {
    first.Attribute(i, static_cast<std::uint8_t>(i + 1), 0x0F, 100, 100, 7);
    firstTh.Threshold(i, static_cast<std::uint8_t>(i + 1), 10);
  }
  StoreSmartData(t, 3, first.sector(), firstTh.sector());

  SmartSectorBuilder second, secondTh;
  for (int i = 0; i < 10; ++i) {
    second.Attribute(i, static_cast<std::uint8_t>(i + 100), 0x0F, 90, 80, 1);
    secondTh.Threshold(i, static_cast<std::uint8_t>(i + 100), 20);
  }
  StoreSmartData(t, 3, second.sector(), secondTh.sector());

  const AttributeTable& a = t.attributes[3];
  EXPECT_EQ(a.attributes[9].id, 109);
  EXPECT_EQ(a.attributes[9].value, 90);
  EXPECT_EQ(a.thresholds[9].threshold, 20);
  EXPECT_EQ(a.attributes[10].id, 11);
  EXPECT_EQ(a.attributes[10].value, 100);
  EXPECT_EQ(a.thresholds[29].threshold, 10);
  // Other drives are untouched.
  EXPECT_EQ(t.attributes[2].attributes[0].id, 0);
}

TEST(StoreSmartData, FirstRefreshWithTenAttributesLeavesTheRestZero) {
  DriveTables t;
  SmartSectorBuilder d;
  for (int i = 0; i < 10; ++i) d.Attribute(i, static_cast<std::uint8_t>(i + 1), 0, 1, 1, 0);
  StoreSmartData(t, 0, d.sector(), Sector{});
  EXPECT_EQ(t.attributes[0].attributes[9].id, 10);
  for (int i = 10; i < 30; ++i) EXPECT_EQ(t.attributes[0].attributes[static_cast<std::size_t>(i)].id, 0);
}

TEST(StoreSmartData, ThresholdsPairByPositionNotById) {
  DriveTables t;
  SmartSectorBuilder d, th;
  d.Attribute(0, 1, 0x0F, 100, 100, 0).Attribute(1, 5, 0x33, 100, 100, 0);
  th.Threshold(0, 5, 36).Threshold(1, 1, 6);  // the drive lists them the other way round
  StoreSmartData(t, 0, d.sector(), th.sector());
  const AttributeTable& a = t.attributes[0];
  EXPECT_EQ(a.thresholds[0].id, 1);
  EXPECT_EQ(a.thresholds[0].threshold, 36);
  EXPECT_EQ(a.thresholds[1].id, 5);
  EXPECT_EQ(a.thresholds[1].threshold, 6);
}

TEST(StoreSmartData, EntriesAreCopiedWhole) {
  DriveTables t;
  SmartSectorBuilder d;
  d.Attribute(4, 9, 0x0032, 98, 97, 0x0000000A2710ull).Byte(2 + 12 * 4 + 11, 0x77);
  StoreSmartData(t, 0, d.sector(), Sector{});
  const AttributeEntry& e = t.attributes[0].attributes[4];
  EXPECT_EQ(e.Flags(), 0x0032);
  EXPECT_EQ(e.value, 98);
  EXPECT_EQ(e.worst, 97);
  EXPECT_EQ(e.Raw(), 0x0A2710u);
  EXPECT_EQ(e.reserved, 0x77);
  EXPECT_EQ(t.attributes[0].thresholds[4].threshold, 0);  // zeroed sector after a failed read
}

TEST(StoreSmartData, TemperatureIsRawByteZeroOfAttribute194Only) {
  DriveTables t;
  SmartSectorBuilder d;
  d.Attribute(0, 194, 0x22, 45, 52, 0x00320014002Dull);
  StoreSmartData(t, 1, d.sector(), Sector{});
  EXPECT_EQ(t.records[1].temperature, 45);
  EXPECT_EQ(t.attributes[1].attributes[0].raw[2], 0x14);

  SmartSectorBuilder zero;
  zero.Attribute(0, 194, 0x22, 45, 52, 0x00320014FF00ull);
  StoreSmartData(t, 1, zero.sector(), Sector{});
  EXPECT_EQ(t.records[1].temperature, 45);  // raw byte 0 is 0: keep the earlier reading

  SmartSectorBuilder other;
  other.Attribute(0, 231, 0x22, 60, 60, 40);
  StoreSmartData(t, 1, other.sector(), Sector{});
  EXPECT_EQ(t.records[1].temperature, 45);  // 231 is also "Temperature" but never the drive's
}

TEST(AttributeEntry, RawIsAnUnsigned48BitLittleEndianNumber) {
  AttributeEntry e;
  const std::uint8_t raw[6] = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00};
  std::copy(std::begin(raw), std::end(raw), e.raw);
  EXPECT_EQ(e.Raw(), 4294967297u);
  std::fill(std::begin(e.raw), std::end(e.raw), 0xFF);
  EXPECT_EQ(e.Raw(), 0xFFFFFFFFFFFFu);
}

TEST(AttributeName, ListedUnlistedAndOutOfRangeIds) {
  EXPECT_EQ(AttributeName(0), "No Attribute Here");
  EXPECT_EQ(AttributeName(1), "Raw Read Error Rate");
  EXPECT_EQ(AttributeName(198), "Off-line Scan Uncorrect. Sector Count");
  EXPECT_EQ(AttributeName(250), "Read error retry rate");
  EXPECT_EQ(AttributeName(191), AttributeName(221));
  EXPECT_EQ(AttributeName(194), "Temperature");
  EXPECT_EQ(AttributeName(231), "Temperature");
  for (int id : {14, 190, 207, 229, 251, 252, 255})
    EXPECT_EQ(AttributeName(id), "Unknown attribute") << id;
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

TEST(CountsAsTec, OnlyAPreFailureAttributeAtARealThreshold) {
  struct Case {
    int flags, value, threshold;
    bool tec;
  };
  const Case cases[] = {
      {0x0033, 36, 36, true},    // pre-failure, at its threshold
      {0x0033, 37, 36, false},   // above it
      {0x0003, 0, 0, false},     // threshold 0: always passing
      {0x0033, 1, 1, true},      // the lowest real threshold
      {0x0033, 253, 253, true},  // the highest
      {0x0033, 100, 254, false}, // 254 and 255 are no thresholds
      {0x0033, 100, 255, false},
      {0x0032, 18, 20, false},   // old-age: worn, not failing
      {0x0012, 0, 20, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CountsAsTec(c.flags, c.value, c.threshold), c.tec)
        << c.flags << " " << c.value << " " << c.threshold;
}

TEST(SectorCount, TheThreeCountsAndTheLowThirtyTwoBitsOfTheirRaw) {
  EXPECT_TRUE(IsSectorCountId(5));
  EXPECT_TRUE(IsSectorCountId(197));
  EXPECT_TRUE(IsSectorCountId(198));
  EXPECT_FALSE(IsSectorCountId(196));
  EXPECT_FALSE(IsSectorCountId(194));
  AttributeEntry a;
  a.raw[0] = 0x28;
  a.raw[4] = 0x02;  // 2 << 32, vendor data above the count
  EXPECT_EQ(SectorCount(a), 0x28u);
}

TEST(AssignSections, UniqueSerialsKeepTheirSectionsAndOthersGetTheirOwn) {
  DriveTables t;
  auto put = [&t](int n, const char* model, const char* serial) {
    t.records[static_cast<std::size_t>(n)].model = model;
    t.records[static_cast<std::size_t>(n)].serial = serial;
  };
  put(0, "A", "S0");
  put(1, "B", "dup");
  put(3, "C", "DUP");  // the store folds case: the same section
  put(4, "D", "");
  put(5, "E", "options");
  AssignSections(t);
  EXPECT_EQ(t.records[0].section, "S0");
  EXPECT_EQ(t.records[1].section, "Drive 1: B [dup]");
  EXPECT_EQ(t.records[3].section, "Drive 3: C [DUP]");
  EXPECT_EQ(t.records[4].section, "Drive 4: D []");
  EXPECT_EQ(t.records[5].section, "Drive 5: E [options]");
  EXPECT_TRUE(t.records[2].section.empty());
  EXPECT_TRUE(IsGlobalSection("OPTIONS"));
  EXPECT_FALSE(IsGlobalSection("Options2"));
}

}  // namespace
}  // namespace torvel
