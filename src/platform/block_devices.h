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

}  // namespace torvel
