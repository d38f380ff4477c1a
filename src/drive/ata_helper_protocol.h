// The wire format between torvel-ata and its clients. Pure functions over
// bytes, shared by both sides so there is one definition of what the helper
// accepts.
//
// Request: argv "torvel-ata DRIVE COMMAND" and, on standard input, exactly
// the 32-byte request block the channel builds for that command and drive.
// The block must match the whitelisted registers byte for byte; the helper
// then builds its own copy and sends that, never the caller's bytes.
//
// Reply on standard output, one frame (little-endian):
//   0  "TATA"   4  version 1   5  success 0/1   6  two zero bytes
//   8  errno (0 on success)    12 reply length   16 the reply bytes
// A successful frame carries exactly the command's reply size; a failed one
// carries none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drive/ata_types.h"
#include "drive/commands.h"

namespace torvel::helper {

inline constexpr const char* kProgramName = "torvel-ata";
inline constexpr int kDriveCount = 24;  // drive numbers 0 to 23, as the channel probes
inline constexpr std::size_t kArgumentCount = 2;
inline constexpr std::size_t kMaxArgumentLength = 32;
inline constexpr std::size_t kMaxRequestInput = kRequestSize;

inline constexpr std::array<std::uint8_t, 4> kFrameMagic = {'T', 'A', 'T', 'A'};
inline constexpr std::uint8_t kFrameVersion = 1;
inline constexpr std::size_t kFrameHeaderSize = 16;
// The longest reply: an NVMe Identify page.
inline constexpr std::size_t kMaxReplySize = kNvmeIdentifyReplySize;
inline constexpr std::size_t kMaxFrameSize = kFrameHeaderSize + kMaxReplySize;

// Exit statuses of the helper.
inline constexpr int kExitAnswered = 0;  // a frame is on standard output
inline constexpr int kExitFailed = 1;    // the frame could not be written
inline constexpr int kExitRefused = 2;   // the request broke a rule; nothing was sent

struct Request {
  int drive = 0;
  DriveCommand command{};
  bool operator==(const Request&) const = default;
};

// Every accepted command, in a fixed order: the ATA commands, then the
// three NVMe admin commands, which only read.
inline constexpr std::array<DriveCommand, 10> kWhitelist = {
    DriveCommand::IdentifyDevice,         DriveCommand::IdentifyPacketDevice,
    DriveCommand::SmartEnable,            DriveCommand::SmartReturnStatus,
    DriveCommand::SmartReadData,          DriveCommand::SmartReadThresholds,
    DriveCommand::CheckPowerMode,         DriveCommand::NvmeIdentifyController,
    DriveCommand::NvmeIdentifyNamespace,  DriveCommand::NvmeSmartLog,
};

// "identify", "identify-packet", "enable", "status", "read-data",
// "read-thresholds", "power-mode", "nvme-identify-controller",
// "nvme-identify-namespace", "nvme-smart-log".
const char* CommandName(DriveCommand command);
std::optional<DriveCommand> CommandFromName(std::string_view name);

// Decimal 0 to 23 without sign, spaces or leading zeros; nullopt otherwise.
std::optional<int> ParseDriveNumber(std::string_view text);

struct ParsedRequest {
  std::optional<Request> request;
  std::string error;  // why it was refused, when request is empty
};

// `args` are the arguments after the program name; `input` is all of
// standard input (the caller reads at most kMaxRequestInput + 1 bytes).
ParsedRequest ParseRequest(std::span<const std::string_view> args,
                           std::span<const std::uint8_t> input);

// The channel's request block for a command: what the client writes and the
// only block the helper accepts for it.
std::array<std::uint8_t, kRequestSize> RequestBytes(const Request& request);
std::array<std::string, kArgumentCount> RequestArguments(const Request& request);

// Which request a channel call on `drive` carries: the whitelisted block
// under its own control code, or nullopt.
std::optional<Request> RequestFromBlock(int drive, ControlCode code,
                                        std::span<const std::uint8_t> block);

struct Reply {
  bool ok = false;
  std::uint32_t error = 0;          // errno when !ok
  std::vector<std::uint8_t> bytes;  // the command's reply when ok
};

std::vector<std::uint8_t> EncodeReply(const Reply& reply);

struct DecodedReply {
  std::optional<Reply> reply;
  std::string error;
};

// Checks the frame against the command it answers: exact length, the
// command's reply size on success, a non-zero errno on failure.
DecodedReply DecodeReply(std::span<const std::uint8_t> frame, DriveCommand command);

}  // namespace torvel::helper
