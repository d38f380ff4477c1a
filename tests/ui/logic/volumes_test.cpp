#include "ui/logic/volumes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/block_devices.h"
#include "base/syscalls.h"

namespace torvel {
namespace {

using Strings = std::vector<std::string>;

BlockDevice Dev(std::string name, std::string number, Strings holders = {},
                std::vector<BlockDevice> partitions = {}) {
  return {std::move(name), std::move(number), std::move(holders), std::move(partitions)};
}

std::string Mount(int id, const std::string& number, const std::string& root,
                  const std::string& mountPoint, const std::string& type,
                  const std::string& source) {
  return std::to_string(id) + " 1 " + number + " " + root + " " + mountPoint +
         " rw,relatime shared:1 - " + type + " " + source + " rw";
}

template <class Row>
Strings MountPoints(const std::vector<Row>& rows) {
  Strings points;
  for (const Row& r : rows) points.push_back(r.mountPoint);
  return points;
}

TEST(MountInfoLine, FieldsAroundTheOptionalOnesWithEscapesUndone) {
  const auto m = ParseMountInfoLine(
      "36 35 98:0 /a\\134b /media/my\\040disk\\011x rw master:1 shared:7 - ext3 /dev/x\\0401 rw");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->number, "98:0");
  EXPECT_EQ(m->root, "/a\\b");
  EXPECT_EQ(m->mountPoint, "/media/my disk\tx");
  EXPECT_EQ(m->fileSystem, "ext3");
  EXPECT_EQ(m->source, "/dev/x 1");
  const auto bare = ParseMountInfoLine("26 1 254:0 / / rw - ext4 /dev/vda rw");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->mountPoint, "/");
  EXPECT_EQ(bare->source, "/dev/vda");
  // Too short or not octal: kept as it stands.
  EXPECT_EQ(ParseMountInfoLine("1 1 8:1 / /a\\04 rw - ext4 s o")->mountPoint, "/a\\04");
  EXPECT_EQ(ParseMountInfoLine("1 1 8:1 / /a\\049 rw - ext4 s o")->mountPoint, "/a\\049");
}

TEST(MountInfoLine, MalformedLinesAreRefused) {
  EXPECT_FALSE(ParseMountInfoLine(""));
  EXPECT_FALSE(ParseMountInfoLine("36 35 98:0 /mnt1 /mnt2"));
  EXPECT_FALSE(ParseMountInfoLine("36 35 98:0 /mnt1 /mnt2 rw ext3 /dev/root rw"));  // no "-"
  EXPECT_FALSE(ParseMountInfoLine("36 35 98:0 /mnt1 /mnt2 rw - ext3"));             // no source
  EXPECT_FALSE(ParseMountInfoLine("36 35 980 / /mnt rw - ext3 /dev/root rw"));
  // A "-" in the mount-point field is a path, not the separator.
  EXPECT_FALSE(ParseMountInfoLine("36 35 8:1 / - rw ext3 /dev/root rw"));
}

TEST(FreePercent, UsedSpaceRoundsUp) {
  EXPECT_EQ(FreePercent(1, 3), 34);  // 100 + trunc(-200 / 3)
  EXPECT_EQ(FreePercent(2, 3), 67);
  EXPECT_EQ(FreePercent(0, 3), 0);
  EXPECT_EQ(FreePercent(3, 3), 100);
  EXPECT_EQ(FreePercent(999, 1000), 100);
  EXPECT_EQ(FreePercent(1, 1000), 1);
  EXPECT_EQ(FreePercent(0, 0), 0);
  EXPECT_EQ(FreePercent(5, 0), 0);
  // Far beyond what 64-bit (free - total) * 100 could hold.
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(FreePercent(kMax / 2, kMax), 50);
  EXPECT_EQ(FreePercent(kMax, kMax), 100);
  EXPECT_EQ(FreePercent(0, kMax), 0);
}

TEST(VolumeTexts, LabelAndValueAsThePageShowsThem) {
  const VolumeRow row{"/home", "ext4", 3ull << 30, 1ull << 30, 34};
  EXPECT_EQ(VolumeLabel(row), "/home [ ext4 ]");
  EXPECT_EQ(VolumeValue(row), "Free: 1.00 of 3.00 Gb [34%]");
  EXPECT_EQ(VolumeValue({"/z", "ext4", 0, 0, 0}), "Free: 0.00 of 0.00 Gb [0%]");
  EXPECT_EQ(VolumeValue({"/big", "xfs", 4000787030016ull, 1000204886016ull, 26}),
            "Free: 931.51 of 3726.02 Gb [26%]");
}

TEST(VolumeTexts, MountPointsBecomeWindows1252) {
  EXPECT_EQ(VolumeLabel({"/media/caf\xC3\xA9", "vfat", 0, 0, 0}), "/media/caf\xE9 [ vfat ]");
  // Characters the code page lacks show as one '?' each; so does a stray byte.
  EXPECT_EQ(VolumeLabel({"/m/\xE6\x97\xA5\xE6\x9C\xAC/\xC3\xA9", "ext4", 0, 0, 0}),
            "/m/?" "?/\xE9 [ ext4 ]");
  EXPECT_EQ(VolumeLabel({"/m/\xFF", "ext4", 0, 0, 0}), "/m/? [ ext4 ]");
}

// Drive 0 is sda, drive 1 sdb, drive 2 sdc, drive 3 sdd, drive 4 sde, drive 5 sdf.
struct VolumeSystemFixture : ::testing::Test {
  VolumeSystem system;

  void SetUp() override {
    system.blockDevices = {
        Dev("loop0", "7:0"),
        Dev("sda", "8:0", {},
            {Dev("sda1", "8:1"), Dev("sda2", "8:2", {"dm-0"}), Dev("sda3", "8:3"),
             Dev("sda4", "8:4")}),
        Dev("dm-0", "254:0", {"dm-1"}),  // LVM volume on sda2
        Dev("dm-1", "254:1"),            // LUKS inside it
        Dev("sdb", "8:16", {}, {Dev("sdb1", "8:17")}),
        Dev("sdc", "8:32", {}, {Dev("sdc1", "8:33")}),
        Dev("sdd", "8:48", {}, {Dev("sdd1", "8:49")}),
        Dev("sde", "8:64", {}, {Dev("sde1", "8:65", {"md0"})}),
        Dev("sdf", "8:80", {}, {Dev("sdf1", "8:81", {"md0"})}),
        Dev("md0", "9:0", {}, {Dev("md0p1", "259:3")}),
        Dev("vda", "252:0"),
    };
    system.mountInfo = {
        Mount(20, "0:20", "/", "/proc", "proc", "proc"),
        Mount(21, "254:0", "/", "/", "ext4", "/dev/mapper/vg-root"),
        Mount(22, "8:1", "/", "/boot", "ext4", "/dev/sda1"),
        Mount(23, "254:1", "/", "/secret", "ext4", "/dev/mapper/secret"),
        Mount(24, "8:4", "/", "/zero", "ext4", "/dev/sda4"),
        Mount(25, "0:30", "/", "/tmp", "tmpfs", "tmpfs"),
        // sdb1: a bind of one folder first, then the whole of it, then again.
        Mount(30, "8:17", "/www", "/srv/www", "xfs", "/dev/sdb1"),
        Mount(31, "8:17", "/", "/data", "xfs", "/dev/sdb1"),
        Mount(32, "8:17", "/", "/mnt/again", "xfs", "/dev/sdb1"),
        // sdc1 is hidden by a tmpfs mounted over it.
        Mount(40, "8:33", "/", "/media/usb", "vfat", "/dev/sdc1"),
        Mount(41, "0:41", "/", "/media/usb", "tmpfs", "tmpfs"),
        // btrfs gives an anonymous number; only its source tells the disk.
        Mount(50, "0:45", "/@data", "/btr", "btrfs", "/dev/sdd1"),
        Mount(51, "0:45", "/@snap", "/btr/snap", "btrfs", "/dev/sdd1"),
        Mount(60, "259:3", "/", "/raid", "ext4", "/dev/md0p1"),
        Mount(70, "252:0", "/", "/virt", "ext4", "/dev/vda"),
        "garbage line",
    };
    system.sourceNumbers = {{"/dev/sda1", "8:1"}, {"/dev/sdd1", "8:49"}};
    for (const char* p :
         {"/", "/boot", "/secret", "/data", "/mnt/again", "/srv/www", "/btr", "/raid", "/virt"})
      system.space[p] = {100, 40};
    system.space["/boot"] = {3, 1};
    system.space["/zero"] = {0, 0};
  }
};

TEST_F(VolumeSystemFixture, PartitionsAndWhatIsStackedOnThem) {
  // sda3 is not mounted; proc and tmpfs lie on no disk.
  EXPECT_EQ(MountPoints(MountsOnDrive(system, 0)), (Strings{"/", "/boot", "/secret", "/zero"}));
  const auto rows = VolumesOnDrive(system, 0);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].mountPoint, "/boot");
  EXPECT_EQ(rows[1].fileSystem, "ext4");
  EXPECT_EQ(rows[1].totalBytes, 3u);
  EXPECT_EQ(rows[1].freeBytes, 1u);
  EXPECT_EQ(rows[1].freePercent, 34);
  EXPECT_EQ(rows[3].mountPoint, "/zero");
  EXPECT_EQ(rows[3].freePercent, 0);
  EXPECT_EQ(rows[0].freePercent, 40);
}

TEST_F(VolumeSystemFixture, EachFileSystemOnceUnderItsWholeMount) {
  const auto mounts = MountsOnDrive(system, 1);
  ASSERT_EQ(MountPoints(mounts), (Strings{"/data"}));
  EXPECT_EQ(mounts[0].root, "/");
  // With only binds of folders left, the first of them stands for it.
  std::erase_if(system.mountInfo, [](const std::string& l) { return l.find(" / /") != l.npos; });
  EXPECT_EQ(MountPoints(MountsOnDrive(system, 1)), (Strings{"/srv/www"}));
}

TEST_F(VolumeSystemFixture, AMountHiddenByALaterOneIsLeftOut) {
  EXPECT_TRUE(MountsOnDrive(system, 2).empty());
  std::erase_if(system.mountInfo,
                [](const std::string& l) { return l.find(" 0:41 ") != l.npos; });
  EXPECT_EQ(MountPoints(MountsOnDrive(system, 2)), (Strings{"/media/usb"}));
}

TEST_F(VolumeSystemFixture, AnonymousNumbersMatchThroughTheSource) {
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 3)), (Strings{"/btr"}));
  system.sourceNumbers.erase("/dev/sdd1");
  EXPECT_TRUE(VolumesOnDrive(system, 3).empty());
}

TEST_F(VolumeSystemFixture, AnArraySpanningTwoDrivesShowsOnBoth) {
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 4)), (Strings{"/raid"}));
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 5)), (Strings{"/raid"}));
}

TEST_F(VolumeSystemFixture, WithoutFreeSpaceTheVolumeIsLeftOut) {
  system.space.erase("/secret");
  EXPECT_EQ(MountPoints(MountsOnDrive(system, 0)), (Strings{"/", "/boot", "/secret", "/zero"}));
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 0)), (Strings{"/", "/boot", "/zero"}));
}

TEST_F(VolumeSystemFixture, OnlyNumberedDisksAreDrives) {
  EXPECT_TRUE(VolumesOnDrive(system, 6).empty());
  EXPECT_TRUE(VolumesOnDrive(system, -1).empty());
  // vda is no drive, but can still be asked for by name.
  EXPECT_EQ(MountPoints(VolumesOnDisk(system, "vda")), (Strings{"/virt"}));
  EXPECT_TRUE(VolumesOnDisk(system, "nosuch").empty());

  // hd disks sort before sd disks of the same name length.
  system.blockDevices.push_back(Dev("hda", "3:0"));
  system.mountInfo.push_back(Mount(80, "3:0", "/", "/old", "ext2", "/dev/hda"));
  system.space["/old"] = {10, 5};
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 0)), (Strings{"/old"}));
  EXPECT_EQ(MountPoints(VolumesOnDrive(system, 1)), (Strings{"/", "/boot", "/secret", "/zero"}));
}

TEST_F(VolumeSystemFixture, AHolderLoopEndsTheWalk) {
  system.blockDevices[3].holders = {"dm-0"};
  EXPECT_EQ(MountPoints(MountsOnDrive(system, 0)), (Strings{"/", "/boot", "/secret", "/zero"}));
}

// A system played from maps; records every statvfs.
class FakeCalls : public VolumeCalls {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, Strings> folders;
  std::map<std::string, std::string> nodes;
  std::map<std::string, SpaceInfo> spaces;
  Strings statted;
  Strings nodesAsked;

  bool ListDirectory(const std::string& path, Strings& names) override {
    names.clear();
    const auto it = folders.find(path);
    if (it == folders.end()) return false;
    names = it->second;
    return true;
  }
  bool ReadFile(const std::string& path, std::string& text) override {
    const auto it = files.find(path);
    if (it == files.end()) return false;
    text = it->second;
    return true;
  }
  bool DeviceNumber(const std::string& path, std::string& number) override {
    nodesAsked.push_back(path);
    const auto it = nodes.find(path);
    if (it == nodes.end()) return false;
    number = it->second;
    return true;
  }
  bool FreeSpace(const std::string& mountPoint, SpaceInfo& space) override {
    statted.push_back(mountPoint);
    const auto it = spaces.find(mountPoint);
    if (it == spaces.end()) return false;
    space = it->second;
    return true;
  }
};

struct VolumeReader : ::testing::Test {
  FakeCalls calls;

  void SetUp() override {
    calls.folders["/sys/block"] = {"sda", "dm-0", "loop0"};
    calls.folders["/sys/block/sda"] = {"queue", "sda2", "holders", "sda1", "dev", "sdaX"};
    calls.files["/sys/block/sda/dev"] = "8:0\n";
    calls.folders["/sys/block/sda/holders"] = {};
    calls.files["/sys/block/sda/sda1/partition"] = "1\n";
    calls.files["/sys/block/sda/sda1/dev"] = "8:1\n";
    calls.files["/sys/block/sda/sda2/partition"] = "2\n";
    calls.files["/sys/block/sda/sda2/dev"] = "8:2\n";
    calls.folders["/sys/block/sda/sda2/holders"] = {"dm-0"};
    calls.files["/sys/block/sda/queue/partition"] = "not a partition folder\n";
    calls.files["/sys/block/dm-0/dev"] = "254:0\n";
    calls.folders["/sys/block/dm-0"] = {"dev", "holders"};
    calls.files["/sys/block/loop0/dev"] = "7:0\n";
    calls.files["/proc/self/mountinfo"] =
        Mount(1, "254:0", "/", "/", "ext4", "/dev/mapper/root") + "\n" +
        Mount(2, "0:50", "/", "/net", "nfs", "server:/export") + "\n" +
        Mount(3, "0:45", "/", "/boot", "btrfs", "/dev/sda1") + "\n" +
        Mount(4, "0:45", "/", "/boot2", "btrfs", "/dev/sda1") + "\n\n";
    calls.nodes["/dev/sda1"] = "8:1";
    calls.spaces["/"] = {3000, 1000};
    calls.spaces["/boot"] = {3, 1};
    calls.spaces["/net"] = {1, 1};
  }
};

TEST_F(VolumeReader, GathersDevicesPartitionsHoldersAndMounts) {
  const VolumeSystem system = ReadVolumeSystem(calls);
  ASSERT_EQ(system.blockDevices.size(), 3u);
  const BlockDevice& sda = system.blockDevices[0];
  EXPECT_EQ(sda.name, "sda");
  EXPECT_EQ(sda.number, "8:0");
  ASSERT_EQ(sda.partitions.size(), 2u);  // "queue" is no partition, "sdaX" has no flag file
  EXPECT_EQ(sda.partitions[0].name, "sda1");
  EXPECT_EQ(sda.partitions[0].number, "8:1");
  EXPECT_EQ(sda.partitions[1].holders, (Strings{"dm-0"}));
  EXPECT_EQ(system.blockDevices[1].number, "254:0");
  EXPECT_TRUE(system.blockDevices[2].holders.empty());  // unreadable folder
  EXPECT_EQ(system.mountInfo.size(), 4u);
  // Only "/dev/..." sources are looked up, each once.
  EXPECT_EQ(calls.nodesAsked, (Strings{"/dev/mapper/root", "/dev/sda1"}));
  EXPECT_EQ(system.sourceNumbers, (std::map<std::string, std::string>{{"/dev/sda1", "8:1"}}));
  EXPECT_TRUE(system.space.empty());
  EXPECT_TRUE(calls.statted.empty());
}

TEST_F(VolumeReader, AsksForFreeSpaceOnlyOnTheDrivesOwnMounts) {
  const auto rows = ReadVolumes(calls, 0);
  EXPECT_EQ(calls.statted, (Strings{"/", "/boot"}));  // never the network mount
  ASSERT_EQ(MountPoints(rows), (Strings{"/", "/boot"}));
  EXPECT_EQ(rows[0].freePercent, 34);
  EXPECT_EQ(rows[1].fileSystem, "btrfs");
  EXPECT_EQ(rows[1].freePercent, 34);

  calls.statted.clear();
  EXPECT_TRUE(ReadVolumes(calls, 1).empty());
  EXPECT_TRUE(calls.statted.empty());
}

TEST_F(VolumeReader, NothingReadableGivesNoRows) {
  calls.files.erase("/proc/self/mountinfo");
  EXPECT_TRUE(ReadVolumes(calls, 0).empty());
  FakeCalls empty;
  EXPECT_TRUE(ReadVolumeSystem(empty).blockDevices.empty());
  EXPECT_TRUE(ReadVolumes(empty, 0).empty());
}

void ExpectWellFormed(const VolumeRow& row) {
  SCOPED_TRACE(row.mountPoint);
  ASSERT_FALSE(row.mountPoint.empty());
  EXPECT_EQ(row.mountPoint.front(), '/');
  EXPECT_FALSE(row.fileSystem.empty());
  EXPECT_LE(row.freeBytes, row.totalBytes);
  EXPECT_GE(row.freePercent, 0);
  EXPECT_LE(row.freePercent, 100);
  EXPECT_TRUE(VolumeLabel(row).ends_with(" [ " + row.fileSystem + " ]"));
  // The text must read back as the numbers it was made from.
  double freeGb = -1;
  double totalGb = -1;
  int percent = -1;
  char tail = 0;
  ASSERT_EQ(std::sscanf(VolumeValue(row).c_str(), "Free: %lf of %lf Gb [%d%%%c", &freeGb, &totalGb,
                        &percent, &tail),
            4);
  EXPECT_EQ(tail, ']');
  EXPECT_NEAR(freeGb, static_cast<double>(row.freeBytes) / (1 << 30), 0.005);
  EXPECT_NEAR(totalGb, static_cast<double>(row.totalBytes) / (1 << 30), 0.005);
  EXPECT_EQ(percent, row.freePercent);
}

TEST(LinuxVolumeReader, RunsOnThisMachine) {
  LinuxVolumeCalls calls;
  VolumeSystem system = ReadVolumeSystem(calls);
  EXPECT_FALSE(system.mountInfo.empty());
  auto isNumber = [](const std::string& s) {
    const std::size_t colon = s.find(':');
    return colon != 0 && colon != s.npos && colon + 1 < s.size() &&
           s.find_first_not_of("0123456789:") == s.npos && s.find(':', colon + 1) == s.npos;
  };
  for (const BlockDevice& d : system.blockDevices) {
    EXPECT_TRUE(d.number.empty() || isNumber(d.number)) << d.number;
    for (const BlockDevice& p : d.partitions) EXPECT_TRUE(p.name.starts_with(d.name));
  }
  // Every whole device, numbered disk or not, so that some rows get checked
  // on machines whose disks are virtio or NVMe.
  for (const BlockDevice& d : system.blockDevices) {
    ReadFreeSpace(calls, MountsOnDisk(system, d.name), system);
    for (const VolumeRow& row : VolumesOnDisk(system, d.name)) ExpectWellFormed(row);
  }
  const std::size_t drives = ListDisks(SystemCalls()).size();
  for (std::size_t n = 0; n < drives; ++n)
    for (const VolumeRow& row : ReadVolumes(calls, static_cast<int>(n))) ExpectWellFormed(row);
  EXPECT_TRUE(ReadVolumes(calls, static_cast<int>(drives) + 30).empty());
}

}  // namespace
}  // namespace torvel
