// SCSI/ATA Translation for the SG_IO backend: request block -> ATA
// PASS-THROUGH(16) CDB, sense data -> returned registers, one exchange ->
// success or failure, and the Windows-shaped reply. Pure functions: no I/O,
// no Linux headers, so every byte rule is testable on its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "drive/ata_types.h"
#include "drive/commands.h"

namespace torvel::sat {

inline constexpr std::size_t kCdbSize = 16;
using Cdb = std::array<std::uint8_t, kCdbSize>;

inline constexpr std::uint8_t kAtaPassThrough16 = 0x85;

// SCSI status bytes and the parts of the Linux host/driver status we read.
inline constexpr std::uint8_t kScsiGood = 0x00;
inline constexpr std::uint8_t kScsiCheckCondition = 0x02;
inline constexpr std::uint16_t kDriverSense = 0x08;  // "sense was written": not an error

// Sense keys that report a completed command.
inline constexpr std::uint8_t kSenseNoSense = 0x00;
inline constexpr std::uint8_t kSenseRecoveredError = 0x01;

// ATA status register bits that mean the command did not complete.
inline constexpr std::uint8_t kAtaStatusErr = 0x01;
inline constexpr std::uint8_t kAtaStatusDf = 0x20;

enum class Direction { None, FromDevice };

// One request block, translated.
struct PassThrough {
  DriveCommand command{};
  Cdb cdb{};
  Direction direction = Direction::None;
  std::size_t dataLength = 0;  // bytes the device sends: 512 or 0
  std::size_t replySize = 0;   // what the caller's reply buffer must hold
};

// Only the ATA commands of the system, each under its own control code;
// nothing else reaches a disk (nullopt).
std::optional<PassThrough> Translate(ControlCode code, const RequestBlock& request);

// The sense key, for both sense formats; nullopt when the bytes are no sense.
std::optional<std::uint8_t> SenseKey(std::span<const std::uint8_t> sense);

// The device's registers carried by the sense data (ATA Status Return
// descriptor, or fixed format with ASC/ASCQ 00/1D), in IDEREGS order:
// features = error, command = status. nullopt when they are not there.
std::optional<IdeRegs> RegistersFromSense(std::span<const std::uint8_t> sense);

// What one SG_IO exchange reported.
struct Exchange {
  int ioctlError = 0;  // errno of the ioctl itself; 0 when it returned
  std::uint8_t scsiStatus = kScsiGood;
  std::uint16_t hostStatus = 0;
  std::uint16_t driverStatus = 0;
  std::span<const std::uint8_t> sense{};  // the bytes the kernel wrote, no more
  int resid = 0;                        // data bytes not transferred
};

struct Outcome {
  bool ok = false;
  int error = 0;  // errno-style reason when !ok
  std::optional<IdeRegs> registers;
};

Outcome Judge(const PassThrough& command, const Exchange& exchange);

// Writes the reply of a successful command the way the Windows interface
// shapes it. `reply` holds at least command.replySize bytes; bytes beyond
// that are left alone.
void FillReply(const PassThrough& command, const Outcome& outcome, SectorView sector,
               std::span<std::uint8_t> reply);

}  // namespace torvel::sat
