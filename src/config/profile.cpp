#include "config/profile.h"

#include "config/settings.h"

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
  if (settings::Once(store) != 0) return;
  settings::SetLanguageFile(store, "");
  settings::SetOnce(store, 1);
}

}  // namespace torvel
