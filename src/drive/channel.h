// The device command channel: the only code that talks to a disk. It keeps
// the handle table and the reply buffers for the length of one refresh.
#pragma once

#include <array>
#include <cstdint>

#include "drive/ata_types.h"
#include "drive/backend.h"
#include "drive/commands.h"
#include "drive/drive_tables.h"

namespace torvel {

class SystemInfo;
class TraceLog;

class DeviceChannel {
 public:
  static constexpr int kHandleSlots = kMaxDrives;
  static constexpr int kPerDriveProbeCount = kMaxDrives;
  static constexpr int kSharedProbeCount = 8;

  DeviceChannel(DriveBackend& backend, const SystemInfo& system, TraceLog& trace);
  ~DeviceChannel();
  DeviceChannel(const DeviceChannel&) = delete;
  DeviceChannel& operator=(const DeviceChannel&) = delete;

  // Settles the access path and the probe count from the platform version.
  void SelectPath();
  // Returns the first handle-table entry, or kInvalidHandle when the shared
  // device cannot be opened.
  DeviceHandle OpenDrives();
  void QueryVersion(DeviceHandle handle);
  void CloseDrives();

  bool EnableSmart(int driveNumber);
  StatusVerdict ReturnStatus(int driveNumber);  // None also when the call fails
  bool Identify(int driveNumber, std::uint8_t command);
  bool ReadSmartData(int driveNumber);
  bool ReadThresholds(int driveNumber);
  enum class Power { Unknown, Active, Standby };
  // CHECK POWER MODE: the one command a sleeping disk answers without
  // spinning up. Unknown when it fails (old drives, bridges).
  Power CheckPowerMode(int driveNumber);
  bool NvmeIdentify(int driveNumber);  // controller, then namespace 1
  bool NvmeReadSmartLog(int driveNumber);
  // Where drive n is (asked of the platform, no command sent).
  DriveLocation Locate(int driveNumber);
  std::vector<std::string> DisksBeyondProbe() { return backend_.DisksBeyond(probeCount_); }
  // Why the last command failed (an errno value), as the backend says.
  std::uint32_t LastError() const { return backend_.LastError(); }

  bool perDrive() const { return perDrive_; }
  int probeCount() const { return probeCount_; }
  int openedCount() const { return openedCount_; }
  DeviceHandle handle(int driveNumber) const;
  std::uint8_t ideDeviceMap() const { return version_.ideDeviceMap; }

  SectorView identifySector() const { return SectorOf(identifyReply_); }
  SectorView dataSector() const { return SectorOf(dataReply_); }
  SectorView thresholdSector() const { return SectorOf(thresholdReply_); }
  const std::array<std::uint8_t, kStatusReplySize>& statusReply() const { return statusReply_; }
  NvmeIdentifyView nvmeController() const { return PageOf(nvmeController_); }
  NvmeIdentifyView nvmeNamespace() const { return PageOf(nvmeNamespace_); }
  NvmeLogView nvmeSmartLog() const { return SectorOf(nvmeLog_); }

 private:
  using DataReply = std::array<std::uint8_t, kDataReplySize>;
  static SectorView SectorOf(const DataReply& r) {
    return SectorView(r.data() + kReplyHeaderSize, kSectorSize);
  }
  using PageReply = std::array<std::uint8_t, kNvmeIdentifyReplySize>;
  static NvmeIdentifyView PageOf(const PageReply& r) {
    return NvmeIdentifyView(r.data() + kReplyHeaderSize, nvme::kIdentifySize);
  }
  bool Send(DriveCommand command, int driveNumber, std::span<std::uint8_t> reply);
  bool ReceiveData(DriveCommand command, int driveNumber, DataReply& reply);

  DriveBackend& backend_;
  const SystemInfo& system_;
  TraceLog& trace_;

  bool perDrive_ = false;
  int probeCount_ = kPerDriveProbeCount;
  std::array<DeviceHandle, kHandleSlots> handles_{};
  int openedCount_ = 0;
  VersionReply version_{};
  DataReply identifyReply_{};
  DataReply dataReply_{};
  DataReply thresholdReply_{};
  PageReply nvmeController_{};
  PageReply nvmeNamespace_{};
  DataReply nvmeLog_{};
  std::array<std::uint8_t, kStatusReplySize> statusReply_{};
};

}  // namespace torvel
