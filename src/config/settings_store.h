// The per-user settings store: sections of named integer and text values.
// Readers pass their own default, used whenever the value is absent, of the
// other type, or unreadable. Section and key names compare without regard
// to case. Safe to call from the user-interface thread and the mail worker
// at once.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) = 0;
  virtual void WriteProfileInt(std::string_view section, std::string_view key, int value) = 0;
  virtual std::string GetProfileString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) = 0;
  virtual void WriteProfileString(std::string_view section, std::string_view key,
                                  std::string_view value) = 0;

  // Every value, for `torvelctl settings` and support.
  struct Entry {
    std::string section;
    std::string key;
    bool isInt = false;
    std::int64_t intValue = 0;
    std::string text;
  };
  virtual std::vector<Entry> Dump() = 0;

  // Why writes failed since the last call (the first reason and how many),
  // then forgotten; empty when every write stuck. A store that cannot fail
  // keeps the default.
  virtual std::string TakeWriteFailures() { return {}; }
};

// A store in memory, for tests of the logic above the store.
class MemorySettingsStore final : public SettingsStore {
 public:
  int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) override;
  void WriteProfileInt(std::string_view section, std::string_view key, int value) override;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) override;
  void WriteProfileString(std::string_view section, std::string_view key,
                          std::string_view value) override;
  std::vector<Entry> Dump() override;

  int reads = 0;
  int writes = 0;

 private:
  static std::string Fold(std::string_view section, std::string_view key);
  std::mutex mutex_;
  std::map<std::string, Entry> values_;
};

}  // namespace torvel
