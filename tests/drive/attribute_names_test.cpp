#include "drive/attribute_names.h"

#include <gtest/gtest.h>

#include "drive/drive_tables.h"
#include "drive/smart_data.h"

namespace torvel {
namespace {

DriveRecord DriveOfModel(const std::string& model, std::uint16_t rotation = 0) {
  DriveRecord r;
  r.model = model;
  r.rotationRate = rotation;
  return r;
}

AttributeEntry EntryWithRaw(int id, std::uint64_t raw) {
  AttributeEntry e;
  e.id = static_cast<std::uint8_t>(id);
  for (int i = 0; i < 6; ++i) e.raw[i] = static_cast<std::uint8_t>(raw >> (8 * i));
  return e;
}

TEST(SsdFamily, ModelPrefixesInAnyCase) {
  const std::pair<const char*, SsdFamily> cases[] = {
      {"KINGSTON SA400S37240G", SsdFamily::kPhison},
      {"Kingston SV300S37A120G", SsdFamily::kPhison},
      {"  KINGSTON SA400S37480G", SsdFamily::kPhison},  // leading blanks kept by the record
      {"SandForce 1st Ed.", SsdFamily::kPhison},
      {"INTEL SSDSC2BB120G4", SsdFamily::kIntel},
      {"Samsung SSD 850 EVO 500GB", SsdFamily::kSamsung},
      {"SAMSUNG MZ7LN256HMJP", SsdFamily::kSamsung},
      {"CT500MX500SSD1", SsdFamily::kMicron},
      {"Crucial_CT256MX100SSD1", SsdFamily::kMicron},
      {"Micron_1100_MTFDDAK256TBN", SsdFamily::kMicron},
      {"MTFDDAK256TBN", SsdFamily::kMicron},
      {"SAMSUNG HD502HJ", SsdFamily::kNone},  // a Samsung hard disk
      {"INTEL", SsdFamily::kNone},
      {"ST3500418AS", SsdFamily::kNone},
      {"", SsdFamily::kNone},
  };
  for (const auto& [model, family] : cases) EXPECT_EQ(SsdFamilyOf(model), family) << model;
}

TEST(SsdFamily, SolidStateFromFamilyModelTextOrRotationWord) {
  EXPECT_TRUE(IsSolidState(DriveOfModel("KINGSTON SA400S37240G")));
  EXPECT_TRUE(IsSolidState(DriveOfModel("SanDisk SDSSDA240G", 0)));  // "SSD" inside the model
  EXPECT_TRUE(IsSolidState(DriveOfModel("WDC WDS500G2B0A", 1)));     // only word 217 says so
  EXPECT_FALSE(IsSolidState(DriveOfModel("WDC WD30EURX-63T0FY0", 5400)));
  EXPECT_FALSE(IsSolidState(DriveOfModel("ST3500418AS")));
}

TEST(AttributeDisplayName, HardDiskKeepsTheFixedNames) {
  const DriveRecord hdd = DriveOfModel("ST3500418AS", 7200);
  for (int id = 0; id < 256; ++id) {
    if (AttributeName(id) == "Unknown attribute") continue;
    EXPECT_EQ(AttributeDisplayName(id, hdd), AttributeName(id)) << id;
  }
  EXPECT_EQ(AttributeDisplayName(231, hdd), "Temperature");
  EXPECT_EQ(AttributeDisplayName(225, hdd), "Load Cycle Count");
}

TEST(AttributeDisplayName, UsualNamesForIdsTheFixedTableLeavesOut) {
  const DriveRecord hdd = DriveOfModel("WDC WD20EZRX-00D8PB0");
  EXPECT_EQ(AttributeDisplayName(187, hdd), "Reported Uncorrectable Errors");
  EXPECT_EQ(AttributeDisplayName(188, hdd), "Command Timeout");
  EXPECT_EQ(AttributeDisplayName(190, hdd), "Airflow Temperature");
  EXPECT_EQ(AttributeDisplayName(241, hdd), "Total LBAs Written");
  EXPECT_EQ(AttributeDisplayName(242, hdd), "Total LBAs Read");
  EXPECT_EQ(AttributeDisplayName(184, hdd), "End-to-End Error");
  EXPECT_EQ(AttributeDisplayName(177, hdd), "Wear Leveling Count");
  // Still unknown where nobody agrees on a name, and outside the id range.
  EXPECT_EQ(AttributeDisplayName(14, hdd), "Unknown attribute");
  EXPECT_EQ(AttributeDisplayName(-1, hdd), "Unknown attribute");
  EXPECT_EQ(AttributeDisplayName(300, hdd), "Unknown attribute");
}

TEST(AttributeDisplayName, FamiliesUseTheirOwnNames) {
  const DriveRecord kingston = DriveOfModel("KINGSTON SA400S37240G", 1);
  EXPECT_EQ(AttributeDisplayName(231, kingston), "SSD Life Left");
  EXPECT_EQ(AttributeDisplayName(233, kingston), "NAND Writes (GiB)");
  EXPECT_EQ(AttributeDisplayName(241, kingston), "Lifetime Writes (GiB)");
  EXPECT_EQ(AttributeDisplayName(194, kingston), "Temperature");
  EXPECT_EQ(AttributeDisplayName(9, kingston), "Power-on Hours Count");

  const DriveRecord intel = DriveOfModel("INTEL SSDSC2BB120G4");
  EXPECT_EQ(AttributeDisplayName(225, intel), "Host Writes (32 MiB)");
  EXPECT_EQ(AttributeDisplayName(226, intel), "Workload Media Wear Indicator");
  EXPECT_EQ(AttributeDisplayName(228, intel), "Workload Minutes");
  EXPECT_EQ(AttributeDisplayName(233, intel), "Media Wearout Indicator");
  EXPECT_EQ(AttributeDisplayName(241, intel), "Host Writes (32 MiB)");
  EXPECT_EQ(AttributeDisplayName(242, intel), "Host Reads (32 MiB)");

  const DriveRecord samsung = DriveOfModel("Samsung SSD 860 EVO 1TB");
  EXPECT_EQ(AttributeDisplayName(177, samsung), "Wear Leveling Count");
  EXPECT_EQ(AttributeDisplayName(241, samsung), "Total LBAs Written");
  EXPECT_EQ(AttributeDisplayName(190, samsung), "Airflow Temperature");

  const DriveRecord crucial = DriveOfModel("CT500MX500SSD1");
  EXPECT_EQ(AttributeDisplayName(202, crucial), "Percent Lifetime Used");
  EXPECT_EQ(AttributeDisplayName(173, crucial), "Average Block-Erase Count");
  EXPECT_EQ(AttributeDisplayName(202, DriveOfModel("ST3500418AS")), "TA Increase Count");
}

TEST(AttributeDisplayName, NoSsdCallsAnythingButItsTemperatureTemperature) {
  const DriveRecord drives[] = {
      DriveOfModel("KINGSTON SV300S37A120G"), DriveOfModel("INTEL SSDSC2CW120A3"),
      DriveOfModel("Samsung SSD 850 PRO 256GB"), DriveOfModel("CT1000MX500SSD1"),
      DriveOfModel("SanDisk SSD PLUS 240GB"), DriveOfModel("WDC WDS500G2B0A", 1)};
  for (const DriveRecord& ssd : drives) {
    for (int id = 0; id < 256; ++id) {
      if (id == 194 || id == 190) continue;
      EXPECT_EQ(AttributeDisplayName(id, ssd).find("Temperature"), std::string_view::npos)
          << ssd.model << " id " << id;
    }
    EXPECT_EQ(AttributeDisplayName(194, ssd), "Temperature") << ssd.model;
  }
  EXPECT_EQ(AttributeDisplayName(231, DriveOfModel("WDC WDS500G2B0A", 1)), "SSD Life Left");
}

TEST(ReadableRaw, UnitsWhereTheyAreKnown) {
  const DriveRecord hdd = DriveOfModel("ST3500418AS");
  EXPECT_EQ(ReadableRaw(9, EntryWithRaw(9, 9818), hdd), "9818 h");
  // Minutes packed above the hours are left out.
  EXPECT_EQ(ReadableRaw(9, EntryWithRaw(9, 0x002A00002659ull), hdd), "9817 h");
  EXPECT_EQ(ReadableRaw(194, EntryWithRaw(194, 0x00320014002Dull), hdd), "45 \xB0" "C");
  EXPECT_EQ(ReadableRaw(190, EntryWithRaw(190, 0x1E1F), hdd), "31 \xB0" "C");
  EXPECT_EQ(ReadableRaw(194, EntryWithRaw(194, 0x3200), hdd), "");  // no reading now
  EXPECT_EQ(ReadableRaw(5, EntryWithRaw(5, 12), hdd), "12 sectors");
  EXPECT_EQ(ReadableRaw(197, EntryWithRaw(197, 0x000100000003ull), hdd), "3 sectors");
  EXPECT_EQ(ReadableRaw(198, EntryWithRaw(198, 0), hdd), "0 sectors");
  EXPECT_EQ(ReadableRaw(196, EntryWithRaw(196, 4), hdd), "4 events");
  EXPECT_EQ(ReadableRaw(1, EntryWithRaw(1, 123456), hdd), "");
  EXPECT_EQ(ReadableRaw(12, EntryWithRaw(12, 410), hdd), "");
}

TEST(ReadableRaw, WrittenAmountsOnlyWhereTheFamilySaysTheUnit) {
  EXPECT_EQ(ReadableRaw(241, EntryWithRaw(241, 320), DriveOfModel("INTEL SSDSC2BB120G4")),
            "10 GiB");  // 320 units of 32 MiB
  EXPECT_EQ(ReadableRaw(225, EntryWithRaw(225, 48), DriveOfModel("INTEL SSDSC2BB120G4")),
            "1.5 GiB");
  EXPECT_EQ(ReadableRaw(241, EntryWithRaw(241, 1500), DriveOfModel("KINGSTON SA400S37240G")),
            "1500 GiB");
  EXPECT_EQ(ReadableRaw(241, EntryWithRaw(241, 41943040), DriveOfModel("Samsung SSD 850 EVO 500GB")),
            "20 GiB");  // LBAs of 512 bytes
  EXPECT_EQ(ReadableRaw(241, EntryWithRaw(241, 41943040), DriveOfModel("WDC WD20EZRX")), "");
  EXPECT_EQ(ReadableRaw(225, EntryWithRaw(225, 48), DriveOfModel("WDC WD20EZRX")), "");
}

}  // namespace
}  // namespace torvel
