#include "base/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <map>

namespace torvel {
namespace {
void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Windows-1252's 0x80-0x9F; 0 where it defines nothing (the byte's C1 code
// point is kept). From 0xA0 on, bytes equal their code points. A table, not
// iconv: iconv loads a gconv module at the first non-ASCII byte.
constexpr unsigned short kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

class Converter {
 public:
  explicit Converter(const char* to = "UTF-8") : cd_(iconv_open(to, "WINDOWS-1252")) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one byte; false when iconv has no mapping for it.
  bool Byte(unsigned char c, std::string& out) {
    char in = static_cast<char>(c);
    char buf[8];
    char* src = &in;
    char* dst = buf;
    size_t inLeft = 1, outLeft = sizeof buf;
    if (iconv(cd_, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      return false;
    }
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return true;
  }

 private:
  iconv_t cd_;
};
}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  std::size_t i = 0;
  // ASCII passes through without asking iconv.
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) out += text[i++];
  if (i == text.size()) return out;
  for (; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0xA0 && kHigh[c - 0x80] != 0) AppendUtf8(out, kHigh[c - 0x80]);
    else AppendUtf8(out, c);
  }
  return out;
}

std::string EscapeControls(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b != 0x7F) {
      out += c;
      continue;
    }
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

std::string Cp1252ToCp850(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  Converter conv("CP850");
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80)
      out += c;
    else if (!conv.ok() || !conv.Byte(b, out))
      out += '?';
  }
  return out;
}

// Built from Cp1252ToUtf8 so the two directions cannot disagree.
std::optional<std::string> Utf8ToCp1252(std::string_view text) {
  static const std::map<std::string, char> table = [] {
    std::map<std::string, char> t;
    for (int b = 0x80; b <= 0xFF; ++b) t[Cp1252ToUtf8(std::string(1, static_cast<char>(b)))] = static_cast<char>(b);
    return t;
  }();
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (n == 1) {
      out += text[i++];
      continue;
    }
    auto it = table.find(std::string(text.substr(i, n)));
    if (it == table.end()) return std::nullopt;
    out += it->second;
    i += n;
  }
  return out;
}

}  // namespace torvel
