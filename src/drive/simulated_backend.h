// Simulated drives: a folder per drive number holding the sectors the drive
// would send. Files are read at every command, so a drive can change between
// two refreshes. The folder layout is described in docs/design-notes.md.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "drive/backend.h"
#include "drive/commands.h"

namespace torvel {

class SimulatedBackend final : public DriveBackend {
 public:
  explicit SimulatedBackend(std::filesystem::path folder);

  DeviceHandle Open(std::string_view deviceName) override;
  bool Control(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
               std::span<std::uint8_t> reply) override;
  void Close(DeviceHandle handle) override;
  DriveLocation Locate(std::string_view deviceName) override;
  std::vector<std::string> DisksBeyond(int count) override;
  std::uint32_t LastError() const override { return lastError_; }

  // The name a command has in a drive's "fail" file.
  static const char* FailName(DriveCommand command);

 private:
  static constexpr DeviceHandle kSharedHandle = 1000;
  std::filesystem::path DriveFolder(int n) const;
  bool Fails(int n, std::string_view commandName) const;
  bool IsPacket(int n) const;
  bool IsNvme(int n) const;
  bool InStandby(int n) const;
  bool ReadPage(int n, const char* file, std::size_t size, std::span<std::uint8_t> reply);
  bool Fail(int error);

  std::filesystem::path folder_;
  std::uint32_t lastError_ = 0;
};

}  // namespace torvel
