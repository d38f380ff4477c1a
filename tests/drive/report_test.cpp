#include "drive/report.h"

#include <gtest/gtest.h>

#include "base/version.h"
#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "drive/smart_data.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

const std::string kRule = std::string(92, '-');

DriveTables OneDrive(int temperature) {
  DriveTables t;
  DriveRecord& r = t.records[0];
  r.model = "ST3500418AS";
  r.serial = "5VM1ABCD";
  r.firmware = "CC38";
  r.capacity = 500.107862f;
  r.deviceType = kDeviceAta;
  r.temperature = temperature;
  SmartSectorBuilder d, th;
  d.Attribute(0, 9, 0x32, 98, 98, 10000).Attribute(2, 194, 0x22, 45, 52, 0x00320014002Dull);
  d.Attribute(5, 200, 0x0A, 253, 252, 0xFFFFFFFFFFFFull);
  th.Threshold(0, 9, 0).Threshold(2, 194, 0).Threshold(5, 200, 51);
  StoreSmartData(t, 0, d.sector(), th.sector());
  t.records[0].temperature = temperature;
  return t;
}

TEST(BuildReport, WholeReportOfAnAtaDrive) {
  const std::string report = BuildReport(OneDrive(45), 0, test::FixedTime());
  const std::string expected =
      "S.M.A.R.T. status\r\n"
      "Date: 05 March 2007 09:04:02\r\n"
      "\r\n"
      "Drive model: ST3500418AS\r\n"
      "Serial number: 5VM1ABCD\r\n"
      "Capacity: 500.1 GB\r\n"
      "Firmware Revision: CC38\r\n"
      "Drive interface: IDE\r\n"
      "Drive temperature: 45 \xB0" "C\r\n"
      "\r\n" +
      kRule + "\r\n" +
      "         Attribute Name                       Threshold     Value       Worst     Raw value  Readable\r\n" +
      kRule + "\r\n" +
      "9   (09) Power-on Hours Count                    0           98          98           10000  [10000 h]\r\n"
      "194 (C2) Temperature                             0           45          52    214749675565  [45 \xB0" "C]\r\n"
      "200 (C8) Write Error Count                       51          253         252   281474976710655\r\n" +
      kRule;
  EXPECT_EQ(report, expected);
}

TEST(BuildReport, AttributeLineColumnsHaveTheirWidths) {
  const std::string report = BuildReport(OneDrive(45), 0, test::FixedTime());
  const std::size_t at = report.find("9   (09) ");
  ASSERT_NE(at, std::string::npos);
  const std::string line = report.substr(at, report.find("\r\n", at) - at);
  EXPECT_EQ(line.substr(9, 40), "Power-on Hours Count" + std::string(20, ' '));
  EXPECT_EQ(line.substr(49, 12), "0           ");
  EXPECT_EQ(line.substr(61, 12), "98          ");
  EXPECT_EQ(line.substr(73, 6), "98    ");
  EXPECT_EQ(line.substr(79, 12), "       10000");
  EXPECT_EQ(line.substr(91), "  [10000 h]");
}

TEST(BuildReport, AnSsdRowShowsItsFamilysNameAndNoReadableValueWithoutUnit) {
  DriveTables t = OneDrive(45);
  t.records[0].model = "KINGSTON SA400S37240G";
  SmartSectorBuilder d, th;
  d.Attribute(0, 231, 0x13, 100, 100, 97).Attribute(1, 5, 0x33, 100, 100, 2);
  th.Threshold(0, 231, 0).Threshold(1, 5, 10);
  StoreSmartData(t, 0, d.sector(), th.sector());
  const std::string report = BuildReport(t, 0, test::FixedTime());
  EXPECT_NE(report.find("231 (E7) SSD Life Left                           0           100         100             97\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("5   (05) Reallocated Sector Count                10          100         100              2  [2 sectors]\r\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(report.find("231 (E7) Temperature"), std::string::npos) << report;
}

TEST(BuildReport, NoTemperatureLineWhenTheDriveReportsNone) {
  const std::string report = BuildReport(OneDrive(0), 0, test::FixedTime());
  EXPECT_EQ(report.find("Drive temperature"), std::string::npos);
  EXPECT_NE(report.find("Drive interface: IDE\r\n\r\n" + kRule), std::string::npos);
}

TEST(BuildReport, PacketDeviceGetsTitleIdentityAndTheEndRuleOnly) {
  DriveTables t = OneDrive(45);
  t.records[0].deviceType = kDeviceNone;
  t.records[0].capacity = 0;
  const std::string report = BuildReport(t, 0, test::FixedTime());
  EXPECT_EQ(report,
            "S.M.A.R.T. status\r\nDate: 05 March 2007 09:04:02\r\n\r\n"
            "Drive model: ST3500418AS\r\nSerial number: 5VM1ABCD\r\nCapacity: 0.0 GB\r\n"
            "Firmware Revision: CC38\r\n" +
                kRule);
}

TEST(BuildReport, MonthNamesAreEnglishWhateverTheMonth) {
  std::tm t = test::FixedTime();
  const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
  for (int m = 0; m < 12; ++m) {
    t.tm_mon = m;
    EXPECT_NE(BuildReport(OneDrive(0), 0, t).find(std::string("Date: 05 ") + months[m] + " 2007"),
              std::string::npos);
  }
}

TEST(ReportBanner, FourLinesAndTheDefaultFileName) {
  const std::string banner = ReportBanner();
  const std::string rule(60, '=');
  EXPECT_EQ(banner, rule + "\r\nThis report created by Torvel (" + kProductWebAddress + ")\r\n" +
                        rule + "\r\n\r\n");
  EXPECT_EQ(DefaultReportFileName(OneDrive(0), 0), "ST3500418AS (SN 5VM1ABCD) - REPORT.txt");
}

}  // namespace
}  // namespace torvel
