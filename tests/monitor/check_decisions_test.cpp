#include "monitor/check_decisions.h"

#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "drive/smart_data.h"
#include "monitor/baseline.h"

namespace torvel {
namespace {

struct Drive {
  DriveRecord rec;
  AttributeTable table;
  DriveCheckSettings settings;

  Drive() {
    rec.model = "WDC WD800JB";
    rec.serial = "WD-1";
    rec.smartEnabled = 1;
    rec.temperature = 40;
    settings.startupDate = 1;
    settings.criticalTemp = 50;
  }
  // An attribute in `slot` with its value, threshold and saved value; a
  // pre-failure one unless `flags` says otherwise.
  void Set(int slot, int id, int value, int threshold, int saved, int flags = 0x33) {
    table.attributes[static_cast<std::size_t>(slot)].id = static_cast<std::uint8_t>(id);
    table.attributes[static_cast<std::size_t>(slot)].flags[0] = static_cast<std::uint8_t>(flags);
    table.attributes[static_cast<std::size_t>(slot)].value = static_cast<std::uint8_t>(value);
    table.thresholds[static_cast<std::size_t>(slot)].threshold = static_cast<std::uint8_t>(threshold);
    settings.attributes[static_cast<std::size_t>(slot)].saved = saved;
  }
  DriveFindings Decide() const { return DecideDrive(rec, table, settings); }
};

TEST(DecideDrive, AbsentBaselineIsNoChangeAndEqualValuesAreNone) {
  Drive d;
  d.Set(0, 1, 100, 51, kNoBaseline);
  d.Set(1, 9, 99, 0, 99);
  const DriveFindings f = d.Decide();
  EXPECT_TRUE(f.checked);
  EXPECT_TRUE(f.changes.empty());
  EXPECT_TRUE(f.tecSlots.empty());
  EXPECT_FALSE(f.overTemperature);
}

TEST(DecideDrive, ChangesInSlotOrderAndAMovedTemperatureIsNotTestedAgainstItsThreshold) {
  Drive d;
  d.Set(0, 5, 90, 36, 100);
  d.Set(1, kTemperatureId, 30, 40, 35);  // at its threshold, but it moved
  d.Set(2, 7, 50, 60, 50);               // unchanged, below its threshold
  const DriveFindings f = d.Decide();
  ASSERT_EQ(f.changes.size(), 2u);
  EXPECT_EQ(f.changes[0].id, 5);
  EXPECT_TRUE(f.changes[0].notifies);
  EXPECT_TRUE(f.changes[0].logged);
  EXPECT_EQ(f.changes[1].id, kTemperatureId);
  EXPECT_TRUE(f.changes[1].isTemperature);
  EXPECT_FALSE(f.changes[1].notifies);
  EXPECT_EQ(f.tecSlots, std::vector<int>{2});
}

TEST(DecideDrive, CustomNotifyModesDecideWhetherAChangeAlerts) {
  AttributeCheckSettings a;
  a.useCustomThresholds = 1;
  a.customNotify = 1;
  EXPECT_TRUE(ChangeNotifies(a, 90));
  a.customNotify = 2;
  a.criticalValue = 80;
  EXPECT_FALSE(ChangeNotifies(a, 81));
  EXPECT_TRUE(ChangeNotifies(a, 80));
  a.customNotify = 3;
  EXPECT_FALSE(ChangeNotifies(a, 1));
  a.useCustomThresholds = 0;  // the mode only counts with custom settings
  EXPECT_TRUE(ChangeNotifies(a, 1));
}

TEST(DecideDrive, FirstSightIsNotedEvenWhenTheDriveIsNotChecked) {
  Drive d;
  d.settings.startupDate = 0;
  d.settings.enableSmartNotify = 0;
  d.Set(0, 5, 10, 36, 100);
  const DriveFindings f = d.Decide();
  EXPECT_TRUE(f.firstSight);
  EXPECT_FALSE(f.checked);
  EXPECT_TRUE(f.changes.empty());
  EXPECT_TRUE(f.tecSlots.empty());

  Drive off;
  off.rec.smartEnabled = 0;
  off.Set(0, 5, 10, 36, 100);
  EXPECT_FALSE(off.Decide().checked);
  Drive empty;
  empty.rec.model.clear();
  EXPECT_FALSE(empty.Decide().firstSight);
}

TEST(DecideDrive, TemperatureAtTheLimitAndTheDrivesOwnVerdict) {
  Drive d;
  d.rec.temperature = 50;
  d.rec.tec = 1;
  DriveFindings f = d.Decide();
  EXPECT_TRUE(f.overTemperature);
  EXPECT_TRUE(f.reportedTec);
  d.settings.enableTempNotify = 0;
  EXPECT_FALSE(d.Decide().overTemperature);
  d.settings.enableTempNotify = 1;
  d.rec.temperature = 0;  // not reported
  d.settings.criticalTemp = 0;
  EXPECT_FALSE(d.Decide().overTemperature);
}

TEST(ChooseAlert, TecBeforeTemperatureBeforeChangeAndTheAlertDrivesSwitch) {
  EXPECT_EQ(ChooseAlert(true, true, true, true), AlertKind::kTec);
  EXPECT_EQ(ChooseAlert(false, true, true, true), AlertKind::kTemperature);
  EXPECT_EQ(ChooseAlert(false, false, true, true), AlertKind::kChange);
  EXPECT_EQ(ChooseAlert(true, false, true, false), AlertKind::kNone);
  // A too-hot drive is alerted whatever the alert drive's S.M.A.R.T. switch says.
  EXPECT_EQ(ChooseAlert(true, true, false, false), AlertKind::kTemperature);
  EXPECT_EQ(ChooseAlert(false, false, false, true), AlertKind::kNone);
}

TEST(ReadDriveCheckSettings, CustomNotificationTakesTheDrivesKeysElseTheGlobalOnes) {
  MemorySettingsStore store;
  DriveRecord rec;
  rec.model = "M";
  rec.serial = "S1";
  rec.temperature = 41;
  AttributeTable table;
  table.attributes[3].id = 5;

  DriveCheckSettings s = ReadDriveCheckSettings(store, rec, table);
  EXPECT_EQ(s.criticalTemp, 51);  // a fresh store: the drive's temperature + 10
  EXPECT_EQ(s.attributes[3].saved, kNoBaseline);
  EXPECT_EQ(s.temperaturePopup, 1);

  store.WriteProfileInt("Options", "CriticalTemp", 45);
  store.WriteProfileInt("Options", "Popup", 0);
  store.WriteProfileInt("S1", "CriticalTemp", 60);
  store.WriteProfileInt("S1", "5-UseCustomThresholds", 1);
  store.WriteProfileInt("S1", "5-CustomNotify", 2);
  store.WriteProfileInt("S1", "5-CriticalValue", 70);
  store.WriteProfileInt("S1", BaselineKey(5), 0x100 + 97);
  s = ReadDriveCheckSettings(store, rec, table);
  EXPECT_EQ(s.criticalTemp, 45);
  EXPECT_EQ(s.temperaturePopup, 0);
  EXPECT_EQ(s.attributes[3].saved, 97);  // the low byte, as stored values are read
  EXPECT_EQ(s.attributes[3].customNotify, 2);
  EXPECT_EQ(s.attributes[3].criticalValue, 70);

  store.WriteProfileInt("S1", "UseCustomNotify", 1);
  s = ReadDriveCheckSettings(store, rec, table);
  EXPECT_EQ(s.criticalTemp, 60);
  EXPECT_EQ(s.temperaturePopup, 1);  // the drive's own Popup, never written, is 1
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

TEST(SectionsWithBaseline, SectionsHoldingASavedValueOnceEachGlobalOnesLeftOut) {
  MemorySettingsStore store;
  SetSavedValue(store, "S1", 5, 100);
  SetSavedValue(store, "S1", 9, 98);
  SetSavedValue(store, "Options", 5, 1);
  store.WriteProfileInt("S2", "StartupDate", 1);  // seen, never accepted
  store.WriteProfileInt("S3", "5-UseCustomThresholds", 1);
  store.WriteProfileInt("S4", "5-RawCount", 3);
  SetSavedValue(store, "Drive 2: M [S]", 194, 40);
  EXPECT_EQ(SectionsWithBaseline(store.Dump()),
            (std::vector<std::string>{"Drive 2: M [S]", "S1"}));
}

TEST(MissingSections, KnownButAbsentAndNotYetReported) {
  const std::vector<std::string> known{"S1", "S2", "S3"};
  EXPECT_EQ(MissingSections(known, {"s1", "S3"}, {}), std::vector<std::string>{"S2"})
      << "present sections compare as the store folds case";
  EXPECT_TRUE(MissingSections(known, {"S1"}, [](const std::string&) { return true; }).empty());
}

TEST(DecideDrive, SectorGrowthIsFoundAgainstTheStoredCountAndRecordedWithout) {
  Drive d;
  d.Set(0, 5, 100, 36, 100);
  d.Set(1, 197, 100, 0, 100, 0x12);
  d.table.attributes[0].raw[0] = 40;
  d.table.attributes[1].raw[0] = 8;
  d.settings.attributes[0].savedCount = 16;
  d.settings.changeMethods = {false, true, false};
  const DriveFindings f = d.Decide();
  ASSERT_EQ(f.growths.size(), 1u);
  EXPECT_EQ(f.growths[0].saved, 16u);
  EXPECT_EQ(f.growths[0].count, 40u);
  EXPECT_EQ(f.countsToRecord, (std::vector<std::pair<int, std::uint32_t>>{{197, 8}}));
  EXPECT_TRUE(f.ChangeFound());
  EXPECT_EQ(f.changeMethods, (AlertMethods{false, true, false})) << "the drive's change methods";
}

TEST(DecideDrive, ANotifyingChangeGoesOutTheWaysOfItsSettings) {
  Drive d;
  d.settings.changeMethods = {true, false, true};
  d.Set(0, 1, 90, 6, 100);
  d.Set(1, 7, 90, 30, 100);
  d.settings.attributes[1].useCustomThresholds = 1;
  d.settings.attributes[1].methods = {false, true, false};
  DriveFindings f = d.Decide();
  EXPECT_EQ(f.changes[0].methods, (AlertMethods{true, false, true}));
  EXPECT_EQ(f.changes[1].methods, (AlertMethods{false, true, false}));
  EXPECT_EQ(f.changeMethods, (AlertMethods{true, true, true}));
  d.settings.attributes[1].customNotify = 3;  // never
  f = d.Decide();
  EXPECT_EQ(f.changes[1].methods, AlertMethods{});
  EXPECT_EQ(f.changeMethods, (AlertMethods{true, false, true}));
}

}  // namespace
}  // namespace torvel

namespace torvel {
namespace {

TEST(MailDue, EveryTimeOncePerFindingOrOnceADay) {
  const std::uint32_t h = MailTextHash("Drive 0 is failing");
  EXPECT_NE(h, MailTextHash("Drive 1 is failing"));
  EXPECT_NE(MailTextHash(""), 0u) << "0 means nothing was mailed";
  const std::int64_t day = 24 * 60 * 60;
  EXPECT_TRUE(MailDue(0, h, h, 100, 99));
  EXPECT_FALSE(MailDue(1, h, h, 100 + 10 * day, 100)) << "once until it clears";
  EXPECT_TRUE(MailDue(1, h, h + 1, 101, 100)) << "another finding";
  EXPECT_FALSE(MailDue(2, h, h, 100 + day - 1, 100));
  EXPECT_TRUE(MailDue(2, h, h, 100 + day, 100));
  EXPECT_TRUE(MailDue(2, h, h, 50, 100)) << "a clock set back does not silence it for ever";
}

}  // namespace
}  // namespace torvel
