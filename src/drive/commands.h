// The six ATA commands the system sends, each as one row of register values.
#pragma once

#include <cstdint>

#include "drive/ata_types.h"

namespace torvel {

enum class DriveCommand {
  IdentifyDevice,
  IdentifyPacketDevice,
  SmartEnable,
  SmartReturnStatus,
  SmartReadData,
  SmartReadThresholds,
};

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
  }
  return {};
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
