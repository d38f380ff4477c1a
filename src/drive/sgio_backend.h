// Linux backend: drive n is the n-th whole ATA/SCSI disk of /sys/block,
// reached with SG_IO and SCSI ATA PASS-THROUGH(16).
#pragma once

#include <memory>
#include <string>

#include "drive/backend.h"

namespace torvel {

class SysCalls;

// SG_IO needs no write access, and closing a disk opened for writing makes
// udev re-probe it (and can spin up a sleeping drive).
int SgioOpenFlags();

// Commands that have not finished after this long are abandoned by the kernel.
inline constexpr unsigned kSgioTimeoutMs = 10'000;

std::unique_ptr<DriveBackend> MakeSgioBackend();

// `sysBlockFolder` is listed for the disk names, `devFolder` holds their nodes.
std::unique_ptr<DriveBackend> MakeSgioBackend(SysCalls& sys, std::string sysBlockFolder,
                                              std::string devFolder);

}  // namespace torvel
