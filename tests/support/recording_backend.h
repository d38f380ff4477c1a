// An in-memory backend that plays scripted drives and records every call,
// byte for byte, so tests can assert the exact requests of both paths.
#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drive/backend.h"
#include "drive/commands.h"

namespace torvel::test {

struct ScriptedDrive {
  bool packet = false;
  bool openFails = false;
  Sector identify{};
  Sector data{};
  Sector thresholds{};
  IdeRegs statusRegs{0, 1, 1, ata::kSmartCylLow, ata::kSmartCylHigh, 0xA0, 0x50, 0};
  // CHECK POWER MODE's sector count: 0xFF active, 0x00 standby.
  std::uint8_t powerMode = 0xFF;
  // An NVMe controller: it answers only the three admin reads.
  bool nvme = false;
  std::vector<std::uint8_t> nvmeController = std::vector<std::uint8_t>(4096, 0);
  std::vector<std::uint8_t> nvmeNamespace = std::vector<std::uint8_t>(4096, 0);
  Sector nvmeLog{};
  std::set<DriveCommand> failing;
};

struct RecordedCall {
  DeviceHandle handle;
  ControlCode code;
  std::vector<std::uint8_t> request;
  std::size_t replySize;
  bool succeeded;
};

class RecordingBackend final : public DriveBackend {
 public:
  static constexpr DeviceHandle kShared = 500;

  static constexpr int kDrives = 24;
  std::array<std::optional<ScriptedDrive>, kDrives> drives;
  bool sharedDeviceOpens = true;

  std::vector<std::string> openedNames;
  std::vector<RecordedCall> calls;
  std::vector<DeviceHandle> closed;

  DeviceHandle Open(std::string_view deviceName) override;
  bool Control(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
               std::span<std::uint8_t> reply) override;
  void Close(DeviceHandle handle) override { closed.push_back(handle); }
  std::uint32_t LastError() const override { return 2; }
  DriveLocation Locate(std::string_view deviceName) override;

  // Calls that carried a request block, decoded.
  std::vector<RequestBlock> Requests() const;

 private:
  bool Answer(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
              std::span<std::uint8_t> reply);
};

}  // namespace torvel::test
