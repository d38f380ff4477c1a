#include "drive/ata_helper_protocol.h"

#include <algorithm>
#include <cstdio>

namespace torvel::helper {
namespace {

struct Named {
  DriveCommand command;
  const char* name;
};

constexpr std::array<Named, 10> kNames = {{
    {DriveCommand::IdentifyDevice, "identify"},
    {DriveCommand::IdentifyPacketDevice, "identify-packet"},
    {DriveCommand::SmartEnable, "enable"},
    {DriveCommand::SmartReturnStatus, "status"},
    {DriveCommand::SmartReadData, "read-data"},
    {DriveCommand::SmartReadThresholds, "read-thresholds"},
    {DriveCommand::CheckPowerMode, "power-mode"},
    {DriveCommand::NvmeIdentifyController, "nvme-identify-controller"},
    {DriveCommand::NvmeIdentifyNamespace, "nvme-identify-namespace"},
    {DriveCommand::NvmeSmartLog, "nvme-smart-log"},
}};

// What each byte of the request block is, for a refusal that says which
// register was changed.
const char* FieldAt(std::size_t offset) {
  static constexpr const char* kRegisters[] = {
      "features register", "sector count register", "sector number register",
      "cylinder low register", "cylinder high register", "drive/head register",
      "command register", "reserved register byte"};
  if (offset < 4) return "buffer size";
  if (offset < 12) return kRegisters[offset - 4];
  if (offset == 12) return "drive number";
  return "reserved byte";
}

// Caller-supplied text in a message: printable ASCII only, so a refusal
// cannot put control characters on someone's terminal.
std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (unsigned char c : text.substr(0, kMaxArgumentLength)) {
    if (c >= 0x20 && c < 0x7F && c != '\'') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "'";
}

std::string AllNames() {
  std::string out;
  for (const Named& n : kNames) out += (out.empty() ? "" : ", ") + std::string(n.name);
  return out;
}

ParsedRequest Refuse(std::string why) { return {std::nullopt, std::move(why)}; }

std::uint32_t LoadLe32(std::span<const std::uint8_t> b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void StoreLe32(std::uint32_t v, std::span<std::uint8_t> b) {
  for (std::size_t i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

DecodedReply Bad(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

const char* CommandName(DriveCommand command) {
  for (const Named& n : kNames)
    if (n.command == command) return n.name;
  return "";
}

std::optional<DriveCommand> CommandFromName(std::string_view name) {
  for (const Named& n : kNames)
    if (name == n.name) return n.command;
  return std::nullopt;
}

std::optional<int> ParseDriveNumber(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  if (text.size() == 2 && text[0] == '0') return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n >= kDriveCount) return std::nullopt;
  return n;
}

ParsedRequest ParseRequest(std::span<const std::string_view> args,
                           std::span<const std::uint8_t> input) {
  if (args.size() != kArgumentCount)
    return Refuse("expected 2 arguments, DRIVE and COMMAND; got " + std::to_string(args.size()));
  for (std::string_view a : args)
    if (a.size() > kMaxArgumentLength) return Refuse("argument longer than 32 bytes");

  const std::optional<int> drive = ParseDriveNumber(args[0]);
  if (!drive) return Refuse("drive number must be 0 to 23, not " + Quoted(args[0]));
  const std::optional<DriveCommand> command = CommandFromName(args[1]);
  if (!command) return Refuse("unknown command " + Quoted(args[1]) + " (one of " + AllNames() + ")");

  if (input.size() > kMaxRequestInput)
    return Refuse("request block longer than " + std::to_string(kRequestSize) + " bytes");
  if (input.size() != kRequestSize)
    return Refuse("request block of " + std::to_string(input.size()) + " bytes, expected " +
                  std::to_string(kRequestSize));

  const Request request{*drive, *command};
  const auto expected = RequestBytes(request);
  const auto diff = std::mismatch(expected.begin(), expected.end(), input.begin());
  if (diff.first != expected.end()) {
    const auto at = static_cast<std::size_t>(diff.first - expected.begin());
    char detail[96];
    std::snprintf(detail, sizeof detail, "request byte %zu (%s) is 0x%02X, expected 0x%02X", at,
                  FieldAt(at), *diff.second, *diff.first);
    return Refuse(std::string(detail) + " for " + CommandName(*command) + " on drive " +
                  std::to_string(*drive));
  }
  return {request, {}};
}

std::array<std::uint8_t, kRequestSize> RequestBytes(const Request& request) {
  std::array<std::uint8_t, kRequestSize> bytes{};
  StoreBlock(BuildRequest(request.command, request.drive), bytes);
  return bytes;
}

std::array<std::string, kArgumentCount> RequestArguments(const Request& request) {
  return {std::to_string(request.drive), CommandName(request.command)};
}

std::optional<Request> RequestFromBlock(int drive, ControlCode code,
                                        std::span<const std::uint8_t> block) {
  if (drive < 0 || drive >= kDriveCount || block.size() != kRequestSize) return std::nullopt;
  DriveCommand command{};
  if (!ClassifyRequest(LoadBlock<RequestBlock>(block), command)) return std::nullopt;
  const Request request{drive, command};
  const auto expected = RequestBytes(request);
  if (RowOf(command).code != code || !std::equal(expected.begin(), expected.end(), block.begin()))
    return std::nullopt;
  return request;
}

std::vector<std::uint8_t> EncodeReply(const Reply& reply) {
  const std::size_t length = reply.ok ? std::min(reply.bytes.size(), kMaxReplySize) : 0;
  std::vector<std::uint8_t> frame(kFrameHeaderSize + length, 0);
  std::copy(kFrameMagic.begin(), kFrameMagic.end(), frame.begin());
  frame[4] = kFrameVersion;
  frame[5] = reply.ok ? 1 : 0;
  StoreLe32(reply.ok ? 0 : reply.error, std::span(frame).subspan(8, 4));
  StoreLe32(static_cast<std::uint32_t>(length), std::span(frame).subspan(12, 4));
  std::copy_n(reply.bytes.begin(), length, frame.begin() + kFrameHeaderSize);
  return frame;
}

DecodedReply DecodeReply(std::span<const std::uint8_t> frame, DriveCommand command) {
  if (frame.size() < kFrameHeaderSize) return Bad("reply frame of " + std::to_string(frame.size()) + " bytes");
  if (frame.size() > kMaxFrameSize) return Bad("reply frame longer than " + std::to_string(kMaxFrameSize) + " bytes");
  if (!std::equal(kFrameMagic.begin(), kFrameMagic.end(), frame.begin()) || frame[4] != kFrameVersion)
    return Bad("not a torvel-ata reply frame");
  if (frame[5] > 1 || frame[6] != 0 || frame[7] != 0) return Bad("reply frame with bad flag bytes");
  const bool ok = frame[5] == 1;
  const std::uint32_t error = LoadLe32(frame.subspan(8, 4));
  const std::uint32_t length = LoadLe32(frame.subspan(12, 4));
  if (length != frame.size() - kFrameHeaderSize) return Bad("reply frame length does not match");
  if (ok && (error != 0 || length != RowOf(command).replySize))
    return Bad("reply of " + std::to_string(length) + " bytes for " + CommandName(command));
  if (!ok && (error == 0 || length != 0)) return Bad("failure frame without errno or with data");

  Reply reply;
  reply.ok = ok;
  reply.error = error;
  reply.bytes.assign(frame.begin() + kFrameHeaderSize, frame.end());
  return {std::move(reply), {}};
}

}  // namespace torvel::helper
