// The volumes on a drive with their free space, for the Disk info page.
// Linux has no drive letters: a volume is a mounted file system whose block
// device is the disk itself, one of its partitions, or a device-mapper or md
// device stacked on those. Deciding that is a pure function of a snapshot of
// /sys/block, /proc/self/mountinfo and statvfs; a thin reader fills the
// snapshot through the VolumeCalls seam.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

inline constexpr const char* kMountInfoPath = "/proc/self/mountinfo";

// One entry of /sys/block, or one partition below such an entry.
struct BlockDevice {
  std::string name;                  // kernel name: "sda", "sda1", "dm-0", "md127"
  std::string number;                // "major:minor", from its dev file
  std::vector<std::string> holders;  // kernel names of the devices stacked on it
  std::vector<BlockDevice> partitions;  // whole devices only
};

// One line of /proc/self/mountinfo, octal escapes undone.
struct MountEntry {
  std::string number;      // "major:minor" the kernel gives the file system
  std::string root;        // the folder of the file system seen here; "/" for all of it
  std::string mountPoint;
  std::string fileSystem;  // "ext4", "btrfs", ...
  std::string source;      // "/dev/sda1", "/dev/mapper/vg-root", "tmpfs", ...
};

struct SpaceInfo {
  std::uint64_t totalBytes = 0;  // f_blocks × f_frsize
  std::uint64_t freeBytes = 0;   // f_bfree × f_frsize: every free block, root's reserve too
};

// What the volume rows are decided from.
struct VolumeSystem {
  std::vector<BlockDevice> blockDevices;  // the entries of /sys/block
  std::vector<std::string> mountInfo;     // the lines of /proc/self/mountinfo
  // "major:minor" of the node a "/dev/..." mount source names. Needed where
  // mountinfo's own number is an anonymous one (btrfs gives 0:NN).
  std::map<std::string, std::string> sourceNumbers;
  std::map<std::string, SpaceInfo> space;  // by mount point; absent: statvfs failed
};

struct VolumeRow {
  std::string mountPoint;  // as the system names it (UTF-8)
  std::string fileSystem;
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytes = 0;
  std::int64_t freePercent = 0;
};

// Nothing for a line that lacks a field.
std::optional<MountEntry> ParseMountInfoLine(std::string_view line);

// 100 + (free − total) × 100 / total, truncated toward zero: what is used is
// rounded up, so 1 byte free of 3 gives 34. A total of 0 gives 0.
std::int64_t FreePercent(std::uint64_t freeBytes, std::uint64_t totalBytes);

// The file systems mounted from the disk named `diskName` or from what is
// stacked on it, each once, sorted by mount point. A mount hidden by a later
// one on the same mount point does not count. Of several mounts of one file
// system (bind mounts, the same device mounted twice) the first that shows
// all of it is kept, else the first.
std::vector<MountEntry> MountsOnDisk(const VolumeSystem& system, std::string_view diskName);
// The same for drive number n (n-th numbered disk of /sys/block); none when
// there is no such drive.
std::vector<MountEntry> MountsOnDrive(const VolumeSystem& system, int driveNumber);

// The rows of those mounts whose free space is known.
std::vector<VolumeRow> VolumesOnDisk(const VolumeSystem& system, std::string_view diskName);
std::vector<VolumeRow> VolumesOnDrive(const VolumeSystem& system, int driveNumber);

// The page's row texts, Windows-1252: "<mount point> [ <file system> ]" and
// "Free: %.2f of %.2f Gb [%d%%]" in gigabytes of 2^30 bytes.
std::string VolumeLabel(const VolumeRow& row);
std::string VolumeValue(const VolumeRow& row);

// The calls the reader makes, behind one seam so tests can play a system.
class VolumeCalls {
 public:
  virtual ~VolumeCalls() = default;
  // Entry names without "." and ".."; false when the folder cannot be read.
  virtual bool ListDirectory(const std::string& path, std::vector<std::string>& names) = 0;
  // The whole file; false when it cannot be read.
  virtual bool ReadFile(const std::string& path, std::string& text) = 0;
  // "major:minor" of the block device node at `path`; false for anything else.
  virtual bool DeviceNumber(const std::string& path, std::string& number) = 0;
  virtual bool FreeSpace(const std::string& mountPoint, SpaceInfo& space) = 0;
};

// The running system.
class LinuxVolumeCalls final : public VolumeCalls {
 public:
  bool ListDirectory(const std::string& path, std::vector<std::string>& names) override;
  bool ReadFile(const std::string& path, std::string& text) override;
  bool DeviceNumber(const std::string& path, std::string& number) override;
  bool FreeSpace(const std::string& mountPoint, SpaceInfo& space) override;
};

// Block devices, mount lines and mount-source numbers; no free space yet,
// so that no statvfs reaches a file system that is not asked about (a dead
// network mount would hang it).
VolumeSystem ReadVolumeSystem(VolumeCalls& calls);
// Adds the free space of `mounts` to the snapshot.
void ReadFreeSpace(VolumeCalls& calls, const std::vector<MountEntry>& mounts,
                   VolumeSystem& system);
// The rows of drive n, read from the system through `calls`.
std::vector<VolumeRow> ReadVolumes(VolumeCalls& calls, int driveNumber);

}  // namespace torvel
