// The platform's private-profile reader (GetPrivateProfileString), as
// language files need it: Windows-1252 bytes, CR LF or LF line ends.
//
// What the Windows reader does and this one copies:
// - a line whose first non-blank byte is ";" is a comment;
// - "[name]" opens a section (up to the last "]" of the line);
// - "name = value": blanks around the name and around the value are dropped;
// - section and key names compare without regard to case;
// - the first section of a name is the only one searched, and its first key
//   of a name wins;
// - one pair of matching quotes (" or ') enclosing the whole value is removed;
// - a value ends at a zero byte and is cut to the buffer (size - 1 bytes);
// - a missing file, section or key, or a key line without "=", gives the
//   default.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// ASCII letters only: names in the files and the store are compared so,
// whatever the code page of the rest.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The buffer the language code reads into, terminating zero included.
inline constexpr std::size_t kProfileBufferSize = 512;

class IniFile {
 public:
  // Parses the bytes at once, so a section can be read key by key cheaply.
  static IniFile Parse(std::string_view bytes);
  // A file that cannot be read parses as empty.
  static IniFile Load(const std::filesystem::path& file);

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue = "",
                        std::size_t bufferSize = kProfileBufferSize) const;

 private:
  struct Key {
    std::string name;
    std::string value;
    bool hasValue = false;
  };
  struct Section {
    std::string name;
    std::vector<Key> keys;
  };
  std::vector<Section> sections_;
};

// One read straight from a file, as a single platform call would do it.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file);

}  // namespace torvel
