#include "config/settings_store.h"

#include <cctype>

namespace torvel {

std::string MemorySettingsStore::Fold(std::string_view section, std::string_view key) {
  std::string k;
  k.reserve(section.size() + key.size() + 1);
  for (char c : section) k += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  k += '\0';
  for (char c : key) k += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

int MemorySettingsStore::GetProfileInt(std::string_view section, std::string_view key,
                                       int defaultValue) {
  std::lock_guard lock(mutex_);
  ++reads;
  auto it = values_.find(Fold(section, key));
  if (it == values_.end() || !it->second.isInt) return defaultValue;
  return static_cast<int>(static_cast<std::uint32_t>(it->second.intValue));
}

void MemorySettingsStore::WriteProfileInt(std::string_view section, std::string_view key,
                                          int value) {
  std::lock_guard lock(mutex_);
  ++writes;
  values_[Fold(section, key)] = {std::string(section), std::string(key), true,
                                 static_cast<std::uint32_t>(value), {}};
}

std::string MemorySettingsStore::GetProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue) {
  std::lock_guard lock(mutex_);
  ++reads;
  auto it = values_.find(Fold(section, key));
  if (it == values_.end() || it->second.isInt) return std::string(defaultValue);
  return it->second.text;
}

void MemorySettingsStore::WriteProfileString(std::string_view section, std::string_view key,
                                             std::string_view value) {
  std::lock_guard lock(mutex_);
  ++writes;
  values_[Fold(section, key)] = {std::string(section), std::string(key), false, 0,
                                 std::string(value)};
}

std::vector<SettingsStore::Entry> MemorySettingsStore::Dump() {
  std::lock_guard lock(mutex_);
  std::vector<Entry> out;
  for (const auto& [k, e] : values_) out.push_back(e);
  return out;
}

}  // namespace torvel
