#include "platform/system_info.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(OsVersionFromUname, TakesMajorMinorAndPatchOfTheKernelRelease) {
  const OsVersionInfo v = OsVersionFromUname("Linux", "6.1.0-28-amd64");
  EXPECT_EQ(v.platformId, kPlatformNT);
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(v.build, 0u);
  EXPECT_EQ(v.csdVersion, "Linux 6.1.0-28-amd64");

  const OsVersionInfo w = OsVersionFromUname("Linux", "5.15.153.1-microsoft-standard-WSL2");
  EXPECT_EQ(w.major, 5u);
  EXPECT_EQ(w.minor, 15u);
  EXPECT_EQ(w.build, 153u);
}

TEST(OsVersionFromUname, ShortOrOddReleasesGiveZeros) {
  const OsVersionInfo v = OsVersionFromUname("Linux", "6");
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 0u);
  EXPECT_EQ(v.build, 0u);
  const OsVersionInfo w = OsVersionFromUname("Linux", "rc-custom");
  EXPECT_EQ(w.major, 0u);
  EXPECT_EQ(w.csdVersion, "Linux rc-custom");
}

TEST(ProcessorType, X86FamiliesAndOthers) {
  EXPECT_EQ(ProcessorTypeFromMachine("x86_64"), 8664u);
  EXPECT_EQ(ProcessorTypeFromMachine("i686"), 586u);
  EXPECT_EQ(ProcessorTypeFromMachine("i386"), 586u);
  EXPECT_EQ(ProcessorTypeFromMachine("aarch64"), 0u);
}

TEST(LinuxSystemInfo, ReportsTheNtFamilyAndAtLeastOneProcessor) {
  LinuxSystemInfo sys;
  EXPECT_EQ(sys.GetVersionEx().platformId, kPlatformNT);
  EXPECT_EQ(sys.GetVersionEx().csdVersion.rfind("Linux ", 0), 0u);
  EXPECT_GE(sys.GetSystemInfo().processorCount, 1u);
}

}  // namespace
}  // namespace torvel

TEST(ComputerName, FirstLabelUpperCaseAtMostFifteen) {
  EXPECT_EQ(torvel::ComputerNameFromHost("backup-01.example.org"), "BACKUP-01");
  EXPECT_EQ(torvel::ComputerNameFromHost("a-very-long-host-name-indeed"), "A-VERY-LONG-HOS");
  EXPECT_EQ(torvel::ComputerNameFromHost(""), "");
}
