// What the channel needs from a platform: open a device by its name, send
// one control operation, close. Backends: SG_IO on Linux, simulated drive
// folders, and the recorder in the tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drive/ata_types.h"

namespace torvel {

using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kNoHandle = 0;
inline constexpr DeviceHandle kInvalidHandle = -1;

// Device names, as the channel formats them.
inline constexpr const char* kPerDriveNameFormat = "\\\\.\\PhysicalDrive%d";
inline constexpr const char* kSharedDeviceName = "\\\\.\\SMARTVSD";

enum class DriveKind { Unknown, Ata, Nvme };

// What the platform knows of a drive before any command: its device node,
// how it is attached and which commands it takes.
struct DriveLocation {
  std::string device;     // "/dev/sda"; empty when unknown
  std::string transport;  // "SATA", "PATA", "USB", "NVMe", ...; empty when unknown
  DriveKind kind = DriveKind::Unknown;
};

class DriveBackend {
 public:
  virtual ~DriveBackend() = default;

  // Where a per-drive device name leads; nothing known by default.
  virtual DriveLocation Locate(std::string_view /*deviceName*/) { return {}; }
  // The device nodes of whole disks numbered `count` and above, which the
  // tables have no room for.
  virtual std::vector<std::string> DisksBeyond(int /*count*/) { return {}; }

  // Returns kInvalidHandle when the device cannot be opened; LastError()
  // then says why (an errno value).
  virtual DeviceHandle Open(std::string_view deviceName) = 0;

  // `request` is the 32-byte request block (empty for SmartGetVersion);
  // `reply` is the caller's zeroed reply buffer of the operation's length.
  virtual bool Control(DeviceHandle handle, ControlCode code,
                       std::span<const std::uint8_t> request,
                       std::span<std::uint8_t> reply) = 0;

  virtual void Close(DeviceHandle handle) = 0;

  virtual std::uint32_t LastError() const = 0;
};

// Parses "\\.\PhysicalDriveN"; -1 for any other name.
int PerDriveNumberFromName(std::string_view deviceName);

}  // namespace torvel
