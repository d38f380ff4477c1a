// Linux backend: drive n is the n-th whole ATA/SCSI disk of /sys/block,
// reached with SG_IO and SCSI ATA PASS-THROUGH(16).
#pragma once

#include <memory>

#include "drive/backend.h"

namespace torvel {

class SysCalls;

std::unique_ptr<DriveBackend> MakeSgioBackend();

}  // namespace torvel
