#include "drive/channel.h"

#include <cstdio>
#include <string>

#include "base/debug_trace.h"
#include "platform/system_info.h"

namespace torvel {

int PerDriveNumberFromName(std::string_view name) {
  constexpr std::string_view prefix = "\\\\.\\PhysicalDrive";
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
  int n = 0;
  for (char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9' || n > 1000) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

DeviceChannel::DeviceChannel(DriveBackend& backend, const SystemInfo& system, TraceLog& trace)
    : backend_(backend), system_(system), trace_(trace) {}

DeviceChannel::~DeviceChannel() { CloseDrives(); }

DeviceHandle DeviceChannel::handle(int driveNumber) const {
  if (driveNumber < 0 || driveNumber >= kHandleSlots) return kNoHandle;
  return handles_[static_cast<std::size_t>(driveNumber)];
}

void DeviceChannel::SelectPath() {
  const OsVersionInfo v = system_.GetVersionEx();
  if (v.platformId == kPlatformWin9x) {
    probeCount_ = kSharedProbeCount;
    perDrive_ = false;
  } else if (v.platformId == kPlatformNT) {
    // Every NT generation has per-drive devices; the 9x shared device does
    // not exist there, so falling back to it would find no drive at all.
    probeCount_ = kPerDriveProbeCount;
    perDrive_ = true;
  }
}

DeviceHandle DeviceChannel::OpenDrives() {
  if (handles_[0] != kNoHandle) CloseDrives();
  for (int n = 0; n < probeCount_; ++n) handles_[static_cast<std::size_t>(n)] = kNoHandle;
  openedCount_ = 0;

  if (perDrive_) {
    for (int n = 0; n < probeCount_; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, kPerDriveNameFormat, n);
      const DeviceHandle h = backend_.Open(name);
      if (h == kInvalidHandle || h == kNoHandle) continue;
      handles_[static_cast<std::size_t>(n)] = h;
      trace_.DebugTrace("Physical drive %d opened successfully\n", n);
      ++openedCount_;
    }
    return handles_[0];
  }

  const DeviceHandle h = backend_.Open(kSharedDeviceName);
  if (h == kInvalidHandle || h == kNoHandle) {
    trace_.DebugTrace("Unable to open SMARTVSD, error code: 0x%lX\n",
                      static_cast<unsigned long>(backend_.LastError()));
    return kInvalidHandle;
  }
  trace_.DebugTrace("Windows 95/98/Me - SMARTVSD opened successfully\n");
  for (int n = 0; n < probeCount_; ++n) handles_[static_cast<std::size_t>(n)] = h;
  return h;
}

void DeviceChannel::QueryVersion(DeviceHandle h) {
  version_ = VersionReply{};
  std::array<std::uint8_t, sizeof(VersionReply)> reply{};
  if (h == kNoHandle || h == kInvalidHandle ||
      !backend_.Control(h, ControlCode::SmartGetVersion, {}, reply)) {
    trace_.DebugTrace("DFP_GET_VERSION failed.\n");
    return;
  }
  version_ = LoadBlock<VersionReply>(reply);
}

void DeviceChannel::CloseDrives() {
  if (perDrive_) {
    for (DeviceHandle& h : handles_) {
      if (h != kNoHandle) backend_.Close(h);
      h = kNoHandle;
    }
    return;
  }
  if (handles_[0] == kNoHandle) return;
  backend_.Close(handles_[0]);
  handles_.fill(kNoHandle);
  trace_.DebugTrace("SMARTVSD.VXD closed!\n");
}

bool DeviceChannel::Send(DriveCommand command, int driveNumber, std::span<std::uint8_t> reply) {
  const DeviceHandle h = handle(driveNumber);
  // No device at this number: the platform call would fail on the null handle.
  if (h == kNoHandle || h == kInvalidHandle) return false;
  const RequestBlock request = BuildRequest(command, driveNumber);
  std::array<std::uint8_t, kRequestSize> bytes{};
  StoreBlock(request, bytes);
  return backend_.Control(h, RowOf(command).code, bytes, reply);
}

bool DeviceChannel::ReceiveData(DriveCommand command, int driveNumber, DataReply& reply) {
  reply.fill(0);
  if (Send(command, driveNumber, reply)) return true;
  reply.fill(0);  // a failed read must not leave half a sector behind
  return false;
}

bool DeviceChannel::EnableSmart(int driveNumber) {
  std::array<std::uint8_t, kNoDataReplySize> reply{};
  return Send(DriveCommand::SmartEnable, driveNumber, reply);
}

StatusVerdict DeviceChannel::ReturnStatus(int driveNumber) {
  statusReply_.fill(0);
  if (!Send(DriveCommand::SmartReturnStatus, driveNumber, statusReply_))
    return StatusVerdict::None;
  const auto regs = LoadBlock<IdeRegs>(std::span(statusReply_).subspan(kReplyHeaderSize));
  return VerdictFromRegisters(regs);
}

bool DeviceChannel::Identify(int driveNumber, std::uint8_t command) {
  return ReceiveData(command == ata::kIdentifyPacketDevice ? DriveCommand::IdentifyPacketDevice
                                                           : DriveCommand::IdentifyDevice,
                     driveNumber, identifyReply_);
}

bool DeviceChannel::ReadSmartData(int driveNumber) {
  return ReceiveData(DriveCommand::SmartReadData, driveNumber, dataReply_);
}

bool DeviceChannel::ReadThresholds(int driveNumber) {
  return ReceiveData(DriveCommand::SmartReadThresholds, driveNumber, thresholdReply_);
}

DeviceChannel::Power DeviceChannel::CheckPowerMode(int driveNumber) {
  std::array<std::uint8_t, kStatusReplySize> reply{};
  if (!Send(DriveCommand::CheckPowerMode, driveNumber, reply)) return Power::Unknown;
  const auto regs = LoadBlock<IdeRegs>(std::span(reply).subspan(kReplyHeaderSize));
  return regs.sectorCount == ata::kPowerStandby ? Power::Standby : Power::Active;
}

bool DeviceChannel::NvmeIdentify(int driveNumber) {
  nvmeController_.fill(0);
  nvmeNamespace_.fill(0);
  if (!Send(DriveCommand::NvmeIdentifyController, driveNumber, nvmeController_)) {
    nvmeController_.fill(0);
    return false;
  }
  // Without namespace 1 (none made yet) the controller's capacity is used.
  if (!Send(DriveCommand::NvmeIdentifyNamespace, driveNumber, nvmeNamespace_))
    nvmeNamespace_.fill(0);
  return true;
}

bool DeviceChannel::NvmeReadSmartLog(int driveNumber) {
  return ReceiveData(DriveCommand::NvmeSmartLog, driveNumber, nvmeLog_);
}

DriveLocation DeviceChannel::Locate(int driveNumber) {
  if (!perDrive_) return {};
  char name[64];
  std::snprintf(name, sizeof name, kPerDriveNameFormat, driveNumber);
  return backend_.Locate(name);
}

}  // namespace torvel
