// The settings store kept in one SQLite file, one row per value: section,
// key, type (the registry's numbers: 4 = DWORD, 1 = string) and value.
//
// Section and key names compare with SQLite's NOCASE collation, which folds
// ASCII letters only: "OPTIONS" finds "Options", but a serial text "É1" and
// "é1" name two sections (the registry would fold them too; serial texts are
// ASCII in practice). Names end at their first NUL byte, as the registry's
// C-string names do. Texts are stored and returned as their exact bytes.
//
// A store that cannot be opened for writing (a full disk, a read-only
// folder: no room for the WAL files) is opened read-only, so stored
// settings still read; its writes fail and say so (TakeWriteFailures). One
// that cannot be opened at all (folder not creatable, file unreadable or
// not a database) never throws: reads give the caller's default, writes are
// dropped, and each later write tries to open the file again. A file that
// is not a database is left untouched (Corrupt() says so). The file is
// never reached through a symbolic link.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "config/settings_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace torvel {

class SqliteSettingsStore final : public SettingsStore {
 public:
  struct Options {
    // fsync the log at every commit. Off, a completed write still survives a
    // killed process (it is in the kernel's page cache); only a power loss or
    // kernel crash can lose the last commits, never the file.
    bool syncEveryCommit = false;
    // The SQLite VFS to open the file through; empty for the default one.
    std::string vfs;
  };

  explicit SqliteSettingsStore(std::string path);
  SqliteSettingsStore(std::string path, Options options);
  ~SqliteSettingsStore() override;
  SqliteSettingsStore(const SqliteSettingsStore&) = delete;
  SqliteSettingsStore& operator=(const SqliteSettingsStore&) = delete;

  // $XDG_CONFIG_HOME (or ~/.config)/Ostrana/Torvel/settings.sqlite3.
  static std::string DefaultSettingsPath();
  // The same from the two variables; "" when neither gives a folder.
  static std::string SettingsPathFor(const char* xdgConfigHome, const char* home);

  const std::string& path() const { return path_; }
  bool IsOpen();
  // Open for reading only (see above).
  bool ReadOnly();
  // The file is there but is not a database (damaged, or something else).
  bool Corrupt();
  // Why the last open or statement failed; "" when nothing failed.
  std::string LastError();
  std::string TakeWriteFailures() override;

  int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) override;
  void WriteProfileInt(std::string_view section, std::string_view key, int value) override;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) override;
  void WriteProfileString(std::string_view section, std::string_view key,
                          std::string_view value) override;
  // The values a reader can get, as it gets them, by section then key.
  std::vector<Entry> Dump() override;

 private:
  bool Open();
  bool OpenReadOnly(const std::string& why);
  bool Prepare(bool writable);
  void Close();
  bool Fail(std::string why);
  // Runs the lookup; true with the statement on its row when one is found.
  bool Find(std::string_view section, std::string_view key);
  void Write(std::string_view section, std::string_view key, int type, std::int64_t number,
             std::string_view text);

  const std::string path_;
  const Options options_;
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* find_ = nullptr;
  sqlite3_stmt* upsert_ = nullptr;
  sqlite3_stmt* dump_ = nullptr;
  std::string lastError_;
  bool readOnly_ = false;
  bool corrupt_ = false;
  // The file as opened without following links, kept open so that its
  // mode is changed on what was opened and no lock of this process's
  // connection is dropped by a close.
  int fileFd_ = -1;
  std::string writeFailure_;
  int writeFailures_ = 0;
};

}  // namespace torvel
