// Language texts: every window's texts by section name and key number, the
// built-in English block overlaid key by key with the chosen language file,
// and the language list and choice of the Preferences tab.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class SettingsStore;
class TraceLog;
class UiServices;

// The built-in English block in language-file form (Windows-1252, CR LF).
std::string_view BuiltInLanguageBlock();

// Key `key` of `section` in the built-in block; empty when absent.
std::string BuiltInText(std::string_view section, int key);

// The Windows resource id of that block; only the trace names it.
inline constexpr int kBuiltInLanguageResource = 336;
// What a current language file carries as [Info] Ver: the program version,
// with a revision after it when the texts changed within that version.
inline constexpr const char* kLanguageFileVersion = "2.41.1";
// Longest text a slot keeps.
inline constexpr std::size_t kMaxSlotText = 256;

struct LanguageSection {
  const char* name;
  int slots;  // highest usable key is slots - 1
};

inline constexpr std::array<LanguageSection, 13> kLanguageSections = {{
    {"MainDialog", 30},
    {"DiskInfoTab", 30},
    {"SMARTInfoTab", 50},
    {"PreferencesTab", 40},
    {"LogTab", 30},
    {"AboutTab", 30},
    {"AdvancedInfoDlg", 30},
    {"SMARTReportDlg", 30},
    {"Messages", 45},
    {"CustomThresholdsDlg", 30},
    {"MailSettingsDlg", 30},
    {"DrivePropertiesDlg", 20},
    {"RawViewDlg", 30},
}};

// Slots of a section's window (exact, case-sensitive name); 0 if unknown.
int SlotCount(std::string_view section);

// A window's texts: slot N holds key N, slot 0 is unused.
struct TextTable {
  explicit TextTable(int slotCount)
      : slots(static_cast<std::size_t>(slotCount > 0 ? slotCount : 0)) {}
  explicit TextTable(std::string_view section) : TextTable(SlotCount(section)) {}

  // Empty for a key outside the table.
  const std::string& Text(int key) const;

  std::vector<std::string> slots;
};

// Fills the table from the built-in block, then from the file named by
// Options/LanguageFile. Slots neither source fills keep their old text.
void LoadSectionTexts(std::string_view section, TextTable& table, SettingsStore& store,
                      TraceLog& trace);

// The current directory followed by "Language/".
std::filesystem::path LanguageFolder();

// Titles of the "*.lng" files in the folder, sorted as the language box
// sorts: without regard to case (then by bytes, so the order is total).
std::vector<std::string> ListLanguages(const std::filesystem::path& languageFolder);

// The index of the entry the language box selects for the stored
// LanguageFile, or -1.
int SelectedLanguage(const std::vector<std::string>& titles, SettingsStore& store);

// The user picked `entry` in the language box: check the file, re-arm the
// outdated warning and store the choice. The caller then sends message 1152
// to the main window so every window reloads its texts; this function does
// not.
void ChooseLanguage(const std::string& entry, SettingsStore& store, UiServices& ui);
void ChooseLanguage(const std::filesystem::path& languageFolder, const std::string& entry,
                    SettingsStore& store, UiServices& ui);

// Warns once (until re-armed by ChooseLanguage) about a file written for an
// older program version, offering the help topic on updating it.
void CheckOutdatedLanguageFile(const std::string& path, SettingsStore& store, UiServices& ui);

// Formats a language text that takes one integer ("Found %d bad attr").
// A translation may carry any conversion, and "%s" or "%n" would crash a
// printf; so the language text is used only when its one conversion is an
// integer one (%d or %i with flags, width or precision; "%%" allowed), and
// the built-in text otherwise. A built-in text that is itself no such
// format is returned as it stands.
std::string FormatWithOneInt(const std::string& languageText, const std::string& builtInText,
                             int value);

}  // namespace torvel
