// The helper's capabilities, held no longer than each step needs them:
// CAP_SYS_RAWIO in the effective set for an ATA command, CAP_DAC_READ_SEARCH
// only in the permitted set and raised just around the open() of the disk,
// CAP_SYS_ADMIN likewise just around the NVME_IOCTL_ADMIN_CMD of one of the
// three NVMe reads, and nothing at all once the command is sent. Through
// the kernel's capget/capset, with no library.
#pragma once

#include <string>

namespace torvel::helper {

inline constexpr int kCapDacReadSearch = 2;
inline constexpr int kCapSysRawio = 17;
inline constexpr int kCapSysAdmin = 21;

// At start: the permitted set keeps only the three capabilities (of those
// the process has), the effective set only CAP_SYS_RAWIO, the inheritable
// set nothing. False when the kernel refuses.
bool KeepOnlyWhatTheCommandNeeds();
// CAP_DAC_READ_SEARCH in the effective set, while a disk is opened; a
// process that was not given it carries on without (the open then fails
// as it would have).
void RaiseOpenRight();
void LowerOpenRight();
// CAP_SYS_ADMIN in the effective set, around one NVMe admin command: the
// kernel lets no other right send one.
void RaiseNvmeRight();
void LowerNvmeRight();
// Every set emptied, for good.
bool DropAll();

// "CapEff:\t<hex>" of /proc/self/status, for the test mode; empty when it
// cannot be read.
std::string EffectiveSetLine();

}  // namespace torvel::helper
