#include "monitor/alert_texts.h"

#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "base/debug_trace.h"

namespace torvel {
namespace {

struct DriveStatus : ::testing::Test {
  void SetUp() override {
    MemorySettingsStore store;
    TraceLog off = TraceLog::Off();
    LoadSectionTexts("Messages", state.messages, store, off);
    rec.deviceType = kDeviceAta;
    rec.smartSupported = 1;
    rec.temperature = 41;
  }
  void Changes(std::initializer_list<int> ids) {
    for (int id : ids) state.changes[0].push_back({{}, 100, 99, id});
  }
  std::string Compact() { return ComposeDriveStatus(state, rec, 1); }
  std::string Long() { return ComposeDriveStatus(state, rec, 0); }
  MonitorState state;
  DriveRecord rec;
};

TEST_F(DriveStatus, HealthyDriveWithoutChanges) {
  EXPECT_EQ(Compact(), "SMART OK. ");
  EXPECT_EQ(Long(), " No attribute changes were detected. SMART reported good status.");
}

TEST_F(DriveStatus, OneChange) {
  Changes({194});
  EXPECT_EQ(Compact(), " Temperature changed [41 \xB0" "C] SMART OK. ");
  EXPECT_EQ(Long(), " Drive temperature changed. SMART reported good status.");
  state.changes[0].clear();
  Changes({5});
  EXPECT_EQ(Compact(), " 1 SMART attribute changed. SMART OK. ");
  EXPECT_EQ(Long(), " 1 SMART attribute changed. SMART reported good status.");
}

TEST_F(DriveStatus, SeveralChangesWithAndWithoutTemperature) {
  Changes({1, 194});
  EXPECT_EQ(Compact(), " 1 SMART attribute changed. Temperature changed. SMART OK. Temp.: 41 \xB0" "C");
  Changes({5});
  EXPECT_EQ(Compact(), " 2 attributes changed. Temperature changed. SMART OK. Temp.: 41 \xB0" "C");
  EXPECT_EQ(Long(), " 2 attributes changed. Drive temperature changed. SMART reported good status.");
  state.changes[0].clear();
  Changes({1, 5});
  rec.temperature = 0;
  EXPECT_EQ(Compact(), " 2 attribute changes detected. SMART OK. ") << "no temperature part at 0";
}

TEST_F(DriveStatus, CriticalUnsupportedAndForeignDrives) {
  Changes({1, 5, 194});
  rec.tec = 1;
  EXPECT_EQ(Compact(), "SMART reported CRITICAL DRIVE CONDITION! A failure may be imminent!");
  EXPECT_EQ(Long(), " SMART reported CRITICAL DRIVE CONDITION! A failure may be imminent!");
  rec.smartSupported = 0;
  EXPECT_EQ(Long(), "This hard drive does not support SMART");
  rec.smartSupported = 1;
  rec.deviceType = kDeviceNone;
  // The parts join without a separator.
  EXPECT_EQ(Compact(), "Torvel does not support this driveTemp.: 41 \xB0" "C");
  EXPECT_EQ(Long(), "Torvel does not support this drive");
}

TEST_F(DriveStatus, BadAttributesUseOnlyASafeTranslatedFormat) {
  rec.badAttributes = 2;
  EXPECT_EQ(Compact(), "Found 2 bad attr. SMART OK. ");
  EXPECT_EQ(Long(), " No attribute changes were detected. Found 2 bad attribute(s). SMART OK. ");
  state.messages.slots[34] = "%s kaputt";
  EXPECT_EQ(Compact(), "Found 2 bad attr. SMART OK. ");
  state.messages.slots[34] = "%d defekt";
  EXPECT_EQ(Compact(), "2 defekt. SMART OK. ");
}

}  // namespace
}  // namespace torvel
