#include "config/profile.h"

#include "config/keys.h"
#include "config/settings_store.h"

namespace torvel {
namespace {

std::string Shift(std::string_view text, int by) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + by);
  return out;
}

}  // namespace

std::string EncodePassword(std::string_view typed) { return Shift(typed, 1); }

std::string DecodePassword(std::string_view stored) { return Shift(stored, -1); }

void ApplyFirstRunDefaults(SettingsStore& store) {
  if (store.GetProfileInt(keys::kOptions, keys::kOnce, 0) != 0) return;
  store.WriteProfileString(keys::kOptions, keys::kLanguageFile, "");
  store.WriteProfileInt(keys::kOptions, keys::kOnce, 1);
}

}  // namespace torvel
