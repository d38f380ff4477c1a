// Which whole disks the per-drive path numbers: the ATA and SCSI disks of
// /sys/block (sd*, hd*), in the order their kernel names are handed out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class SysCalls;

inline constexpr const char* kSysBlockFolder = "/sys/block";

// "sd" or "hd" followed by letters only: a whole disk, never a partition,
// loop, ram, zram, dm-, md, nvme, vd or sr device.
bool IsNumberedDisk(std::string_view name);

// Keeps the numbered disks, shortest name first, then by name, so that
// sdz comes before sdaa; drive number n is element n.
std::vector<std::string> OrderDisks(std::vector<std::string> names);

// "nvme<c>n<ns>": an NVMe namespace (a whole disk, never a partition).
bool IsNvmeDisk(std::string_view name);
// How many NVMe disks `folder` lists.
int CountNvmeDisks(SysCalls& sys, const std::string& folder = kSysBlockFolder);

// The ordered disks of `folder`; empty when it cannot be read.
std::vector<std::string> ListDisks(SysCalls& sys, const std::string& folder = kSysBlockFolder);

// Whole disks that are neither ATA/SCSI nor NVMe: virtio and Xen disks.
bool IsOtherWholeDisk(std::string_view name);

enum class DiskKind { Ata, Nvme, Other };

// One drive of the per-drive path.
struct DiskNode {
  std::string block;   // its (first) /sys/block name: "sda", "nvme0n1", "vda"
  std::string device;  // its node under /dev: "sda", "nvme0" (the controller), "vda"
  DiskKind kind = DiskKind::Ata;
};

// The drive numbering: the ATA and SCSI disks in OrderDisks' order, then
// one drive per NVMe controller (by controller number, named by its lowest
// namespace), then the other whole disks, which answer neither command set.
std::vector<DiskNode> OrderDrives(const std::vector<std::string>& names);
std::vector<DiskNode> ListDrives(SysCalls& sys, const std::string& folder = kSysBlockFolder);

// How a disk is attached, from where /sys/block/<block> leads: "USB",
// "NVMe", "virtio", "ATA" (libata; SATA or PATA is told by IDENTIFY),
// "PATA" (the old IDE driver), "SCSI"; empty when the link cannot be read.
std::string TransportFromSysPath(std::string_view resolvedPath, std::string_view block);
std::string DiskTransport(const std::string& folder, const std::string& block);

}  // namespace torvel
