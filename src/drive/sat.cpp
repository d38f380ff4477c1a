#include "drive/sat.h"

#include <algorithm>
#include <cerrno>

namespace torvel::sat {
namespace {

// PROTOCOL field values (CDB byte 1, bits 4:1).
constexpr std::uint8_t kProtocolNonData = 3;
constexpr std::uint8_t kProtocolPioDataIn = 4;

// CDB byte 2 bits.
constexpr std::uint8_t kCkCond = 0x20;       // return the registers even on success
constexpr std::uint8_t kTDirFromDevice = 0x08;
constexpr std::uint8_t kBytBlokBlocks = 0x04;  // length counted in 512-byte blocks...
constexpr std::uint8_t kTLengthInCount = 0x02;  // ...given by the COUNT field

constexpr std::uint8_t kDescriptorSense = 0x72;
constexpr std::uint8_t kDescriptorSenseDeferred = 0x73;
constexpr std::uint8_t kFixedSense = 0x70;
constexpr std::uint8_t kFixedSenseDeferred = 0x71;

constexpr std::uint8_t kAtaStatusReturnCode = 0x09;
constexpr std::uint8_t kAtaStatusReturnLength = 0x0C;
constexpr std::size_t kDescriptorsStart = 8;

// "ATA PASS-THROUGH INFORMATION AVAILABLE".
constexpr std::uint8_t kAscPassThroughInfo = 0x00;
constexpr std::uint8_t kAscqPassThroughInfo = 0x1D;
constexpr std::size_t kFixedRegistersEnd = 14;  // fixed sense up to ASCQ

std::uint8_t ResponseCode(std::span<const std::uint8_t> sense) {
  return sense.empty() ? 0 : static_cast<std::uint8_t>(sense[0] & 0x7F);
}

// The sense bytes that are really there: what the kernel wrote, cut to
// what the header's ADDITIONAL SENSE LENGTH claims.
std::span<const std::uint8_t> ValidPart(std::span<const std::uint8_t> sense) {
  if (sense.size() < kDescriptorsStart) return sense.first(0);
  return sense.first(std::min(sense.size(), kDescriptorsStart + sense[7]));
}

std::optional<IdeRegs> FromStatusDescriptor(std::span<const std::uint8_t> sense) {
  const auto valid = ValidPart(sense);
  std::size_t at = kDescriptorsStart;
  // Each descriptor is code, additional length, then that many bytes.
  while (at + 2 <= valid.size()) {
    const std::size_t length = 2u + valid[at + 1];
    if (at + length > valid.size()) break;
    if (valid[at] == kAtaStatusReturnCode && valid[at + 1] == kAtaStatusReturnLength) {
      const auto d = valid.subspan(at, length);
      IdeRegs r{};
      r.features = d[3];      // ERROR
      r.sectorCount = d[5];   // COUNT (7:0)
      r.sectorNumber = d[7];  // LBA (7:0)
      r.cylLow = d[9];        // LBA (15:8)
      r.cylHigh = d[11];      // LBA (23:16)
      r.driveHead = d[12];    // DEVICE
      r.command = d[13];      // STATUS
      return r;
    }
    at += length;
  }
  return std::nullopt;
}

std::optional<IdeRegs> FromFixedSense(std::span<const std::uint8_t> sense) {
  const auto valid = ValidPart(sense);
  if (valid.size() < kFixedRegistersEnd) return std::nullopt;
  if (valid[12] != kAscPassThroughInfo || valid[13] != kAscqPassThroughInfo) return std::nullopt;
  IdeRegs r{};
  r.features = valid[3];      // INFORMATION byte 0: ERROR
  r.command = valid[4];       // STATUS
  r.driveHead = valid[5];     // DEVICE
  r.sectorCount = valid[6];   // COUNT (7:0)
  r.sectorNumber = valid[9];  // COMMAND-SPECIFIC INFORMATION: LBA (7:0)
  r.cylLow = valid[10];       // LBA (15:8)
  r.cylHigh = valid[11];      // LBA (23:16)
  return r;
}

Outcome Failed(int error, std::optional<IdeRegs> registers = std::nullopt) {
  return {false, error, registers};
}

}  // namespace

std::optional<PassThrough> Translate(ControlCode code, const RequestBlock& request) {
  DriveCommand command{};
  if (!ClassifyRequest(request, command) || IsNvmeCommand(command)) return std::nullopt;
  const CommandRow row = RowOf(command);
  const IdeRegs& g = request.regs;
  // ClassifyRequest leaves count, sector number and device open; they go to
  // the disk as they are, so they must be the values the channel builds. A
  // data-in count other than 1 would also ask for more than the 512 bytes.
  if (row.code != code || g.sectorCount != 1 || g.sectorNumber != 1 ||
      (g.driveHead != ata::kMaster && g.driveHead != ata::kSlave))
    return std::nullopt;

  const bool dataIn = code == ControlCode::SmartRcvDriveData;
  PassThrough p;
  p.command = command;
  p.direction = dataIn ? Direction::FromDevice : Direction::None;
  p.dataLength = dataIn ? kSectorSize : 0;
  p.replySize = row.replySize;

  Cdb& c = p.cdb;
  c[0] = kAtaPassThrough16;
  // MULTIPLE_COUNT (7:5) 0; PROTOCOL (4:1); EXTEND (0) 0: a 28-bit command.
  c[1] = static_cast<std::uint8_t>((dataIn ? kProtocolPioDataIn : kProtocolNonData) << 1);
  // OFF_LINE (7:6) 0; CK_COND (5); T_TYPE (4) 0; T_DIR (3); BYT_BLOK (2); T_LENGTH (1:0).
  // Data-in: one 512-byte block from the device, its count in COUNT.
  // Non-data: CK_COND so the registers (RETURN STATUS's verdict) come back.
  c[2] = dataIn ? static_cast<std::uint8_t>(kTDirFromDevice | kBytBlokBlocks | kTLengthInCount)
                : kCkCond;
  c[3] = 0;                 // FEATURES (15:8)
  c[4] = g.features;        // FEATURES (7:0)
  c[5] = 0;                 // COUNT (15:8)
  c[6] = g.sectorCount;     // COUNT (7:0)
  c[7] = 0;                 // LBA (31:24)
  c[8] = g.sectorNumber;    // LBA (7:0): sector number
  c[9] = 0;                 // LBA (39:32)
  c[10] = g.cylLow;         // LBA (15:8): cylinder low
  c[11] = 0;                // LBA (47:40)
  c[12] = g.cylHigh;        // LBA (23:16): cylinder high
  c[13] = g.driveHead;      // DEVICE: drive/head
  c[14] = g.command;        // COMMAND
  c[15] = 0;                // CONTROL
  return p;
}

std::optional<std::uint8_t> SenseKey(std::span<const std::uint8_t> sense) {
  switch (ResponseCode(sense)) {
    case kDescriptorSense:
    case kDescriptorSenseDeferred:
      if (sense.size() < 2) break;
      return static_cast<std::uint8_t>(sense[1] & 0x0F);
    case kFixedSense:
    case kFixedSenseDeferred:
      if (sense.size() < 3) break;
      return static_cast<std::uint8_t>(sense[2] & 0x0F);
    default: break;
  }
  return std::nullopt;
}

std::optional<IdeRegs> RegistersFromSense(std::span<const std::uint8_t> sense) {
  switch (ResponseCode(sense)) {
    case kDescriptorSense:
    case kDescriptorSenseDeferred: return FromStatusDescriptor(sense);
    case kFixedSense:
    case kFixedSenseDeferred: return FromFixedSense(sense);
    default: return std::nullopt;
  }
}

Outcome Judge(const PassThrough& command, const Exchange& x) {
  if (x.ioctlError != 0) return Failed(x.ioctlError);
  // The host adapter or the driver gave up: the device never answered.
  if (x.hostStatus != 0 || (x.driverStatus & ~kDriverSense) != 0) return Failed(EIO);
  if (x.scsiStatus != kScsiGood && x.scsiStatus != kScsiCheckCondition) return Failed(EIO);

  const bool check = x.scsiStatus == kScsiCheckCondition;
  const std::optional<IdeRegs> regs = check ? RegistersFromSense(x.sense) : std::nullopt;
  const std::optional<std::uint8_t> key = check ? SenseKey(x.sense) : std::nullopt;
  // A check condition counts as completion only when the sense key says the
  // command ran (CK_COND answers RECOVERED ERROR) and the device's own
  // status confirms it: no error, no device fault.
  const bool completedWithRegs =
      check && regs && key && (*key == kSenseNoSense || *key == kSenseRecoveredError) &&
      (regs->command & (kAtaStatusErr | kAtaStatusDf)) == 0;

  bool ok = false;
  switch (command.command) {
    case DriveCommand::SmartReturnStatus:
    case DriveCommand::CheckPowerMode:
      // The verdict lives in the registers: without them there is no answer.
      ok = completedWithRegs;
      break;
    case DriveCommand::SmartEnable:
      // GOOD means the command completed; a translator that ignores CK_COND
      // still enabled S.M.A.R.T., and ENABLE needs no registers.
      ok = !check || completedWithRegs;
      break;
    case DriveCommand::IdentifyDevice:
    case DriveCommand::IdentifyPacketDevice:
    case DriveCommand::SmartReadData:
    case DriveCommand::SmartReadThresholds:
      // A translator may complete a data-in command with informational
      // sense (NO SENSE, RECOVERED ERROR); the sector counts when the
      // device's own status confirms it. A short transfer is never a sector.
      ok = (!check || completedWithRegs) && x.resid == 0;
      break;
    case DriveCommand::NvmeIdentifyController:
    case DriveCommand::NvmeIdentifyNamespace:
    case DriveCommand::NvmeSmartLog: break;  // never translated
  }
  return ok ? Outcome{true, 0, regs} : Failed(EIO, regs);
}

void FillReply(const PassThrough& command, const Outcome& outcome, SectorView sector,
               std::span<std::uint8_t> reply) {
  const auto out = reply.first(command.replySize);
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  if (command.direction == Direction::FromDevice) {
    // cBufferSize, little-endian; DRIVERSTATUS stays zero: no error.
    out[0] = static_cast<std::uint8_t>(kSectorSize & 0xFF);
    out[1] = static_cast<std::uint8_t>((kSectorSize >> 8) & 0xFF);
    std::copy(sector.begin(), sector.end(), out.begin() + kReplyHeaderSize);
    return;
  }
  if ((command.command == DriveCommand::SmartReturnStatus ||
       command.command == DriveCommand::CheckPowerMode) &&
      outcome.registers) {
    IdeRegs regs = *outcome.registers;
    regs.reserved = 0;
    StoreBlock(regs, out.subspan(kReplyHeaderSize));
  }
}

}  // namespace torvel::sat
