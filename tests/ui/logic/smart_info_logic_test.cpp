#include "ui/logic/smart_info_logic.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/settings_store.h"
#include "drive/drive_tables.h"
#include "base/time_format.h"

namespace torvel {
namespace {

constexpr const char* kSerial = "SN-7";
constexpr std::int64_t kNow = 1'800'000'000;  // January 2027

class AttributePageTest : public ::testing::Test {
 protected:
  AttributePageTest() {
    DriveRecord& r = tables.records[2];
    r.model = "ST3500418AS";
    r.serial = kSerial;
    r.deviceType = kDeviceAta;
    r.smartSupported = 1;
    r.temperature = 41;
  }
  void Put(int slot, int id, int threshold, int value, int worst = 0) {
    AttributeTable& t = tables.attributes[2];
    t.attributes[static_cast<std::size_t>(slot)].id = static_cast<std::uint8_t>(id);
    t.attributes[static_cast<std::size_t>(slot)].value = static_cast<std::uint8_t>(value);
    t.attributes[static_cast<std::size_t>(slot)].worst = static_cast<std::uint8_t>(worst);
    t.thresholds[static_cast<std::size_t>(slot)].id = static_cast<std::uint8_t>(id);
    t.thresholds[static_cast<std::size_t>(slot)].threshold = static_cast<std::uint8_t>(threshold);
  }
  void Set(const std::string& key, int value) { store.WriteProfileInt(kSerial, key, value); }
  int Get(const std::string& key) { return store.GetProfileInt(kSerial, key, -99); }

  DriveTables tables;
  MemorySettingsStore store;
};

TEST_F(AttributePageTest, RowsFollowTheSlotsInUseKeyedByTheirOwnAttribute) {
  Put(0, 1, 51, 200, 199);
  Put(2, 5, 140, 100, 100);  // slot 1 is empty
  Set("5-Reallocated Sector Count", 0x165);  // only the low byte counts
  Set("5", 0);
  Set("5-UseCustomThresholds", 1);
  const AttributePage page = BuildAttributePage(tables, 2, store, kNow);
  ASSERT_EQ(page.rows.size(), 2u);
  const AttributeRow& r = page.rows[1];
  EXPECT_EQ(r.slot, 2);
  EXPECT_EQ(r.state.id, 5);
  EXPECT_EQ(r.texts[0], "05");
  EXPECT_EQ(r.texts[1], "Reallocated Sector Count (0 sectors)");
  EXPECT_EQ(r.texts[3], "140");
  EXPECT_EQ(r.texts[4], "100");
  EXPECT_EQ(r.texts[6], "101");
  EXPECT_EQ(r.state.lastSaved, 0x65);
  EXPECT_FALSE(r.state.monitored);
  EXPECT_TRUE(r.state.customThresholds);
  EXPECT_EQ(page.rows[0].texts[5], "199");
  EXPECT_EQ(SlotOfAttribute(tables, 2, 5), 2);
  EXPECT_EQ(SlotOfAttribute(tables, 2, 9), -1);

  tables.records[2].smartSupported = 0;
  EXPECT_TRUE(BuildAttributePage(tables, 2, store, kNow).rows.empty());
}

TEST_F(AttributePageTest, NameColumnShowsTheDrivesOwnNameAndTheReadableRaw) {
  Put(0, 9, 0, 98, 98);
  tables.attributes[2].attributes[0].raw[0] = 0x5A;  // 9818 = 0x265A hours
  tables.attributes[2].attributes[0].raw[1] = 0x26;
  tables.attributes[2].attributes[0].raw[4] = 0x11;  // above the low 32 bits
  Put(1, 231, 0, 97, 97);
  Put(2, 1, 51, 200, 199);
  auto names = [this] {
    std::vector<std::string> out;
    for (const AttributeRow& row : BuildAttributePage(tables, 2, store, kNow).rows)
      out.push_back(row.texts[1]);
    return out;
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"Power-on Hours Count (9818 h)", "Temperature",
                                               "Raw Read Error Rate"}));
  tables.records[2].model = "KINGSTON SA400S37240G";
  EXPECT_EQ(names(), (std::vector<std::string>{"Power-on Hours Count (9818 h)", "SSD Life Left",
                                               "Raw Read Error Rate"}));
  // The settings keys keep the fixed name whatever the page shows.
  Set("231-Temperature", 90);
  EXPECT_EQ(BuildAttributePage(tables, 2, store, kNow).rows[1].texts[6], "90");
}

TEST_F(AttributePageTest, WithoutABaselineNothingShowsAsChanged) {
  Put(0, 1, 51, 200, 199);
  const AttributePage page = BuildAttributePage(tables, 2, store, kNow);
  ASSERT_EQ(page.rows.size(), 1u);
  const AttributeRowState& s = page.rows[0].state;
  EXPECT_EQ(s.lastSaved, 200);
  EXPECT_FALSE(s.baseline);
  EXPECT_EQ(page.rows[0].texts[6], "") << "no saved value to show";
  const AttributeStatusLook look = AttributeStatusCell(s, false);
  EXPECT_FALSE(look.showsChange);
  EXPECT_EQ(look.text, "OK");
  EXPECT_EQ(CellTextColour(s, 4, false), std::nullopt) << "neither better nor worse";
}

TEST_F(AttributePageTest, PastTecDatesAreClearedAndTheEarliestFutureOneIsNearest) {
  Put(0, 1, 51, 200);
  Put(1, 3, 21, 178);
  Put(2, 5, 140, 150);
  Put(3, 7, 30, 80);
  Set("1-TECdate", static_cast<int>(kNow - 1));
  // Both far past 2020: a nearest date that starts at 2020 would hide them.
  Set("3-TECdate", static_cast<int>(kNow + 400 * 86400));
  Set("5-TECdate", static_cast<int>(kNow + 90 * 86400));
  const AttributePage page = BuildAttributePage(tables, 2, store, kNow);
  EXPECT_EQ(page.rows[0].texts[2], "");
  EXPECT_EQ(Get("1-TECdate"), 0);
  EXPECT_EQ(page.rows[1].texts[2], FormatTecMonth(LocalTime(kNow + 400 * 86400)));
  EXPECT_EQ(page.rows[2].texts[2], FormatTecMonth(LocalTime(kNow + 90 * 86400)));
  EXPECT_EQ(page.rows[3].texts[2], "");
  EXPECT_EQ(Get("7-TECdate"), -99);  // never written when there was none
  ASSERT_TRUE(page.nearestTec.has_value());
  EXPECT_EQ(*page.nearestTec, kNow + 90 * 86400);
  EXPECT_EQ(NearestTecText("Nearest T.E.C. date:", page.nearestTec),
            "Nearest T.E.C. date: " + FormatNearestTecDate(LocalTime(kNow + 90 * 86400)));

  Set("3-TECdate", 0);
  Set("5-TECdate", 0);
  const AttributePage none = BuildAttributePage(tables, 2, store, kNow);
  EXPECT_FALSE(none.nearestTec.has_value());
  EXPECT_EQ(NearestTecText("Nearest T.E.C. date:", none.nearestTec), "");
}

TEST_F(AttributePageTest, RowSummaries) {
  Put(0, 5, 140, 150);
  Put(1, kTemperatureAttribute, 0, 41);
  EXPECT_EQ(RowSummary(tables, 2, 5, store), "Global notification settings used\r\n[Click to edit]");

  Set("5-UseCustomThresholds", 1);
  Set("5-CustomNotify", 2);
  EXPECT_EQ(RowSummary(tables, 2, 5, store),
            "Custom notification settings:\r\n  Notify when current value <= 150\r\n"
            "Notification method:\r\n\267 Popup message\r\n[Click to edit]");
  Set("5-CriticalValue", 145);
  Set("5-Popup", 0);
  Set("5-NetSend", 1);
  EXPECT_EQ(RowSummary(tables, 2, 5, store),
            "Custom notification settings:\r\n  Notify when current value <= 145\r\n"
            "Notification method:\r\n\267 Network message\r\n[Click to edit]");
  Set("5-NetSend", 0);
  Set("5-CustomNotify", 1);
  EXPECT_EQ(RowSummary(tables, 2, 5, store),
            "Custom notification settings:\r\n  Notify whenever current value changes\r\n"
            "Notification method:\r\n\267 Notification disabled\r\n[Click to edit]");
  Set("5-CustomNotify", 3);
  EXPECT_EQ(RowSummary(tables, 2, 5, store),
            "Custom notification settings:\r\n  Never notify user\r\n[Click to edit]");

  Set("194-UseCustomThresholds", 1);
  Set("194-CustomNotify", 2);
  Set("194-Email", 1);
  EXPECT_EQ(RowSummary(tables, 2, kTemperatureAttribute, store),
            "Custom notification settings:\r\n  Notify when drive temperature = 41 \260C\r\n"
            "Notification method:\r\n\267 Popup message\r\n\267 E-mail message\r\n[Click to edit]");
}

TEST_F(AttributePageTest, CellsSortByNumberAndDateNotByText) {
  Put(0, 0xC2, 0, 41, 30);
  Put(1, 9, 0, 98, 98);
  Put(2, 0x0A, 51, 117, 100);
  Put(3, 1, 6, 9, 9);
  // "Feb 2028" comes before "Mar 2027" as text, after it as a date.
  Set("9-TECdate", static_cast<int>(kNow + 400 * 86400));
  Set("194-TECdate", static_cast<int>(kNow + 60 * 86400));
  const AttributePage page = BuildAttributePage(tables, 2, store, kNow);
  ASSERT_EQ(page.rows.size(), 4u);
  auto order = [&](int column) {
    std::vector<int> ids;
    for (const AttributeRow& r : page.rows) ids.push_back(r.state.id);
    std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) {
      auto row = [&](int id) {
        return *std::find_if(page.rows.begin(), page.rows.end(),
                             [id](const AttributeRow& r) { return r.state.id == id; });
      };
      return AttributeSortKey(row(a), column) < AttributeSortKey(row(b), column);
    });
    return ids;
  };
  EXPECT_EQ(order(0), (std::vector<int>{1, 9, 0x0A, 0xC2}));
  EXPECT_EQ(order(2), (std::vector<int>{0xC2, 9, 0x0A, 1}));  // no date: last
  EXPECT_EQ(order(3), (std::vector<int>{0xC2, 9, 1, 0x0A}));  // 0, 0, 6, 51
  EXPECT_EQ(order(4), (std::vector<int>{1, 0xC2, 9, 0x0A}));  // 9 before 41, 98 and 117
  EXPECT_EQ(order(5), (std::vector<int>{1, 0xC2, 9, 0x0A}));
  EXPECT_EQ(AttributeCellText(page.rows[0], 7), "OK");
  EXPECT_EQ(AttributeCellText(page.rows[2], 4), "117");
}

TEST(AttributeColumns, NameColumnTakesWhatIsLeft) {
  for (int dpi : {96, 120}) {
    const auto w = AttributeColumnWidths(460, dpi);
    int sum = 0;
    for (int x : w) sum += x;
    EXPECT_EQ(sum, 460 - 2) << dpi;
    EXPECT_EQ(w[6], 0);
  }
  EXPECT_EQ(AttributeColumnWidths(460, 120)[3], 72);
  EXPECT_EQ(AttributeColumnWidths(460, 96)[3], 62);
}

}  // namespace
}  // namespace torvel
