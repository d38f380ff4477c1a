// How a window message travels between processes, and how the runtime
// folder names windows. Private to the window-message layer (and its tests).
//
// Request, one per connection, little-endian:
//   "TVWM"  uint32 version (1)  uint32 message  uint64 wParam  uint64 lParam
//   uint32 string count (at most 8), then per string: uint32 length and the
//   bytes; all strings together at most 64 KiB, far more than any message
//   of the protocol carries (the status summary is 256 bytes).
// Reply: int64 result. A request that breaks a rule is dropped unanswered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/window_messages.h"

namespace torvel::wire {

inline constexpr std::uint32_t kMagic = 0x4D575654;  // "TVWM" in file order
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::size_t kMaxStrings = 8;
// Of all strings of one message together (and so of each).
inline constexpr std::size_t kMaxStringBytes = std::size_t{64} << 10;
inline constexpr std::size_t kHeaderBytes = 4 + 4 + 4 + 8 + 8 + 4;
inline constexpr std::size_t kReplyBytes = 8;

// False when the message breaks the caps and cannot be sent.
bool Fits(const WindowMessage& message);
std::string EncodeRequest(const WindowMessage& message);

enum class Parse { kNeedMore, kComplete, kMalformed };
// Judges a request's bytes so far; rejects as soon as a cap is broken, so a
// peer cannot make the server buffer more than one well-formed request.
Parse ParseRequest(std::string_view bytes, WindowMessage& out);

std::string EncodeReply(std::int64_t result);
std::int64_t DecodeReply(std::string_view eightBytes);

// Entry names in the runtime folder.
//   w-<handle>                          the window's listening socket
//   n-<key>-<created>-<handle>          symlink naming it; the target holds
//                                       the hex class and title, "." between
// <key> hashes class and title; <created> (nanoseconds, wall clock) orders
// registrations so the newest wins. All fields are 16 hex digits.
std::string EndpointName(WindowHandle handle);
std::string NameKey(const std::string& className, const std::string& title);
std::string NameEntry(const std::string& key, std::uint64_t created, WindowHandle handle);
std::string NameTarget(const std::string& className, const std::string& title);

struct ParsedEntry {
  std::string key;
  std::uint64_t created = 0;
  WindowHandle handle = kNoWindow;
};
std::optional<ParsedEntry> ParseNameEntry(std::string_view fileName);

std::string Hex(std::string_view bytes);
std::string Hex16(std::uint64_t value);

}  // namespace torvel::wire
