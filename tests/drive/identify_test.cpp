#include "drive/identify.h"

#include <gtest/gtest.h>

#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

struct IdentifyFixture : ::testing::Test {
  DriveTables tables;
  test::TraceCapture capture;
  void Parse(const Sector& s, int n = 0, std::uint8_t command = 0xEC) {
    ParseIdentify(tables, n, s, command, capture.trace);
  }
  const DriveRecord& rec(int n = 0) const { return tables.records[static_cast<std::size_t>(n)]; }
};

TEST(IdentifySectorCount, FortyEightBitCountOnlyWhenWord83SaysSo) {
  IdentifyBuilder b;
  b.Word(60, 0xFFFF).Word(61, 0x0FFF);  // 268435455 in the 28-bit words
  b.Word(100, 0x1234).Word(101, 0x5678).Word(102, 0x0001).Word(103, 0);
  EXPECT_EQ(IdentifySectorCount(b.sector()), 0x0FFFFFFFu);
  b.Word(83, 1u << 10);
  EXPECT_EQ(IdentifySectorCount(b.sector()), 0x000156781234u);

  IdentifyBuilder big;
  big.Word(83, 1u << 10).Word(103, 0x8000);
  EXPECT_EQ(IdentifySectorCount(big.sector()), 0x8000000000000000u);
}

TEST_F(IdentifyFixture, CapacityUsesTenToTheNinthAndIsTraced) {
  // 120,034,123,776 bytes = 234,441,648 sectors.
  Parse(IdentifyBuilder().Sectors(234441648, false).Model("M").sector(), 2);
  EXPECT_NEAR(rec(2).capacity, 120.03f, 0.005f);
  EXPECT_EQ(rec(2).driveNumber, 2);
  EXPECT_EQ(rec(2).deviceType, kDeviceAta);
  const auto lines = capture.Messages();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "Disk capacity: 120034123776 bytes = 120.03 Gb\n");
}

TEST_F(IdentifyFixture, ThreeTerabyteDriveNeedsTheFortyEightBitCount) {
  Parse(IdentifyBuilder().Sectors(5860533168ull, true).Model("M").sector());
  EXPECT_NEAR(rec().capacity, 3000.59f, 0.01f);
  EXPECT_EQ(capture.Messages()[0], "Disk capacity: 3000592982016 bytes = 3000.59 Gb\n");
}

TEST_F(IdentifyFixture, StringsAreByteSwappedAndTrimmedAsEachFieldWants) {
  Parse(IdentifyBuilder()
            .Model("  WDC WD800JB-00JJC0      ")
            .Serial("     WD-WMAM9AB12345")
            .Firmware("05.01C05")
            .sector());
  EXPECT_EQ(rec().model, "  WDC WD800JB-00JJC0");
  EXPECT_EQ(rec().serial, "WD-WMAM9AB12345");
  EXPECT_EQ(rec().firmware, "05.01C05");
  const auto lines = capture.Messages();
  ASSERT_EQ(lines.size(), 3u);
  // The trace shows the fields before trimming, padded to their full width.
  EXPECT_EQ(lines[1], "\tModel number: " + std::string("  WDC WD800JB-00JJC0") + std::string(20, ' ') + "\n");
  EXPECT_EQ(lines[2], "\tSerial number:      WD-WMAM9AB12345\n");
}

TEST_F(IdentifyFixture, StringsStopAtTheFirstNul) {
  IdentifyBuilder b;
  b.Model("ABCDEFGH");
  b.Word(29, 0x4500);  // "E" then NUL: bytes are swapped on the wire
  Parse(b.sector());
  EXPECT_EQ(rec().model, "ABCDE");
  EXPECT_EQ(IdentifyString(b.sector(), 27, 20), "ABCDE");
}

TEST_F(IdentifyFixture, UltraDmaModeFromWord88WhenWord53SaysItIsValid) {
  IdentifyBuilder b;
  b.Model("M").Word(53, 0x0007).Word(88, 0x203F);
  Parse(b.sector());
  EXPECT_EQ(rec().udmaMode, 5);

  b.Word(88, 0x407F);
  Parse(b.sector());
  EXPECT_EQ(rec().udmaMode, 6);

  b.Word(88, 0x003F);  // supported modes only, none selected: keep the last one
  Parse(b.sector());
  EXPECT_EQ(rec().udmaMode, 6);

  b.Word(53, 0x0003);
  Parse(b.sector());
  EXPECT_EQ(rec().udmaMode, kUdmaNotValid);
}

TEST_F(IdentifyFixture, PacketDeviceKeepsDriveNumberAndCapacity) {
  tables.records[1].driveNumber = 9;
  tables.records[1].capacity = 80.0f;
  tables.records[1].deviceType = kDeviceAta;
  IdentifyBuilder b;
  b.Word(0, 0x85C0).Model("HL-DT-ST DVDRAM GH22NS50").Serial("K1234").Firmware("TN03");
  Parse(b.sector(), 1, 0xA1);
  EXPECT_EQ(rec(1).deviceType, kDeviceNone);
  EXPECT_EQ(rec(1).driveNumber, 9);
  EXPECT_EQ(rec(1).capacity, 80.0f);
  EXPECT_EQ(rec(1).model, "HL-DT-ST DVDRAM GH22NS50");
  EXPECT_EQ(rec(1).serial, "K1234");
  EXPECT_EQ(capture.Messages()[0], "Drive 1 is an ATAPI device.\n");
}

TEST_F(IdentifyFixture, TheCopyKeepsTheDrivesByteOrder) {
  IdentifyBuilder b;
  b.Model("ST3500418AS").Word(255, 0xBEA5);
  Parse(b.sector(), 4);
  EXPECT_EQ(tables.identify[4], b.sector());
  EXPECT_EQ(tables.identify[4][54], 'T');  // "ST" is stored as 'T','S'
}

}  // namespace
}  // namespace torvel
