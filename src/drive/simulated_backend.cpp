#include "drive/simulated_backend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text_out.h"

namespace torvel {
namespace fs = std::filesystem;

namespace {
constexpr int kMaxSimulatedDrives = 64;

std::string ReadSmallFile(const fs::path& p) {
  std::string bytes;
  if (!ReadWholeFile(p, bytes)) bytes.clear();
  return bytes;
}

std::string Trim(std::string s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}
}  // namespace

SimulatedBackend::SimulatedBackend(fs::path folder) : folder_(std::move(folder)) {}

const char* SimulatedBackend::FailName(DriveCommand command) {
  switch (command) {
    case DriveCommand::IdentifyDevice:
    case DriveCommand::IdentifyPacketDevice: return "identify";
    case DriveCommand::SmartEnable: return "enable";
    case DriveCommand::SmartReturnStatus: return "status";
    case DriveCommand::SmartReadData: return "read-data";
    case DriveCommand::SmartReadThresholds: return "read-thresholds";
    case DriveCommand::CheckPowerMode: return "power";
    case DriveCommand::NvmeIdentifyController: return "nvme-id-ctrl";
    case DriveCommand::NvmeIdentifyNamespace: return "nvme-id-ns";
    case DriveCommand::NvmeSmartLog: return "nvme-smart-log";
  }
  return "";
}

fs::path SimulatedBackend::DriveFolder(int n) const { return folder_ / std::to_string(n); }

bool SimulatedBackend::Fails(int n, std::string_view commandName) const {
  const std::string lines = ReadSmallFile(DriveFolder(n) / "fail");
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', at), lines.size());
    if (Trim(lines.substr(at, end - at)) == commandName) return true;
    at = end + 1;
  }
  return false;
}

bool SimulatedBackend::IsPacket(int n) const {
  std::error_code ec;
  return fs::exists(DriveFolder(n) / "packet", ec);
}

bool SimulatedBackend::IsNvme(int n) const {
  std::error_code ec;
  return fs::exists(DriveFolder(n) / "nvme-id-ctrl.bin", ec);
}

bool SimulatedBackend::InStandby(int n) const {
  return Trim(ReadSmallFile(DriveFolder(n) / "power")) == "standby";
}

DriveLocation SimulatedBackend::Locate(std::string_view deviceName) {
  const int n = PerDriveNumberFromName(deviceName);
  std::error_code ec;
  if (n < 0 || n >= kMaxSimulatedDrives || !fs::is_directory(DriveFolder(n), ec)) return {};
  DriveLocation where;
  where.device = DriveFolder(n).string();
  where.kind = IsNvme(n) ? DriveKind::Nvme : DriveKind::Ata;
  const std::string transport = Trim(ReadSmallFile(DriveFolder(n) / "transport"));
  where.transport = !transport.empty() ? transport : IsNvme(n) ? "NVMe" : "SATA";
  return where;
}

std::vector<std::string> SimulatedBackend::DisksBeyond(int count) {
  std::vector<std::string> out;
  std::error_code ec;
  for (int n = std::max(count, 0); n < kMaxSimulatedDrives; ++n)
    if (fs::is_directory(DriveFolder(n), ec)) out.push_back(DriveFolder(n).string());
  return out;
}

bool SimulatedBackend::ReadPage(int n, const char* file, std::size_t size,
                                std::span<std::uint8_t> reply) {
  const std::string bytes = ReadSmallFile(DriveFolder(n) / file);
  if (bytes.size() != size || reply.size() < kReplyHeaderSize + size) return Fail(EIO);
  const auto length = static_cast<std::uint32_t>(size);
  std::memcpy(reply.data(), &length, sizeof length);
  std::memcpy(reply.data() + kReplyHeaderSize, bytes.data(), size);
  return true;
}

bool SimulatedBackend::Fail(int error) {
  lastError_ = static_cast<std::uint32_t>(error);
  return false;
}

DeviceHandle SimulatedBackend::Open(std::string_view deviceName) {
  std::error_code ec;
  DeviceHandle h = kInvalidHandle;
  if (deviceName == kSharedDeviceName) {
    if (fs::is_directory(folder_, ec)) return kSharedHandle;
    lastError_ = ENOENT;
    return h;
  }
  const int n = PerDriveNumberFromName(deviceName);
  if (n < 0 || n >= kMaxSimulatedDrives || !fs::is_directory(DriveFolder(n), ec))
    lastError_ = ENOENT;
  else if (Fails(n, "open"))
    lastError_ = EACCES;
  else
    h = n + 1;
  return h;
}

void SimulatedBackend::Close(DeviceHandle) {}

bool SimulatedBackend::Control(DeviceHandle handle, ControlCode code,
                               std::span<const std::uint8_t> request,
                               std::span<std::uint8_t> reply) {
  if (code == ControlCode::SmartGetVersion) {
    if (handle != kSharedHandle || reply.size() < sizeof(VersionReply)) return Fail(EINVAL);
    VersionReply v{};
    v.version = 1;
    v.revision = 1;
    v.capabilities = 7;
    std::error_code ec;
    for (int n = 0; n < 4; ++n) {
      if (!fs::is_directory(DriveFolder(n), ec)) continue;
      v.ideDeviceMap = static_cast<std::uint8_t>(v.ideDeviceMap | (1u << n));
      if (IsPacket(n)) v.ideDeviceMap = static_cast<std::uint8_t>(v.ideDeviceMap | (1u << (n + 4)));
    }
    StoreBlock(v, reply);
    return true;
  }

  if (request.size() != kRequestSize) return Fail(EINVAL);
  const auto block = LoadBlock<RequestBlock>(request);
  DriveCommand command{};
  if (!ClassifyRequest(block, command) || RowOf(command).code != code ||
      reply.size() < RowOf(command).replySize)
    return Fail(EINVAL);

  const int n = handle == kSharedHandle ? block.driveNumber : static_cast<int>(handle - 1);
  std::error_code ec;
  if (n < 0 || n >= kMaxSimulatedDrives || !fs::is_directory(DriveFolder(n), ec))
    return Fail(ENODEV);
  if (Fails(n, FailName(command))) return Fail(EIO);

  // An NVMe controller takes only its admin commands, an ATA disk none.
  if (IsNvme(n) != IsNvmeCommand(command)) return Fail(ENOTTY);
  if (IsNvme(n)) {
    switch (command) {
      case DriveCommand::NvmeIdentifyController:
        return ReadPage(n, "nvme-id-ctrl.bin", nvme::kIdentifySize, reply);
      case DriveCommand::NvmeIdentifyNamespace:
        return ReadPage(n, "nvme-id-ns.bin", nvme::kIdentifySize, reply);
      default: return ReadPage(n, "nvme-smart-log.bin", nvme::kSmartLogSize, reply);
    }
  }
  if (command == DriveCommand::CheckPowerMode) {
    IdeRegs out{};
    out.sectorCount = InStandby(n) ? ata::kPowerStandby : 0xFF;
    out.driveHead = block.regs.driveHead;
    out.command = 0x50;
    StoreBlock(out, reply.subspan(kReplyHeaderSize));
    return true;
  }
  // Any other command spins a sleeping disk up; the test sees it.
  if (InStandby(n)) WriteWholeFile(DriveFolder(n) / "woken", "\n");

  // A packet device answers only IDENTIFY PACKET DEVICE; an ATA disk aborts it.
  const bool packet = IsPacket(n);
  if (packet != (command == DriveCommand::IdentifyPacketDevice)) return Fail(EIO);

  switch (command) {
    case DriveCommand::IdentifyDevice:
    case DriveCommand::IdentifyPacketDevice: return ReadPage(n, "identify.bin", kSectorSize, reply);
    case DriveCommand::SmartReadData: return ReadPage(n, "smart-data.bin", kSectorSize, reply);
    case DriveCommand::SmartReadThresholds: return ReadPage(n, "smart-thresholds.bin", kSectorSize, reply);
    case DriveCommand::SmartEnable: return true;
    case DriveCommand::SmartReturnStatus: {
      const std::string status = Trim(ReadSmallFile(DriveFolder(n) / "status"));
      IdeRegs out{};
      out.sectorCount = 1;
      out.sectorNumber = 1;
      out.driveHead = block.regs.driveHead;
      out.command = 0x50;  // DRDY | DSC
      if (status.empty() || status == "good") {
        out.cylLow = ata::kSmartCylLow;
        out.cylHigh = ata::kSmartCylHigh;
      } else if (status == "tec") {
        out.cylLow = ata::kTecCylLow;
        out.cylHigh = ata::kTecCylHigh;
      }
      StoreBlock(out, reply.subspan(kReplyHeaderSize));
      return true;
    }
    default: break;
  }
  return Fail(EINVAL);
}

}  // namespace torvel
