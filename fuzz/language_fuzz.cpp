// Feeds arbitrary bytes as a language file: to the INI reader directly, and
// through LoadSectionTexts for a few windows' sections plus one section named
// by the input's first line (which also drives the built-in block's lookup).
// The Messages texts then go through FormatWithOneInt as printf formats.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/ini_reader.h"
#include "config/keys.h"
#include "config/language.h"
#include "config/settings_store.h"
#include "base/debug_trace.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// An in-memory file, so no run leaves anything behind in the temp folder.
struct MemoryFile {
  int fd = memfd_create("torvel-language-fuzz", 0);
  std::string path = "/proc/self/fd/" + std::to_string(fd);

  bool Write(const std::uint8_t* data, std::size_t size) const {
    if (fd < 0 || ftruncate(fd, 0) != 0) return false;
    return pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
  }
};

void CheckTable(const torvel::TextTable& table, std::size_t slots) {
  Check(table.slots.size() == slots);
  for (const std::string& s : table.slots) Check(s.size() <= torvel::kMaxSlotText);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const IniFile ini = IniFile::Parse(bytes);
  for (const char* key : {"1", "2", "Ver"}) {
    for (const char* section : {"Info", "Messages", "MainDialog"}) {
      const std::string v = ini.GetString(section, key, "");
      Check(v.size() < kProfileBufferSize);
      Check(v.find('\0') == std::string::npos);
    }
  }

  static const MemoryFile file;
  if (!file.Write(data, size)) return 0;

  MemorySettingsStore store;
  store.WriteProfileString(keys::kOptions, keys::kLanguageFile, file.path);
  TraceLog trace = TraceLog::Off();

  for (const char* section : {"MainDialog", "Messages", "DrivePropertiesDlg", "Info"}) {
    const std::size_t slots =
        static_cast<std::size_t>(SlotCount(section) > 0 ? SlotCount(section) : 30);
    TextTable table(static_cast<int>(slots));
    LoadSectionTexts(section, table, store, trace);
    CheckTable(table, slots);
    // The file's key 1, when present, replaces the English text.
    const std::string first = ini.GetString(section, "1");
    Check(first.empty() || table.Text(1) == first.substr(0, kMaxSlotText));
    if (std::string_view(section) == "Messages") {
      for (int n : {33, 34}) {
        // At most a 999-wide field and an int's digits beyond the text itself.
        const std::string out = FormatWithOneInt(table.Text(n), "Found %d bad", -2147483647 - 1);
        Check(out.size() <= kMaxSlotText + 999 + 11);
      }
    }
  }

  const std::string_view firstLine = bytes.substr(0, std::min<std::size_t>(bytes.find('\n'), 24));
  TextTable named(7);
  LoadSectionTexts(firstLine, named, store, trace);
  CheckTable(named, 7);
  return 0;
}
