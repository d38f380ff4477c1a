// The commands the system sends, each as one row of register values: the
// ATA commands, then the NVMe admin commands (opcode in `command`, CNS or
// log page id in `features`).
#pragma once

#include <cstdint>

#include "drive/ata_types.h"
#include "drive/nvme.h"

namespace torvel {

enum class DriveCommand {
  IdentifyDevice,
  IdentifyPacketDevice,
  SmartEnable,
  SmartReturnStatus,
  SmartReadData,
  SmartReadThresholds,
  CheckPowerMode,
  NvmeIdentifyController,
  NvmeIdentifyNamespace,
  NvmeSmartLog,
};

inline constexpr DriveCommand kAllCommands[] = {
    DriveCommand::IdentifyDevice,   DriveCommand::IdentifyPacketDevice,
    DriveCommand::SmartEnable,      DriveCommand::SmartReturnStatus,
    DriveCommand::SmartReadData,    DriveCommand::SmartReadThresholds,
    DriveCommand::CheckPowerMode,   DriveCommand::NvmeIdentifyController,
    DriveCommand::NvmeIdentifyNamespace, DriveCommand::NvmeSmartLog,
};

constexpr bool IsNvmeCommand(DriveCommand c) {
  return c == DriveCommand::NvmeIdentifyController || c == DriveCommand::NvmeIdentifyNamespace ||
         c == DriveCommand::NvmeSmartLog;
}

struct CommandRow {
  ControlCode code;
  std::uint32_t bufferSize;
  std::uint8_t features;
  std::uint8_t cylLow;
  std::uint8_t cylHigh;
  std::uint8_t command;
  std::size_t replySize;
};

constexpr CommandRow RowOf(DriveCommand c) {
  using enum DriveCommand;
  switch (c) {
    case IdentifyDevice:
      return {ControlCode::SmartRcvDriveData, 512, 0, 0, 0, ata::kIdentifyDevice, kDataReplySize};
    case IdentifyPacketDevice:
      return {ControlCode::SmartRcvDriveData, 512, 0, 0, 0, ata::kIdentifyPacketDevice,
              kDataReplySize};
    case SmartEnable:
      return {ControlCode::SmartSendDriveCommand, 0, ata::kSmartEnable, ata::kSmartCylLow,
              ata::kSmartCylHigh, ata::kSmart, kNoDataReplySize};
    case SmartReturnStatus:
      return {ControlCode::SmartSendDriveCommand, 0, ata::kSmartReturnStatus, ata::kSmartCylLow,
              ata::kSmartCylHigh, ata::kSmart, kStatusReplySize};
    case SmartReadData:
      return {ControlCode::SmartRcvDriveData, 512, ata::kSmartReadData, ata::kSmartCylLow,
              ata::kSmartCylHigh, ata::kSmart, kDataReplySize};
    case SmartReadThresholds:
      return {ControlCode::SmartRcvDriveData, 512, ata::kSmartReadThresholds, ata::kSmartCylLow,
              ata::kSmartCylHigh, ata::kSmart, kDataReplySize};
    case CheckPowerMode:
      return {ControlCode::SmartSendDriveCommand, 0, 0, 0, 0, ata::kCheckPowerMode, kStatusReplySize};
    case NvmeIdentifyController:
      return {ControlCode::NvmeAdminCommand, 4096, nvme::kCnsController, 0, 0, nvme::kAdminIdentify,
              kNvmeIdentifyReplySize};
    case NvmeIdentifyNamespace:
      return {ControlCode::NvmeAdminCommand, 4096, nvme::kCnsNamespace, 0, 0, nvme::kAdminIdentify,
              kNvmeIdentifyReplySize};
    case NvmeSmartLog:
      return {ControlCode::NvmeAdminCommand, 512, nvme::kLogSmartHealth, 0, 0, nvme::kAdminGetLogPage,
              kDataReplySize};
  }
  return {};
}

// What an NVMe admin command of the list puts in the controller's command.
struct NvmeAdminFields {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::uint32_t cdw10 = 0;
  std::uint32_t dataLength = 0;
};
// Zero fields for a command that is not an NVMe one.
constexpr NvmeAdminFields NvmeAdminFor(DriveCommand c) {
  switch (c) {
    case DriveCommand::NvmeIdentifyController:
      return {nvme::kAdminIdentify, 0, nvme::kCnsController, nvme::kIdentifySize};
    case DriveCommand::NvmeIdentifyNamespace:
      return {nvme::kAdminIdentify, nvme::kFirstNamespace, nvme::kCnsNamespace, nvme::kIdentifySize};
    case DriveCommand::NvmeSmartLog:
      // NUMDL: the number of dwords, less one, in bits 16-31.
      return {nvme::kAdminGetLogPage, nvme::kAllNamespaces,
              nvme::kLogSmartHealth | ((nvme::kSmartLogSize / 4 - 1) << 16), nvme::kSmartLogSize};
    default: return {};
  }
}

// Drive/head: master for even drive numbers, slave for odd ones.
constexpr std::uint8_t DriveHeadFor(int driveNumber) {
  return (driveNumber & 1) ? ata::kSlave : ata::kMaster;
}

// The request block of a command: the row, sector count and number 1,
// drive/head and drive number; every other byte zero.
RequestBlock BuildRequest(DriveCommand command, int driveNumber);

// Which command a request block carries; false for anything else.
bool ClassifyRequest(const RequestBlock& request, DriveCommand& command);

enum class StatusVerdict { None, Good, ThresholdExceeded };

// The verdict of S.M.A.R.T. RETURN STATUS from the registers the drive returned.
StatusVerdict VerdictFromRegisters(const IdeRegs& returned);

}  // namespace torvel
