#include "config/language.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "config/ini_reader.h"
#include "config/settings.h"
#include "base/debug_trace.h"
#include "platform/ui_services.h"

namespace torvel {
namespace {

constexpr std::size_t kMaxBuiltInText = 512;
constexpr const char* kEnglishEntry = "English";
constexpr const char* kTranslationsAddress = "translations@torvel.example.org";
constexpr const char* kLanguageHelpTopic = "Torvel Help.chm::\\html\\Languges.htm";

void Store(TextTable& table, int key, std::string text) {
  if (text.size() > kMaxSlotText) text.resize(kMaxSlotText);
  table.slots[static_cast<std::size_t>(key)] = std::move(text);
}

// Key n of the built-in section whose body starts at `bodyStart`. The search
// is a plain text search for "\r\n<n>", so it relies on the block's keys
// being ascending and gap-free ("\r\n1" would also match a line "12 = ...").
bool LookUpBuiltInKey(std::string_view block, std::size_t bodyStart, int n, std::string& text) {
  std::size_t sectionEnd = block.find("\r\n[", bodyStart);
  if (sectionEnd == std::string_view::npos) sectionEnd = block.size();
  const std::string pattern = "\r\n" + std::to_string(n);
  const std::size_t at = block.find(pattern, bodyStart);
  if (at == std::string_view::npos || at > sectionEnd) return false;
  std::size_t p = at + pattern.size();
  while (p < block.size() && (block[p] == ' ' || block[p] == '=')) ++p;
  const std::size_t cr = block.find('\r', p);
  const std::size_t length = (cr == std::string_view::npos ? block.size() : cr) - p;
  text.assign(block.substr(p, std::min(length, kMaxBuiltInText)));
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  return true;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
    const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips up to three digits; more would let a width or precision run to
// gigabytes of output.
bool SkipNumber(std::string_view f, std::size_t& i) {
  std::size_t digits = 0;
  while (i < f.size() && IsDigit(f[i])) ++i, ++digits;
  return digits <= 3;
}

// True when printf would take exactly one int from the format.
bool IsOneIntFormat(std::string_view f) {
  int conversions = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    if (++i == f.size()) return false;
    if (f[i] == '%') continue;
    while (i < f.size() && (f[i] == '-' || f[i] == '+' || f[i] == ' ' || f[i] == '0')) ++i;
    if (!SkipNumber(f, i)) return false;
    if (i < f.size() && f[i] == '.') {
      ++i;
      if (!SkipNumber(f, i)) return false;
    }
    if (i == f.size() || (f[i] != 'd' && f[i] != 'i')) return false;
    ++conversions;
  }
  return conversions == 1;
}

std::string FormatInt(const std::string& format, int value) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"  // checked by IsOneIntFormat
  const int n = std::snprintf(nullptr, 0, format.c_str(), value);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), value);
#pragma GCC diagnostic pop
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

int SlotCount(std::string_view section) {
  for (const LanguageSection& s : kLanguageSections)
    if (section == s.name) return s.slots;
  return 0;
}

const std::string& TextTable::Text(int key) const {
  static const std::string empty;
  if (key < 0 || static_cast<std::size_t>(key) >= slots.size()) return empty;
  return slots[static_cast<std::size_t>(key)];
}

std::string BuiltInText(std::string_view section, int key) {
  const std::string_view block = BuiltInLanguageBlock();
  const std::size_t found = block.find(section);
  std::string text;
  if (found == std::string_view::npos || key < 1) return text;
  const std::size_t bodyStart = std::min(found + section.size() + 1, block.size());
  if (!LookUpBuiltInKey(block, bodyStart, key, text)) text.clear();
  return text;
}

void LoadSectionTexts(std::string_view section, TextTable& table, SettingsStore& store,
                      TraceLog& trace) {
  const std::string languageFile = settings::LanguageFile(store);
  const std::string name(section);
  const int highestKey = static_cast<int>(table.slots.size()) - 1;

  // The bare name, not "[name]": the first place the name occurs at all.
  const std::string_view block = BuiltInLanguageBlock();
  const std::size_t found = block.find(section);
  if (found == std::string_view::npos) {
    trace.DebugTrace("The section %s not found in %d\n", name.c_str(), kBuiltInLanguageResource);
  } else {
    const std::size_t bodyStart = std::min(found + section.size() + 1, block.size());
    std::string text;
    for (int n = 1; n <= highestKey && LookUpBuiltInKey(block, bodyStart, n, text); ++n)
      Store(table, n, std::move(text));
  }

  if (languageFile.empty()) return;
  trace.DebugTrace("%s - Language file: %s\n", name.c_str(), languageFile.c_str());
  const IniFile file = IniFile::Load(languageFile);
  // Keys past the table are ignored, so the run need not read them.
  for (int n = 1; n <= highestKey; ++n) {
    std::string text = file.GetString(section, std::to_string(n), "", kProfileBufferSize);
    if (text.empty()) break;
    Store(table, n, std::move(text));
  }
}

std::filesystem::path LanguageFolder() {
  std::error_code ec;
  std::filesystem::path here = std::filesystem::current_path(ec);
  return here / "Language" / "";
}

std::vector<std::string> ListLanguages(const std::filesystem::path& languageFolder) {
  std::vector<std::string> titles;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(languageFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::path& p = it->path();
    std::error_code typeError;
    if (p.extension() == ".lng" && it->is_regular_file(typeError))
      titles.push_back(p.stem().string());
  }
  std::sort(titles.begin(), titles.end(), LessNoCase);
  return titles;
}

int SelectedLanguage(const std::vector<std::string>& titles, SettingsStore& store) {
  const std::string file = settings::LanguageFile(store);
  if (file.empty()) {
    const auto it = std::find(titles.begin(), titles.end(), kEnglishEntry);
    return it == titles.end() ? -1 : static_cast<int>(it - titles.begin());
  }
  std::string title = file.substr(file.rfind('/') + 1);
  // A name shorter than ".lng" leaves an empty prefix, which the first entry matches.
  title.resize(title.size() >= 4 ? title.size() - 4 : 0);
  for (std::size_t i = 0; i < titles.size(); ++i)
    if (StartsWithNoCase(titles[i], title)) return static_cast<int>(i);
  return -1;
}

void ChooseLanguage(const std::string& entry, SettingsStore& store, UiServices& ui) {
  ChooseLanguage(LanguageFolder(), entry, store, ui);
}

void ChooseLanguage(const std::filesystem::path& languageFolder, const std::string& entry,
                    SettingsStore& store, UiServices& ui) {
  std::string path = languageFolder.string();
  if (!path.empty() && path.back() != '/') path += '/';
  path += entry + ".lng";
  CheckOutdatedLanguageFile(path, store, ui);
  settings::SetShowOldLanguageFileMess(store, 1);
  settings::SetLanguageFile(store, entry == kEnglishEntry ? std::string() : path);
}

void CheckOutdatedLanguageFile(const std::string& path, SettingsStore& store, UiServices& ui) {
  if (path.empty() || settings::ShowOldLanguageFileMess(store) != 1) return;
  settings::SetShowOldLanguageFileMess(store, 0);
  const std::string version = GetPrivateProfileString("Info", "Ver", "", kProfileBufferSize, path);
  if (version == kLanguageFileVersion) return;
  const std::string text = std::string(
                               "This language file from previous version of Torvel\n"
                               "is not updated so the program may contain not translated\n"
                               "strings.\n\n"
                               "If this is your native language you can update this file\n"
                               "and send it to ") +
                           kTranslationsAddress +
                           " in order to update\n"
                           "this file on our website.\n\n"
                           "You can edit the language file with the help of any text\n"
                           "editor. The path to this file is\n" +
                           path +
                           "\n\n"
                           "Would you like to know how to update the language file?";
  if (ui.MessageBox(text, "Torvel", kMbYesNo | kMbIconWarning) == kIdYes)
    ui.OpenHelpTopic(kLanguageHelpTopic);
}

std::string FormatWithOneInt(const std::string& languageText, const std::string& builtInText,
                             int value) {
  if (IsOneIntFormat(languageText)) return FormatInt(languageText, value);
  if (IsOneIntFormat(builtInText)) return FormatInt(builtInText, value);
  return builtInText;
}

}  // namespace torvel
