#include "torvelctl/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "base/version.h"
#include "config/settings_store.h"
#include "drive/report.h"
#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "platform/system_info.h"
#include "ui/logic/disk_info.h"
#include "support/recording_backend.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

using test::RecordingBackend;

std::size_t IdentifyRowCountForCtlTest(SectorView identify) { return IdentifyRows(identify).size(); }
using test::ScriptedDrive;

struct CtlFixture : ::testing::Test {
  RecordingBackend backend;
  FixedSystemInfo system{{kPlatformNT, 6, 1, 0, "Linux 6.1.0"}, {8664, 2}};
  test::TraceCapture capture;
  StringOut out, err;
  MemorySettingsStore store;

  CtlFixture() {
    ScriptedDrive d;
    d.identify = IdentifyBuilder()
                     .Model("ST3500418AS")
                     .Serial("5VM1ABCD")
                     .Firmware("CC38")
                     .Sectors(976773168, true)
                     .UltraDma(6, 6)
                     .sector();
    d.data = SmartSectorBuilder().Attribute(0, 194, 0x22, 45, 52, 45).sector();
    d.thresholds = SmartSectorBuilder().Threshold(0, 194, 0).sector();
    backend.drives[1] = d;
  }

  int Run(std::vector<std::string> args, bool terminal = false) {
    CtlContext ctx{backend, system, capture.trace, test::FixedTime, terminal, false,
                   [this]() -> SettingsStore& { return store; }};
    return RunTorvelctl(args, ctx, out, err);
  }
};

TEST_F(CtlFixture, DrivesListsEveryRecordInUse) {
  EXPECT_EQ(Run({"drives"}), kExitOk);
  EXPECT_EQ(out.str(),
            "Drive 1: ATA disk\n"
            "  Device          /dev/sdb\n"
            "  Transport       SATA\n"
            "  Model           ST3500418AS\n"
            "  Serial number   5VM1ABCD\n"
            "  Firmware        CC38\n"
            "  Capacity        500.11 GB\n"
            "  Ultra DMA mode  6\n"
            "  S.M.A.R.T.      supported, enabled\n"
            "  T.E.C.          no\n"
            "  Temperature     45 \xC2\xB0" "C\n");
  // The refresh starts the trace anew with the system summary.
  const auto lines = capture.Messages();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Log file <debug.log> could not be opened\n");
  EXPECT_EQ(lines[1], "== Torvel 2, 4, 1, 334\n");
  EXPECT_EQ(lines[3], "== WinNT Version 6.01 (build 0) Linux 6.1.0\n");
  EXPECT_EQ(lines[4], "== Chipset 8664, 2 Processor(s)\n");
  EXPECT_EQ(lines[5], "Physical drive 1 opened successfully\n");
}

TEST_F(CtlFixture, NoDriveIsItsOwnExitCodeWithAHint) {
  backend.drives[1].reset();
  EXPECT_EQ(Run({"drives"}), kExitNoDrive);
  EXPECT_EQ(out.str(), "No drive found.\n");
  EXPECT_EQ(err.str().rfind("torvelctl: no ATA disk answered", 0), 0u) << err.str();
}

TEST(NoDriveAdvice, FitsWhoRunsItAndWhatTheMachineHas) {
  EXPECT_NE(NoDriveAdvice({false, false, 0}).find("CAP_SYS_RAWIO"), std::string::npos);
  const std::string root = NoDriveAdvice({false, true, 0});
  EXPECT_EQ(root.find("run as root"), std::string::npos) << root;
  EXPECT_NE(root.find("although running as root"), std::string::npos);
  // NVMe drives are read too: what they lack is the right to their health log.
  const std::string nvme = NoDriveAdvice({false, false, 2});
  EXPECT_NE(nvme.find("2 NVMe drives need CAP_SYS_ADMIN"), std::string::npos) << nvme;
  EXPECT_NE(NoDriveAdvice({false, false, 1}).find("NVMe drive needs"), std::string::npos);
  EXPECT_EQ(NoDriveAdvice({false, true, 2}), root);
  EXPECT_NE(NoDriveAdvice({true, true, 3}).find("TORVEL_DRIVES"), std::string::npos);
}

TEST_F(CtlFixture, ReportIsUtf8OnStandardOutputAndTheDesignedBytesInAFile) {
  for (const bool terminal : {false, true}) {
    out.str("");
    EXPECT_EQ(Run({"report", "1"}, terminal), kExitOk);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("S.M.A.R.T. status\nDate: 05 March 2007 09:04:02\n", 0), 0u) << text;
    EXPECT_NE(text.find("Drive temperature: 45 \xC2\xB0" "C\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
  }
  const std::string utf8 = out.str();
  out.str("");
  EXPECT_EQ(Run({"report", "--utf8", "1"}), kExitOk);
  EXPECT_EQ(out.str(), utf8);

  const std::string file = ::testing::TempDir() + "ctl-report-bytes.txt";
  out.str("");
  ASSERT_EQ(Run({"report", "1", "-o", file}), kExitOk);
  EXPECT_TRUE(out.str().empty());
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes.rfind(ReportBanner() + "S.M.A.R.T. status\r\nDate: 05 March 2007 09:04:02\r\n", 0), 0u);
  EXPECT_NE(bytes.find("Drive temperature: 45 \xB0" "C\r\n"), std::string::npos);
  std::remove(file.c_str());

  EXPECT_EQ(Run({"report", "1", "-o", "/nonexistent/folder/r.txt"}), kExitFailed);
  EXPECT_NE(err.str().find("cannot create /nonexistent/folder/r.txt"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"report", "1", "--json", "-o", file}), kExitUsage);
  EXPECT_EQ(Run({"report", "1", "--frob"}), kExitUsage);
}

TEST_F(CtlFixture, BadDriveNumbersAreOneLineErrors) {
  for (const char* bad : {"", "-1", "24", "abc", "1x", "99999999999"}) {
    err.str("");
    EXPECT_EQ(Run({"report", bad}), kExitUsage) << bad;
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
  }
  err.str("");
  EXPECT_EQ(Run({"report", "0"}), kExitNoDrive);
  EXPECT_EQ(err.str(), "torvelctl: no drive 0 (see 'torvelctl drives')\n");
  EXPECT_EQ(Run({"report"}), kExitUsage);
  EXPECT_EQ(Run({"report", "1", "2"}), kExitUsage);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(CtlFixture, IdentifyPrintsThePagesRowsAsUtf8Lines) {
  EXPECT_EQ(Run({"identify", "1"}), kExitOk);
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("Number of LBA sectors: 976773168\n", 0), 0u) << text;
  EXPECT_NE(text.find("\nCurrent Ultra DMA mode: Mode 6\n"), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  // One line for each of the page's rows, in the page's order.
  EXPECT_EQ(text, FormatIdentifyRows(backend.drives[1]->identify));
  EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
            IdentifyRowCountForCtlTest(backend.drives[1]->identify));
}

TEST(FormatIdentifyRows, Windows1252TextsTurnUtf8AndLabelsLoseTrailingBlanks) {
  IdentifyBuilder b;
  b.Word(83, 0x0200).Word(86, 0x0200).Word(94, 0x8080);
  const std::string text = FormatIdentifyRows(b.sector());
  EXPECT_NE(text.find("\nVendor\xE2\x80\x99s recommended acoustic management value: 128\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find(" :"), std::string::npos) << text;
}

TEST_F(CtlFixture, IdentifyTakesOneDriveNumber) {
  EXPECT_EQ(Run({"identify"}), kExitUsage);
  EXPECT_EQ(Run({"identify", "1", "2"}), kExitUsage);
  EXPECT_EQ(Run({"identify", "x"}), kExitUsage);
  EXPECT_EQ(Run({"identify", "24"}), kExitUsage);
  err.str("");
  EXPECT_EQ(Run({"identify", "0"}), kExitNoDrive);
  EXPECT_EQ(err.str(), "torvelctl: no drive 0 (see 'torvelctl drives')\n");
  EXPECT_TRUE(out.str().empty());
}

TEST_F(CtlFixture, SettingsAndTextsReachTheStore) {
  EXPECT_EQ(Run({"settings", "set", "Options", "PollEvery", "int", "3"}), kExitOk);
  EXPECT_EQ(store.GetProfileInt("options", "pollevery", 0), 3);
  out.str("");
  EXPECT_EQ(Run({"texts", "DiskInfoTab"}), kExitOk);
  EXPECT_NE(out.str().find("2\tModel \n"), std::string::npos);
}

TEST_F(CtlFixture, UsageAndUnknownCommands) {
  EXPECT_EQ(Run({}), kExitUsage);
  EXPECT_NE(err.str().find("usage: torvelctl drives"), std::string::npos);
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_NE(out.str().find("TORVEL_DRIVES"), std::string::npos);
  err.str("");
  EXPECT_EQ(Run({"frobnicate"}), kExitUsage);
  EXPECT_EQ(err.str().rfind("torvelctl: unknown command 'frobnicate'", 0), 0u);
  EXPECT_EQ(Run({"drives", "extra"}), kExitUsage);
  EXPECT_EQ(Run({"drives", "--frob"}), kExitUsage);

  // Help and version start nothing: no drive is read, no trace begun.
  out.str("");
  backend.openedNames.clear();
  for (const char* help : {"-h", "help"}) EXPECT_EQ(Run({help}), kExitOk);
  EXPECT_EQ(Run({"report", "--help"}), kExitOk);
  EXPECT_EQ(Run({"--version"}), kExitOk);
  EXPECT_NE(out.str().find("\ntorvelctl " + std::string(kVersionText) + "\n"), std::string::npos);
  EXPECT_TRUE(backend.openedNames.empty());
}

}  // namespace
}  // namespace torvel
