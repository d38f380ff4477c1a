#include "support/recording_backend.h"

#include <cstring>

namespace torvel::test {

DeviceHandle RecordingBackend::Open(std::string_view deviceName) {
  openedNames.emplace_back(deviceName);
  if (deviceName == kSharedDeviceName) return sharedDeviceOpens ? kShared : kInvalidHandle;
  const int n = PerDriveNumberFromName(deviceName);
  if (n < 0 || n >= kDrives || !drives[static_cast<std::size_t>(n)] ||
      drives[static_cast<std::size_t>(n)]->openFails)
    return kInvalidHandle;
  return 100 + n;
}

bool RecordingBackend::Control(DeviceHandle handle, ControlCode code,
                               std::span<const std::uint8_t> request,
                               std::span<std::uint8_t> reply) {
  const bool ok = Answer(handle, code, request, reply);
  calls.push_back({handle, code, {request.begin(), request.end()}, reply.size(), ok});
  return ok;
}

bool RecordingBackend::Answer(DeviceHandle handle, ControlCode code,
                              std::span<const std::uint8_t> request,
                              std::span<std::uint8_t> reply) {
  if (code == ControlCode::SmartGetVersion) {
    if (handle != kShared) return false;
    VersionReply v{};
    for (int n = 0; n < 4; ++n) {
      const auto& d = drives[static_cast<std::size_t>(n)];
      if (!d) continue;
      v.ideDeviceMap = static_cast<std::uint8_t>(v.ideDeviceMap | (1u << n));
      if (d->packet) v.ideDeviceMap = static_cast<std::uint8_t>(v.ideDeviceMap | (1u << (n + 4)));
    }
    StoreBlock(v, reply);
    return true;
  }
  if (request.size() != kRequestSize) return false;
  const auto block = LoadBlock<RequestBlock>(request);
  DriveCommand command{};
  if (!ClassifyRequest(block, command) || RowOf(command).code != code) return false;
  const int n = handle == kShared ? block.driveNumber : static_cast<int>(handle - 100);
  if (n < 0 || n >= kDrives || !drives[static_cast<std::size_t>(n)]) return false;
  const ScriptedDrive& d = *drives[static_cast<std::size_t>(n)];
  if (d.failing.count(command)) return false;
  if (d.nvme != IsNvmeCommand(command)) return false;
  if (d.nvme) {
    const std::vector<std::uint8_t> log(d.nvmeLog.begin(), d.nvmeLog.end());
    const std::vector<std::uint8_t>& page = command == DriveCommand::NvmeIdentifyController ? d.nvmeController
                                          : command == DriveCommand::NvmeIdentifyNamespace ? d.nvmeNamespace
                                                                                           : log;
    if (reply.size() < kReplyHeaderSize + page.size()) return false;
    std::memcpy(reply.data() + kReplyHeaderSize, page.data(), page.size());
    return true;
  }
  if (command == DriveCommand::CheckPowerMode) {
    if (reply.size() < kStatusReplySize) return false;
    IdeRegs regs{0, d.powerMode, 0, 0, 0, 0xA0, 0x50, 0};
    StoreBlock(regs, reply.subspan(kReplyHeaderSize));
    return true;
  }
  if (d.packet != (command == DriveCommand::IdentifyPacketDevice)) return false;

  auto put = [&](const Sector& s) {
    if (reply.size() < kDataReplySize) return false;
    std::memcpy(reply.data() + kReplyHeaderSize, s.data(), s.size());
    return true;
  };
  switch (command) {
    case DriveCommand::IdentifyDevice:
    case DriveCommand::IdentifyPacketDevice: return put(d.identify);
    case DriveCommand::SmartReadData: return put(d.data);
    case DriveCommand::SmartReadThresholds: return put(d.thresholds);
    case DriveCommand::SmartEnable: return true;
    case DriveCommand::SmartReturnStatus:
      if (reply.size() < kStatusReplySize) return false;
      StoreBlock(d.statusRegs, reply.subspan(kReplyHeaderSize));
      return true;
    default: return false;
  }
}

DriveLocation RecordingBackend::Locate(std::string_view deviceName) {
  const int n = PerDriveNumberFromName(deviceName);
  if (n < 0 || n >= kDrives || !drives[static_cast<std::size_t>(n)]) return {};
  const bool nvme = drives[static_cast<std::size_t>(n)]->nvme;
  return {nvme ? "/dev/nvme" + std::to_string(n) : "/dev/sd" + std::string(1, char('a' + n)),
          nvme ? "NVMe" : "SATA", nvme ? DriveKind::Nvme : DriveKind::Ata};
}

std::vector<RequestBlock> RecordingBackend::Requests() const {
  std::vector<RequestBlock> out;
  for (const auto& c : calls)
    if (c.request.size() == kRequestSize) out.push_back(LoadBlock<RequestBlock>(c.request));
  return out;
}

}  // namespace torvel::test
