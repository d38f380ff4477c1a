#include "platform/window_wire.h"

#include <charconv>

namespace torvel::wire {
namespace {

void PutLe(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLe(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= std::uint64_t{static_cast<unsigned char>(in[at + i])} << (8 * i);
  return value;
}

// Only the lower-case digits the folder's names are written with, so one
// window has exactly one spelling.
bool ParseHex16(std::string_view text, std::uint64_t& value) {
  if (text.size() != 16) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + 16, value, 16);
  return ec == std::errc{} && end == text.data() + 16;
}

}  // namespace

bool Fits(const WindowMessage& message) {
  if (message.strings.size() > kMaxStrings) return false;
  std::size_t total = 0;
  for (const auto& s : message.strings) total += s.size();
  return total <= kMaxStringBytes;
}

std::string EncodeRequest(const WindowMessage& message) {
  std::string out;
  std::size_t size = kHeaderBytes;
  for (const auto& s : message.strings) size += 4 + s.size();
  out.reserve(size);
  PutLe(out, kMagic, 4);
  PutLe(out, kVersion, 4);
  PutLe(out, message.message, 4);
  PutLe(out, message.wParam, 8);
  PutLe(out, message.lParam, 8);
  PutLe(out, message.strings.size(), 4);
  for (const auto& s : message.strings) {
    PutLe(out, s.size(), 4);
    out += s;
  }
  return out;
}

Parse ParseRequest(std::string_view bytes, WindowMessage& out) {
  // The fixed fields are checked as soon as they have arrived.
  if (bytes.size() >= 4 && GetLe(bytes, 0, 4) != kMagic) return Parse::kMalformed;
  if (bytes.size() >= 8 && GetLe(bytes, 4, 4) != kVersion) return Parse::kMalformed;
  if (bytes.size() < kHeaderBytes) return Parse::kNeedMore;
  const std::uint64_t count = GetLe(bytes, 28, 4);
  if (count > kMaxStrings) return Parse::kMalformed;

  std::size_t at = kHeaderBytes;
  std::uint64_t total = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (bytes.size() < at + 4) return Parse::kNeedMore;
    const std::uint64_t length = GetLe(bytes, at, 4);
    // Refused at the length field: nothing more of it is read or kept.
    total += length;
    if (total > kMaxStringBytes) return Parse::kMalformed;
    at += 4 + length;
  }
  if (bytes.size() < at) return Parse::kNeedMore;
  if (bytes.size() > at) return Parse::kMalformed;  // one request per connection

  out.message = static_cast<std::uint32_t>(GetLe(bytes, 8, 4));
  out.wParam = GetLe(bytes, 12, 8);
  out.lParam = GetLe(bytes, 20, 8);
  out.strings.clear();
  at = kHeaderBytes;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::size_t length = GetLe(bytes, at, 4);
    out.strings.emplace_back(bytes.substr(at + 4, length));
    at += 4 + length;
  }
  return Parse::kComplete;
}

std::string EncodeReply(std::int64_t result) {
  std::string out;
  PutLe(out, static_cast<std::uint64_t>(result), 8);
  return out;
}

std::int64_t DecodeReply(std::string_view eightBytes) {
  return static_cast<std::int64_t>(GetLe(eightBytes, 0, 8));
}

std::string Hex16(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) out[i] = kDigits[value & 0xF];
  return out;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 0xF];
  }
  return out;
}

std::string EndpointName(WindowHandle handle) { return "w-" + Hex16(handle); }

std::string NameKey(const std::string& className, const std::string& title) {
  // FNV-1a over class, a zero, title: a swapped pair must not collide.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  auto mix = [&hash](unsigned char c) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  };
  for (const unsigned char c : className) mix(c);
  mix(0);
  for (const unsigned char c : title) mix(c);
  return Hex16(hash);
}

std::string NameEntry(const std::string& key, std::uint64_t created, WindowHandle handle) {
  return "n-" + key + "-" + Hex16(created) + "-" + Hex16(handle);
}

std::string NameTarget(const std::string& className, const std::string& title) {
  return Hex(className) + "." + Hex(title);
}

std::optional<ParsedEntry> ParseNameEntry(std::string_view fileName) {
  // n- key - created - handle
  if (fileName.size() != 2 + 16 + 1 + 16 + 1 + 16 || fileName.substr(0, 2) != "n-" ||
      fileName[18] != '-' || fileName[35] != '-')
    return std::nullopt;
  ParsedEntry entry;
  std::uint64_t key = 0;
  if (!ParseHex16(fileName.substr(2, 16), key) || !ParseHex16(fileName.substr(19, 16), entry.created) ||
      !ParseHex16(fileName.substr(36, 16), entry.handle) || entry.handle == kNoWindow)
    return std::nullopt;
  entry.key = std::string(fileName.substr(2, 16));
  return entry;
}

}  // namespace torvel::wire
