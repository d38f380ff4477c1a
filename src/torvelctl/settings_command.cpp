#include "torvelctl/settings_command.h"

#include <charconv>
#include <optional>
#include "base/text_out.h"
#include <utility>

#include "config/keys.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "base/codepage.h"
#include "torvelctl/commands.h"

namespace torvel {
namespace {

// Control bytes (and the five bytes Windows-1252 leaves undefined) as \xNN,
// so one value stays on one line and shows what is really stored.
std::string Printable(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      constexpr char kHex[] = "0123456789ABCDEF";
      escaped += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
    } else {
      if (c == '\\' || c == '"') escaped += '\\';
      escaped += c;
    }
  }
  return Cp1252ToUtf8(escaped);
}

// Names compare as the store compares them: ASCII letters without case.
bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

int Show(const std::vector<std::string>& args, SettingsStore& store, TextOut& out,
         TextOut& err) {
  std::optional<std::string> only;
  if (!args.empty()) {
    only = Utf8ToCp1252(args[0]);
    if (!only) {
      err << "torvelctl: '" << args[0] << "' is not a section name (characters outside Windows-1252)\n";
      return kExitUsage;
    }
  }
  const std::string* current = nullptr;
  bool any = false;
  for (const SettingsStore::Entry& e : store.Dump()) {
    if (only && !SameName(e.section, *only)) continue;
    if (!current || !SameName(*current, e.section)) {
      out << (current ? "\n[" : "[") << Printable(e.section) << "]\n";
    }
    current = &e.section;
    any = true;
    out << Printable(e.key);
    // As the program reads it: a DWORD taken as a signed int.
    if (e.isInt)
      out << " (int) = " << static_cast<int>(static_cast<std::uint32_t>(e.intValue)) << "\n";
    else
      out << " (str) = \"" << Printable(e.text) << "\"\n";
  }
  if (only && !any) {
    err << "torvelctl: no section '" << args[0] << "' in the settings store\n";
    return kExitSettingsFailed;
  }
  return 0;
}

int Set(const std::vector<std::string>& args, SettingsStore& store, TextOut& err) {
  if (args.size() != 5 || (args[3] != "int" && args[3] != "str")) {
    err << "torvelctl: usage: torvelctl settings set SECTION KEY int|str VALUE\n";
    return kExitUsage;
  }
  std::string names[3];  // section, key, text
  for (int i = 0; i < 3; ++i) {
    const std::string& word = args[i < 2 ? i + 1 : 4];
    auto converted = Utf8ToCp1252(word);
    if (!converted) {
      err << "torvelctl: '" << word << "' has characters outside Windows-1252\n";
      return kExitUsage;
    }
    names[i] = std::move(*converted);
  }
  const std::string& section = names[0];
  const std::string& key = names[1];
  const std::string& text = names[2];
  bool stored;
  if (args[3] == "int") {
    const std::string& v = args[4];
    int value = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || end != v.data() + v.size() || v.empty()) {
      err << "torvelctl: '" << v << "' is not a 32-bit integer (-2147483648 to 2147483647)\n";
      return kExitUsage;
    }
    store.WriteProfileInt(section, key, value);
    stored = store.GetProfileInt(section, key, ~value) == value;
  } else if (SameName(section, keys::kOptions) && SameName(key, keys::kSmtpPassword)) {
    // The password is stored transformed, as the mail settings dialog stores
    // it; what is read back is the password as typed.
    settings::SetSmtpPassword(store, text);
    stored = settings::SmtpPassword(store) == text;
  } else {
    store.WriteProfileString(section, key, text);
    stored = store.GetProfileString(section, key, text + "?") == text;
  }
  // A value already stored reads back the same though the write failed.
  const std::string failed = store.TakeWriteFailures();
  if (!stored || !failed.empty()) {
    err << "torvelctl: the value could not be written to the settings store";
    if (!failed.empty()) err << ": " << Cp1252ToUtf8(failed);
    err << "\n";
    return kExitSettingsFailed;
  }
  return 0;
}

}  // namespace

int RunSettingsCommand(const std::vector<std::string>& args, SettingsStore& store,
                       TextOut& out, TextOut& err) {
  if (!args.empty() && args[0] == "set") return Set(args, store, err);
  if (args.size() > 1) {
    err << "torvelctl: usage: torvelctl settings [SECTION]\n";
    return kExitUsage;
  }
  return Show(args, store, out, err);
}

}  // namespace torvel
