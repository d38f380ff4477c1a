#include "ui/logic/disk_info.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/language.h"
#include "drive/drive_tables.h"
#include "drive/nvme.h"
#include "drive/sector_builder.h"
#include "ui/logic/manufacturer.h"
#include "ui/logic/volumes.h"

namespace torvel {
namespace {

using Labels = std::vector<std::string>;

Labels LabelsOf(const std::vector<InfoRow>& rows) {
  Labels labels;
  for (const InfoRow& r : rows) labels.push_back(r.label);
  return labels;
}

// The value of the only row with that label; nothing when there is none.
std::optional<std::string> ValueOf(const std::vector<InfoRow>& rows, const std::string& label) {
  std::optional<std::string> found;
  for (const InfoRow& r : rows) {
    if (r.label != label) continue;
    EXPECT_FALSE(found.has_value()) << "two rows labelled " << label;
    found = r.value;
  }
  return found;
}

std::vector<InfoRow> Decode(const IdentifyBuilder& b) { return IdentifyRows(b.sector()); }

// Slot k holds "<k>", so a row shows which key labelled it.
TextTable NumberedTexts() {
  TextTable t("DiskInfoTab");
  for (std::size_t k = 1; k < t.slots.size(); ++k) t.slots[k] = "<" + std::to_string(k) + ">";
  return t;
}

TEST(Manufacturer, FirstEntryTheModelBeginsWithInAnyCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"ST3160023A", "Seagate Technology"},   {"SEAGATE ST1", "Seagate Technology"},
      {"WDC WD800JB", "Western Digital"},     {"FUJITSU MHT2040AT", "Fujitsu Corporation"},
      {"MAXTOR 6L080J4", "Maxtor Corporation"}, {"QUANTUM FIREBALL", "Quantum"},
      {"SAMSUNG SP0802N", "Samsung Electronics"}, {"IBM-DTLA-307030", "IBM Corporation"},
      {"IC35L060AVV207-0", "IBM Corporation"}, {"HITACHI_DK23EA", "Hitachi Corporation"},
      {"HTS541010G9AT00", "Hitachi Corporation"},
      {"Maxtor 6Y080L0", "Maxtor Corporation"}, {"Hitachi HDS721010", "Hitachi Corporation"},
      {"st3160023A", "Seagate Technology"}, {"HDS723030ALA640", "Hitachi Corporation"},
      {"HGST HUS726040ALE610", "HGST"}, {"HUA722020ALA330", "Hitachi Corporation"},
      {"TOSHIBA MK4032GAX", "Toshiba Corporation"}, {"TOSHIBA HDWD110", "Toshiba Corporation"},
      {"ST2000DM008-2FR102", "Seagate Technology"}, {"WDC WD40EFRX-68N32N0", "Western Digital"},
      {"Samsung SSD 870 EVO 1TB", "Samsung Electronics"},
      {"SanDisk SDSSDA240G", "SanDisk"},  // not Samsung's "SA"
      {"INTEL SSDSC2BB120G4", "Intel Corporation"}, {"KINGSTON SA400S37240G", "Kingston Technology"},
      {"CT500MX500SSD1", "Crucial (Micron)"}, {"Crucial_CT256MX100SSD1", "Crucial (Micron)"},
      {"Micron_1100_MTFDDAK256TBN", "Micron Technology"}, {"MTFDDAK256TBN", "Micron Technology"},
      {"Corsair Force LE200 SSD", "Corsair"}, {"PLEXTOR PX-256M5S", "Plextor"},
      {"ADATA SU800", "ADATA Technology"}, {"TS256GSSD370S", "Transcend Information"},
      {"KIOXIA EXCERIA SATA SSD", "KIOXIA"}, {"Biwin SSD", "Biwin Storage"},
      {"HT", ""},  // "HTS" needs all three
      {"S", ""}, {"", ""}, {"Apple SSD SM0256G", ""},
      {"  WDC WD800JB", ""},  // the record keeps the drive's leading blanks
  };
  for (const auto& [model, maker] : cases) EXPECT_EQ(ManufacturerFromModel(model), maker) << model;
}

TEST(DiskInfoIdentity, CapacityTakesTheMegabyteFormUpToOneGigabyte) {
  EXPECT_EQ(CapacityText(0.5f), "500 MB");
  EXPECT_EQ(CapacityText(1.0f), "1000 MB");
  EXPECT_EQ(CapacityText(0.0f), "0 MB");
  EXPECT_EQ(CapacityText(1.5f), "1.500 GB");
  EXPECT_EQ(CapacityText(120.034f), "120.034 GB");
}

TEST(DiskInfoIdentity, RowsInPageOrderLabelledByTheirKeys) {
  DriveRecord r;
  r.model = "ST3160023A";
  r.serial = "5JS1ABCD";
  r.firmware = "3.06";
  r.capacity = 160.04f;
  r.udmaMode = 5;
  r.smartSupported = 1;
  r.smartEnabled = 1;
  const std::vector<InfoRow> rows = IdentityRows(r, NumberedTexts());
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_TRUE(rows[0].header);
  EXPECT_EQ(rows[0].label, "Drive details");
  const Labels labels = {"<4>", "<2>", "<5>", "<3>", "<6>", "<7>", "<8>"};
  const Labels values = {"Seagate Technology", "ST3160023A", "5JS1ABCD", "160.040 GB",
                         "3.06", "Mode 5", "Enabled"};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(rows[i + 1].label, labels[i]);
    EXPECT_EQ(rows[i + 1].value, values[i]);
    EXPECT_FALSE(rows[i + 1].header);
  }
  // The English labels keep their trailing blanks.
  TextTable english("DiskInfoTab");
  for (std::size_t k = 1; k < english.slots.size(); ++k)
    english.slots[k] = BuiltInText("DiskInfoTab", static_cast<int>(k));
  EXPECT_EQ(IdentityRows(r, english)[1].label, "Manufacturer ");
  EXPECT_EQ(IdentityRows(r, english)[6].label, "Ultra DMA mode");
}

TEST(DiskInfoIdentity, UltraDmaAndSmartStates) {
  DriveRecord r;
  r.model = "M";
  r.udmaMode = kUdmaNotValid;
  r.smartEnabled = 1;  // enabled means nothing when not supported
  auto rows = IdentityRows(r, NumberedTexts());
  EXPECT_EQ(ValueOf(rows, "<7>"), "Not supported");
  EXPECT_EQ(ValueOf(rows, "<8>"), "Not supported");
  r.udmaMode = 0;
  r.smartSupported = 1;
  r.smartEnabled = 0;
  rows = IdentityRows(r, NumberedTexts());
  EXPECT_EQ(ValueOf(rows, "<7>"), "Mode 0");
  EXPECT_EQ(ValueOf(rows, "<8>"), "Disabled");
}

struct DiskInfoList : ::testing::Test {
  DriveTables tables;
  TextTable texts = NumberedTexts();
  std::vector<VolumeRow> volumes = {{"/", "ext4", 3ull << 30, 1ull << 30, 34},
                                    {"/boot", "vfat", 0, 0, 0}};

  void SetUp() override {
    tables.records[3].model = "WDC WD800JB";
    tables.identify[3] = IdentifyBuilder().Word(83, 0x0008).Word(86, 0x0008).Word(91, 0x00FE).sector();
    tables.records[0].model = "OTHER";
  }
  Labels List(bool perDrive) {
    const auto rows = DiskInfoRows(tables, 3, perDrive, volumes, texts);
    if (!rows) return {};
    EXPECT_EQ(ValueOf(*rows, "Current advanced power management level"), "Level 254");
    Labels out;  // headers marked with '#'
    for (const InfoRow& r : *rows) out.push_back((r.header ? "#" : "") + r.label + "=" + r.value);
    return out;
  }
};

TEST_F(DiskInfoList, NothingForAnEmptySlotOrOneOutsideTheTables) {
  EXPECT_FALSE(DiskInfoRows(tables, 1, true, volumes, texts).has_value());
  EXPECT_FALSE(DiskInfoRows(tables, -1, true, volumes, texts).has_value());
  EXPECT_FALSE(DiskInfoRows(tables, kMaxDrives, true, volumes, texts).has_value());
}

TEST_F(DiskInfoList, VolumeSectionOnlyOnThePerDrivePath) {
  const Labels shared = List(false);
  ASSERT_GT(shared.size(), 9u);
  EXPECT_EQ(shared[7], "<8>=Not supported");
  EXPECT_EQ(shared[8], "#Advanced drive information=");

  const Labels perDrive = List(true);
  ASSERT_EQ(perDrive.size(), shared.size() + 3);
  EXPECT_EQ(Labels(perDrive.begin() + 8, perDrive.begin() + 12),
            (Labels{"#Volumes on this drive=", "/ [ ext4 ]=Free: 1.00 of 3.00 Gb [34%]",
                    "/boot [ vfat ]=Free: 0.00 of 0.00 Gb [0%]", "#Advanced drive information="}));
  EXPECT_EQ(std::count_if(perDrive.begin(), perDrive.end(),
                          [](const std::string& l) { return l[0] == '#'; }),
            3);

  volumes.clear();  // the header stays when no volume lies on the drive
  const Labels none = List(true);
  ASSERT_GT(none.size(), 9u);
  EXPECT_EQ(none[8], "#Volumes on this drive=");
  EXPECT_EQ(none[9], "#Advanced drive information=");
}

TEST(IdentifyRows, EveryRowInOrderWhenEveryConditionHolds) {
  IdentifyBuilder b;
  b.Word(53, 0x0006).Word(88, 0x0407).Word(89, 1).Word(90, 1).Word(94, 0x0101);
  b.Word(83, 0x0208).Word(86, 0x0208).Word(128, 0x003D);
  b.Word(75, 0x001F).Word(76, 0x010E).Word(77, 0x0006).Word(217, 1).Word(87, 0x4100);
  EXPECT_EQ(LabelsOf(Decode(b)),
            (Labels{"Number of LBA sectors", "Number of logical cylinders",
                    "Number of logical heads", "Number of logical sectors per logical track",
                    "Multiword DMA mode supported", "Advanced PIO modes supported",
                    "ATA standard version", "SATA generations supported",
                    "Current SATA link speed", "Native Command Queuing (NCQ)",
                    "Nominal media rotation rate", "World Wide Name",
                    "Host Protected Area feature set",
                    "Power Management feature set", "Advanced Power Management feature set",
                    "Removable Media feature set", "Security Mode feature set",
                    "S.M.A.R.T. feature set", "S.M.A.R.T. error logging", "S.M.A.R.T. self-test",
                    "Media serial number", "Media Card Pass Through Command feature set",
                    "General Purpose Logging feature set", "Power-Up In Standby feature set",
                    "CFA feature set", "Removable Media Status Notification feature",
                    "READ/WRITE DMA QUEUED command", "DOWNLOAD MICROCODE command",
                    "Data Set Management TRIM", "Ultra DMA modes supported", "Current Ultra DMA mode",
                    "Time required for security erase unit completion",
                    "Time required for Enhanced security erase completion",
                    "Vendor\x92s recommended acoustic management value",
                    "Current automatic acoustic management value",
                    "Current advanced power management level", "Security", "Security level",
                    "Enhanced security erase", "Security count", "Security status",
                    "Security status"}));
}

TEST(IdentifyRows, GeometryAndCounts) {
  IdentifyBuilder b;
  b.Word(1, 16383).Word(3, 16).Word(6, 63).Sectors(156301488, false).Word(91, 0x40FE);
  b.Word(83, 0x0008).Word(86, 0x0008);
  const auto rows = Decode(b);
  EXPECT_EQ(ValueOf(rows, "Number of LBA sectors"), "156301488");
  EXPECT_EQ(ValueOf(rows, "Number of logical cylinders"), "16383");
  EXPECT_EQ(ValueOf(rows, "Number of logical heads"), "16");
  EXPECT_EQ(ValueOf(rows, "Number of logical sectors per logical track"), "63");
  // The level is the low byte; the high one is reserved.
  EXPECT_EQ(ValueOf(rows, "Current advanced power management level"), "Level 254");
}

TEST(IdentifyRows, SectorCountIs48BitWhenTheDriveAddressesSo) {
  IdentifyBuilder b;
  EXPECT_EQ(ValueOf(Decode(b.Sectors(5860533168ull, true)), "Number of LBA sectors"), "5860533168");
  // Words 100-103 without word 83 bit 10 are not the count.
  EXPECT_EQ(ValueOf(Decode(b.Word(83, 0)), "Number of LBA sectors"), "268435455");
  // A 28-bit count from 2^31 up is a count, not a negative number.
  EXPECT_EQ(ValueOf(Decode(IdentifyBuilder().Word(60, 0).Word(61, 0x8000)), "Number of LBA sectors"),
            "2147483648");
}

TEST(IdentifyRows, PowerAndAcousticLevelsOnlyWhileTheirSetIsEnabled) {
  const std::string apm = "Current advanced power management level";
  const std::string aam = "Current automatic acoustic management value";
  IdentifyBuilder b;
  b.Word(91, 0x0080).Word(94, 0xFE80);
  EXPECT_FALSE(ValueOf(Decode(b), apm));
  EXPECT_FALSE(ValueOf(Decode(b), aam));
  b.Word(83, 0x0208);  // supported, not enabled
  EXPECT_FALSE(ValueOf(Decode(b), apm));
  EXPECT_FALSE(ValueOf(Decode(b), aam));
  b.Word(86, 0x0008);
  EXPECT_EQ(ValueOf(Decode(b), apm), "Level 128");
  EXPECT_FALSE(ValueOf(Decode(b), aam));
  b.Word(86, 0x0200);
  EXPECT_FALSE(ValueOf(Decode(b), apm));
  EXPECT_EQ(ValueOf(Decode(b), aam), "128");
  b.Word(83, 0x0000).Word(86, 0x0208);  // enabled alone is not enough
  EXPECT_FALSE(ValueOf(Decode(b), apm));
  EXPECT_FALSE(ValueOf(Decode(b), aam));
}

TEST(IdentifyRows, SerialAtaQueueTrimRotationAndName) {
  auto rows = Decode(IdentifyBuilder());  // a parallel drive reports none of them
  for (const char* label : {"SATA generations supported", "Current SATA link speed",
                            "Native Command Queuing (NCQ)", "Nominal media rotation rate",
                            "World Wide Name"})
    EXPECT_FALSE(ValueOf(rows, label)) << label;
  EXPECT_EQ(ValueOf(rows, "Data Set Management TRIM"), "Not supported");
  EXPECT_FALSE(ValueOf(Decode(IdentifyBuilder().Word(76, 0xFFFF)), "SATA generations supported"));

  IdentifyBuilder ssd;
  ssd.Word(75, 0x001F).Word(76, 0x010E).Word(77, 0x0006).Word(169, 0x0001).Word(217, 1);
  // Word 169 is reserved before ATA8-ACS: a drive of ATA-7 sets nothing there.
  EXPECT_EQ(ValueOf(Decode(IdentifyBuilder(ssd).Word(80, 0x00F0)), "Data Set Management TRIM"),
            "Not supported");
  ssd.Word(80, 0x0FF0);
  ssd.Word(87, 0x4163).Word(108, 0x5002).Word(109, 0x538e).Word(110, 0x4061).Word(111, 0x2a4b);
  rows = Decode(ssd);
  EXPECT_EQ(ValueOf(rows, "SATA generations supported"),
            "Gen1 (1.5 Gb/s), Gen2 (3.0 Gb/s), Gen3 (6.0 Gb/s)");
  EXPECT_EQ(ValueOf(rows, "Current SATA link speed"), "6.0 Gb/s (Gen3)");
  EXPECT_EQ(ValueOf(rows, "Native Command Queuing (NCQ)"), "Supported, queue depth 32");
  EXPECT_EQ(ValueOf(rows, "Data Set Management TRIM"), "Supported");
  EXPECT_EQ(ValueOf(rows, "Nominal media rotation rate"), "Solid state");
  EXPECT_EQ(ValueOf(rows, "World Wide Name"), "5002538E40612A4B");

  IdentifyBuilder hdd;
  hdd.Word(75, 0x0009).Word(76, 0x0006).Word(77, 0x0004).Word(217, 7200).Word(87, 0x4000);
  rows = Decode(hdd);
  EXPECT_EQ(ValueOf(rows, "SATA generations supported"), "Gen1 (1.5 Gb/s), Gen2 (3.0 Gb/s)");
  EXPECT_EQ(ValueOf(rows, "Current SATA link speed"), "3.0 Gb/s (Gen2)");
  EXPECT_EQ(ValueOf(rows, "Native Command Queuing (NCQ)"), "Not supported");
  EXPECT_EQ(ValueOf(rows, "Nominal media rotation rate"), "7200 rpm");
  EXPECT_FALSE(ValueOf(rows, "World Wide Name"));  // word 87 bit 8 clear
  EXPECT_FALSE(ValueOf(Decode(hdd.Word(77, 0)), "Current SATA link speed"));
  // 2-0x400 are reserved rates, 0xFFFF too.
  EXPECT_FALSE(ValueOf(Decode(hdd.Word(217, 0x0400)), "Nominal media rotation rate"));
  EXPECT_FALSE(ValueOf(Decode(hdd.Word(217, 0xFFFF)), "Nominal media rotation rate"));
  EXPECT_EQ(ValueOf(Decode(hdd.Word(217, 0x0401)), "Nominal media rotation rate"), "1025 rpm");
  // The WWN bit counts only in a valid word, 84 or 87.
  EXPECT_FALSE(ValueOf(Decode(ssd.Word(87, 0x0100)), "World Wide Name"));
  EXPECT_EQ(ValueOf(Decode(ssd.Word(84, 0x4100)), "World Wide Name"), "5002538E40612A4B");
  EXPECT_FALSE(ValueOf(Decode(ssd.Word(84, 0x0100)), "World Wide Name"));
}

TEST(IdentifyRows, Word53ChoosesBetweenMultiwordAndUltraDmaRows) {
  IdentifyBuilder mwdma;
  auto rows = Decode(mwdma.Word(53, 0x0002).Word(63, 0x0407).Word(64, 0x0003));
  EXPECT_EQ(ValueOf(rows, "Selected Multiword DMA mode"), "Mode 2");
  EXPECT_EQ(ValueOf(rows, "Multiword DMA mode supported"), "Mode 2 and below");
  EXPECT_EQ(ValueOf(rows, "Advanced PIO modes supported"), "PIO mode 4");
  EXPECT_FALSE(ValueOf(rows, "Ultra DMA modes supported"));
  EXPECT_FALSE(ValueOf(rows, "Current Ultra DMA mode"));

  rows = Decode(mwdma.Word(53, 0).Word(63, 0x0201).Word(64, 0x0001));
  EXPECT_EQ(ValueOf(rows, "Selected Multiword DMA mode"), "Mode 1");
  EXPECT_EQ(ValueOf(rows, "Multiword DMA mode supported"), "Mode 0");
  EXPECT_FALSE(ValueOf(rows, "Advanced PIO modes supported"));
  rows = Decode(mwdma.Word(63, 0));
  EXPECT_EQ(ValueOf(rows, "Selected Multiword DMA mode"), "");
  EXPECT_EQ(ValueOf(rows, "Multiword DMA mode supported"), "");

  // Valid Ultra DMA words hide the selected multiword mode, although word 63
  // names one.
  IdentifyBuilder udma;
  rows = Decode(udma.UltraDma(5, 4).Word(63, 0x0407));
  EXPECT_FALSE(ValueOf(rows, "Selected Multiword DMA mode"));
  EXPECT_EQ(ValueOf(rows, "Multiword DMA mode supported"), "Mode 2 and below");
  EXPECT_EQ(ValueOf(rows, "Ultra DMA modes supported"), "Ultra DMA mode 5 and below");
  EXPECT_EQ(ValueOf(rows, "Current Ultra DMA mode"), "Mode 4");
  rows = Decode(udma.UltraDma(2, -1));
  EXPECT_EQ(ValueOf(rows, "Ultra DMA modes supported"), "Ultra DMA mode 2 and below");
  EXPECT_EQ(ValueOf(rows, "Current Ultra DMA mode"), "None selected");
  EXPECT_EQ(ValueOf(Decode(udma.UltraDma(0, 0)), "Ultra DMA modes supported"), "Ultra DMA mode 0");
  rows = Decode(udma.UltraDma(6, 6));
  EXPECT_EQ(ValueOf(rows, "Ultra DMA modes supported"), "Ultra DMA mode 6 and below");
  EXPECT_EQ(ValueOf(rows, "Current Ultra DMA mode"), "Mode 6");
  rows = Decode(udma.UltraDma(6, 5));
  EXPECT_EQ(ValueOf(rows, "Current Ultra DMA mode"), "Mode 5");
}

TEST(IdentifyRows, AtaVersionFromTheHighestBit) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0x1FF0, "ACS-5 and below"},       {0x0FF0, "ACS-4 and below"},
      {0x07F0, "ACS-3 and below"},       {0x03F0, "ACS-2 and below"},
      {0x01F0, "ATA8-ACS and below"},    {0x0100, "ATA8-ACS and below"},
      {0xFFFF, ""},  // not reported, like 0
      {0x0000, ""},
      {0x00FE, "ATA/ATAPI-7 and below"}, {0x007E, "ATA/ATAPI-6 and below"},
      {0x0030, "ATA/ATAPI-5 and below"}, {0x0010, "ATA/ATAPI-4 and below"},
      {0x000C, "ATA-3 and below"},       {0x0004, "ATA-2"},
      {0x0002, ""},
  };
  for (const auto& [word, text] : cases)
    EXPECT_EQ(ValueOf(Decode(IdentifyBuilder().Word(80, word)), "ATA standard version"), text)
        << std::hex << word;
}

TEST(IdentifyRows, FeatureSetsReadSupportedThenEnabled) {
  IdentifyBuilder b;
  b.Word(82, 0x0409).Word(85, 0x0402).Word(83, 0x0028).Word(86, 0x0014).Word(84, 0x0025);
  const std::pair<const char*, const char*> cases[] = {
      {"Host Protected Area feature set", "Supported, Enabled"},
      {"Power Management feature set", "Supported"},
      {"Security Mode feature set", "Not supported"},  // enabled alone is not enough
      {"S.M.A.R.T. feature set", "Supported"},
      {"Removable Media feature set", "Not supported"},
      {"Advanced Power Management feature set", "Supported"},
      {"Power-Up In Standby feature set", "Supported"},
      {"CFA feature set", "Not supported"},
      {"Removable Media Status Notification feature", "Not supported"},
      {"S.M.A.R.T. error logging", "Supported"},
      {"S.M.A.R.T. self-test", "Not supported"},
      {"Media serial number", "Supported"},
      {"Media Card Pass Through Command feature set", "Not supported"},
      {"General Purpose Logging feature set", "Supported"},
      {"READ/WRITE DMA QUEUED command", "Not supported"},
      {"DOWNLOAD MICROCODE command", "Not supported"},
  };
  const auto rows = Decode(b);
  for (const auto& [label, value] : cases) EXPECT_EQ(ValueOf(rows, label), value) << label;

  const auto more = Decode(b.Word(83, 0x000B).Word(86, 0x0008));
  EXPECT_EQ(ValueOf(more, "Advanced Power Management feature set"), "Supported, Enabled");
  EXPECT_EQ(ValueOf(more, "READ/WRITE DMA QUEUED command"), "Supported");
  EXPECT_EQ(ValueOf(more, "DOWNLOAD MICROCODE command"), "Supported");
}

TEST(IdentifyRows, EraseTimesAndAcousticValuesOnlyWhenReported) {
  const std::string erase = "Time required for security erase unit completion";
  const std::string enhanced = "Time required for Enhanced security erase completion";
  const std::string vendor = "Vendor\x92s recommended acoustic management value";
  const std::string current = "Current automatic acoustic management value";
  auto rows = Decode(IdentifyBuilder());
  for (const std::string& label : {erase, enhanced, vendor, current})
    EXPECT_FALSE(ValueOf(rows, label)) << label;

  rows = Decode(IdentifyBuilder().Word(89, 255).Word(90, 30).Word(94, 0xFE80).Word(83, 0x0200).Word(86, 0x0200));
  EXPECT_EQ(ValueOf(rows, erase), "More then 508 minutes");
  EXPECT_EQ(ValueOf(rows, enhanced), "60 minutes");
  EXPECT_EQ(ValueOf(rows, vendor), "254");
  EXPECT_EQ(ValueOf(rows, current), "128");

  rows = Decode(IdentifyBuilder().Word(89, 254).Word(90, 255).Word(94, 0x0080).Word(83, 0x0200).Word(86, 0x0200));
  EXPECT_EQ(ValueOf(rows, erase), "508 minutes");
  EXPECT_EQ(ValueOf(rows, enhanced), "More then 508 minutes");
  EXPECT_EQ(ValueOf(rows, vendor), "0");  // either half alone shows both rows
  // A value without the feature set enabled is not shown.
  rows = Decode(IdentifyBuilder().Word(94, 0xFE80));
  EXPECT_FALSE(ValueOf(rows, vendor));
  EXPECT_FALSE(ValueOf(rows, current));
}

TEST(IdentifyRows, SecurityRowsFromWord128) {
  auto rows = Decode(IdentifyBuilder());
  EXPECT_FALSE(ValueOf(rows, "Security"));
  EXPECT_FALSE(ValueOf(rows, "Security level"));  // no level without the feature set
  EXPECT_FALSE(ValueOf(rows, "Enhanced security erase"));
  EXPECT_FALSE(ValueOf(rows, "Security count"));
  EXPECT_FALSE(ValueOf(rows, "Security status"));

  rows = Decode(IdentifyBuilder().Word(128, 0x0001));
  EXPECT_EQ(ValueOf(rows, "Security"), "Supported");
  EXPECT_EQ(ValueOf(rows, "Security level"), "High level");
  // Word 82 alone says the set is there too.
  EXPECT_EQ(ValueOf(Decode(IdentifyBuilder().Word(82, 0x0002)), "Security level"), "High level");

  rows = Decode(IdentifyBuilder().Word(128, 0x013F));
  EXPECT_EQ(ValueOf(rows, "Security"), "Supported, Enabled");
  EXPECT_EQ(ValueOf(rows, "Security level"), "Maximum level");
  EXPECT_EQ(ValueOf(rows, "Enhanced security erase"), "Supported");
  EXPECT_EQ(ValueOf(rows, "Security count"), "Expired");
  // Frozen and locked are two rows of the same label, frozen first.
  const auto tail = std::vector<InfoRow>(rows.end() - 2, rows.end());
  EXPECT_EQ(tail[0].label, "Security status");
  EXPECT_EQ(tail[0].value, "Frozen");
  EXPECT_EQ(tail[1].label, "Security status");
  EXPECT_EQ(tail[1].value, "Locked");

  rows = Decode(IdentifyBuilder().Word(128, 0x0004));
  EXPECT_EQ(ValueOf(rows, "Security status"), "Locked");
  EXPECT_FALSE(ValueOf(rows, "Security"));
}

TEST(NvmeInfo, TheHealthLogsStateInPlaceOfIdentifyRows) {
  DriveTables t;
  NvmeHealth h;
  h.criticalWarning = 0x05;
  h.availableSpare = 8;
  h.spareThreshold = 10;
  h.percentageUsed = 104;
  h.mediaErrors = 17;
  StoreNvmeData(t, 2, {"Lexar SSD NM790 4TB", "NHG1234", "12237", 4000787030016}, h);
  t.records[2].device = "/dev/nvme1";
  const auto rows = DiskInfoRows(t, 2, false, {}, TextTable("DiskInfoTab"));
  ASSERT_TRUE(rows);
  EXPECT_EQ(ValueOf(*rows, "Interface"), "NVMe");
  EXPECT_EQ(ValueOf(*rows, "Device"), "/dev/nvme1");
  EXPECT_EQ(ValueOf(*rows, "Critical warning"), "spare below its threshold, reliability degraded");
  EXPECT_EQ(ValueOf(*rows, "Available spare"), "8 % (threshold 10 %)");
  EXPECT_EQ(ValueOf(*rows, "Percentage used"), "104 %");
  EXPECT_EQ(ValueOf(*rows, "Media and data integrity errors"), "17");
  // No ATA row read from an IDENTIFY sector the drive never sent.
  EXPECT_FALSE(ValueOf(*rows, "Number of LBA sectors"));
  EXPECT_EQ(NvmeWarningText(0), "none");
  EXPECT_EQ(NvmeWarningText(0x80), "reserved bits set");
}

}  // namespace
}  // namespace torvel
