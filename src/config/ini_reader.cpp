#include "config/ini_reader.h"

#include <iterator>

#include "base/text_out.h"

namespace torvel {
namespace {

// The reader's blanks: C white space plus ^Z, the old end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The platform keeps names and values as zero-terminated strings.
std::string UpToZero(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string Cut(std::string s, std::size_t bufferSize) {
  if (s.size() > bufferSize - 1) s.resize(bufferSize - 1);
  return s;
}

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  Section* current = nullptr;  // keys before the first section belong nowhere
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t lf = bytes.find('\n', pos);
    const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view line = Trim(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        ini.sections_.push_back({UpToZero(Trim(line.substr(1, close - 1))), {}});
        current = &ini.sections_.back();
        continue;
      }
      // No closing bracket: the platform reads the line as a key line.
    }
    if (!current) continue;
    Key key;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      key.name = UpToZero(line);
    } else {
      key.name = UpToZero(Trim(line.substr(0, eq)));
      key.value = UpToZero(Trim(line.substr(eq + 1)));
      key.hasValue = true;
    }
    current->keys.push_back(std::move(key));
  }
  return ini;
}

IniFile IniFile::Load(const std::filesystem::path& file) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return {};
  return Parse(bytes);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, std::size_t bufferSize) const {
  if (bufferSize == 0) return {};
  section = Trim(section);
  key = Trim(key);
  std::string_view fallback = defaultValue.substr(0, defaultValue.find('\0'));
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);

  for (const Section& s : sections_) {
    if (!EqualNoCase(s.name, section)) continue;
    for (const Key& k : s.keys) {
      if (!EqualNoCase(k.name, key)) continue;
      if (!k.hasValue) break;
      std::string value = k.value;
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return Cut(std::move(value), bufferSize);
    }
    break;  // only the first section of the name is searched
  }
  return Cut(std::string(fallback), bufferSize);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file) {
  return IniFile::Load(file).GetString(section, key, defaultValue, bufferSize);
}

}  // namespace torvel
