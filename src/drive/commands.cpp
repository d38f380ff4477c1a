#include "drive/commands.h"

namespace torvel {

RequestBlock BuildRequest(DriveCommand command, int driveNumber) {
  const CommandRow row = RowOf(command);
  RequestBlock r{};
  r.bufferSize = row.bufferSize;
  r.regs.features = row.features;
  r.regs.sectorCount = 1;
  r.regs.sectorNumber = 1;
  r.regs.cylLow = row.cylLow;
  r.regs.cylHigh = row.cylHigh;
  r.regs.driveHead = DriveHeadFor(driveNumber);
  r.regs.command = row.command;
  r.driveNumber = static_cast<std::uint8_t>(driveNumber);
  return r;
}

bool ClassifyRequest(const RequestBlock& request, DriveCommand& command) {
  for (DriveCommand c : kAllCommands) {
    const CommandRow row = RowOf(c);
    const IdeRegs& g = request.regs;
    if (g.command == row.command && g.features == row.features && g.cylLow == row.cylLow &&
        g.cylHigh == row.cylHigh && request.bufferSize == row.bufferSize) {
      command = c;
      return true;
    }
  }
  return false;
}

StatusVerdict VerdictFromRegisters(const IdeRegs& returned) {
  if (returned.cylLow == ata::kSmartCylLow && returned.cylHigh == ata::kSmartCylHigh)
    return StatusVerdict::Good;
  if (returned.cylLow == ata::kTecCylLow && returned.cylHigh == ata::kTecCylHigh)
    return StatusVerdict::ThresholdExceeded;
  return StatusVerdict::None;
}

}  // namespace torvel
