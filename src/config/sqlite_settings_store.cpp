#include "config/sqlite_settings_store.h"
#include "base/xdg_paths.h"
#include "config/sqlite_library.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

namespace torvel {
namespace {

// Only reached on a store whose Open() loaded the library.
const SqliteLibrary& Sql() {
  std::string why;
  return *LoadSqlite(why);
}

// The registry's value types, so the file reads like the tree it stands for.
constexpr std::int64_t kTypeString = 1;  // REG_SZ
constexpr std::int64_t kTypeDword = 4;   // REG_DWORD

constexpr int kBusyTimeoutMs = 2000;

// WITHOUT ROWID: the table is its own (section, key) index.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS settings("
    " section TEXT NOT NULL COLLATE NOCASE,"
    " key TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL,"
    " value,"
    " PRIMARY KEY(section, key)) WITHOUT ROWID";
constexpr const char* kFindSql = "SELECT type, value FROM settings WHERE section = ?1 AND key = ?2";
// An update keeps the name's first spelling, as the registry does.
constexpr const char* kUpsertSql =
    "INSERT INTO settings(section, key, type, value) VALUES(?1, ?2, ?3, ?4)"
    " ON CONFLICT(section, key) DO UPDATE SET type = excluded.type, value = excluded.value";
constexpr const char* kDumpSql = "SELECT section, key, type, value FROM settings ORDER BY section, key";

std::string ErrnoText() { return std::error_code(errno, std::generic_category()).message(); }

std::string_view Name(std::string_view name) { return name.substr(0, name.find('\0')); }

int BindText(sqlite3_stmt* s, int index, std::string_view text) {
  if (text.size() > INT_MAX) return SQLITE_TOOBIG;
  // A null pointer would bind SQL NULL, not the empty text.
  return Sql().bind_text(s, index, text.data() ? text.data() : "", static_cast<int>(text.size()),
                           SQLITE_STATIC);
}

// Leaves the statement ready for its next use however the caller returns.
struct ResetOnExit {
  sqlite3_stmt* s;
  ~ResetOnExit() { Sql().reset(s); }
};

std::int64_t RowType(sqlite3_stmt* s, int column) {
  return Sql().column_type(s, column) == SQLITE_INTEGER ? Sql().column_int64(s, column) : 0;
}

// A DWORD reads as the signed int every caller uses; a stored number outside
// 32 bits (only a hand-edited file has one) is unreadable, like the wrong type.
std::optional<int> IntValue(sqlite3_stmt* s, int typeColumn) {
  const int column = typeColumn + 1;
  if (RowType(s, typeColumn) != kTypeDword || Sql().column_type(s, column) != SQLITE_INTEGER)
    return std::nullopt;
  const std::int64_t v = Sql().column_int64(s, column);
  if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) return std::nullopt;
  return static_cast<int>(static_cast<std::uint32_t>(v));
}

std::optional<std::string> TextValue(sqlite3_stmt* s, int typeColumn) {
  const int column = typeColumn + 1;
  if (RowType(s, typeColumn) != kTypeString) return std::nullopt;
  const void* bytes = nullptr;
  switch (Sql().column_type(s, column)) {
    case SQLITE_TEXT: bytes = Sql().column_text(s, column); break;
    case SQLITE_BLOB: bytes = Sql().column_blob(s, column); break;
    default: return std::nullopt;
  }
  const int n = Sql().column_bytes(s, column);
  if (!bytes) return n == 0 ? std::optional<std::string>("") : std::nullopt;
  return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(n));
}

// A name a reader can ask for: text without NUL.
std::optional<std::string> RowName(sqlite3_stmt* s, int column) {
  if (Sql().column_type(s, column) != SQLITE_TEXT) return std::nullopt;
  const auto* p = reinterpret_cast<const char*>(Sql().column_text(s, column));
  std::string name(p ? p : "", p ? static_cast<std::size_t>(Sql().column_bytes(s, column)) : 0);
  if (name.find('\0') != std::string::npos) return std::nullopt;
  return name;
}

// Makes each missing folder on the way, private to the user. Folders that
// exist are left as they are: ~/.config is the user's business.
bool MakeFolders(const std::string& file, std::string& why) {
  for (auto slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
    const std::string folder = file.substr(0, slash);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) continue;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      why = "cannot create folder " + folder + ": " + ErrnoText();
      return false;
    }
  }
  return true;
}

// Opens the file, creating it 0600 (SQLite would make it 0644; its -wal and
// -shm files copy the file's mode), never through a symbolic link, and
// narrows a file that others could read, as it holds the mail password: the
// mode changes on the file opened, not on whatever the path names by then.
// The descriptor stays open with the store (see fileFd_). -wal and -shm are
// narrowed the same way before SQLite opens them.
int OpenFile(const std::string& path, std::string& why) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  if (errno != EEXIST) {
    why = "cannot create: " + ErrnoText();
    return -1;
  }
  fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    why = errno == ELOOP ? "is a symbolic link; the settings are not followed through one"
                         : "cannot open: " + ErrnoText();
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    why = "is not a regular file";
    return -1;
  }
  if ((st.st_mode & 077) && st.st_uid == ::geteuid()) ::fchmod(fd, st.st_mode & 0700);
  for (const char* suffix : {"-wal", "-shm"}) {
    const int side = ::open((path + suffix).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (side < 0) continue;
    struct stat sst {};
    if (::fstat(side, &sst) == 0 && S_ISREG(sst.st_mode) && (sst.st_mode & 077) &&
        sst.st_uid == ::geteuid())
      ::fchmod(side, sst.st_mode & 0700);
    // No connection of this store holds a lock yet.
    ::close(side);
  }
  return fd;
}

}  // namespace

SqliteSettingsStore::SqliteSettingsStore(std::string path)
    : SqliteSettingsStore(std::move(path), Options{}) {}

SqliteSettingsStore::SqliteSettingsStore(std::string path, Options options)
    : path_(std::move(path)), options_(std::move(options)) {
  std::lock_guard lock(mutex_);
  Open();
}

SqliteSettingsStore::~SqliteSettingsStore() {
  Close();
  if (fileFd_ >= 0) ::close(fileFd_);
}

std::string SqliteSettingsStore::SettingsPathFor(const char* xdgConfigHome, const char* home) {
  const std::filesystem::path config =
      XdgFolder(xdgConfigHome, home != nullptr ? home : "", ".config");
  return config.empty() ? std::string() : (config / "Ostrana/Torvel/settings.sqlite3").string();
}

std::string SqliteSettingsStore::DefaultSettingsPath() {
  return SettingsPathFor(std::getenv("XDG_CONFIG_HOME"), HomeFolder().c_str());
}

bool SqliteSettingsStore::Fail(std::string why) {
  lastError_ = path_ + ": " + why;
  return false;
}

bool SqliteSettingsStore::Prepare(bool writable) {
  const auto prepare = [this](const char* sql, sqlite3_stmt** s) {
    return Sql().prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, s, nullptr) == SQLITE_OK;
  };
  return prepare(kFindSql, &find_) && prepare(kDumpSql, &dump_) &&
         (!writable || prepare(kUpsertSql, &upsert_));
}

bool SqliteSettingsStore::Open() {
  if (path_.empty()) return Fail("no settings folder (neither XDG_CONFIG_HOME nor HOME is set)");
  std::string why;
  if (!MakeFolders(path_, why)) return Fail(why);
  if (fileFd_ < 0) fileFd_ = OpenFile(path_, why);
  if (fileFd_ < 0) return Fail(why);
  if (LoadSqlite(why) == nullptr) return Fail(why);

  // One connection per store, serialised by mutex_, so SQLite's own mutexes
  // are not needed. No CREATE flag: OpenFile made the file with its mode.
  const char* vfs = options_.vfs.empty() ? nullptr : options_.vfs.c_str();
  const int rc = Sql().open_v2(path_.c_str(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, vfs);
  if (rc == SQLITE_OK) {
    Sql().extended_result_codes(db_, 1);
    Sql().busy_timeout(db_, kBusyTimeoutMs);
  }
  // WAL lets the launcher read while the core writes; journal_mode is the
  // first statement that reads the file, so a damaged file fails here.
  const char* sync = options_.syncEveryCommit ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL";
  const bool ok = rc == SQLITE_OK &&
                  Sql().exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  Sql().exec(db_, sync, nullptr, nullptr, nullptr) == SQLITE_OK &&
                  Sql().exec(db_, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK && Prepare(true);
  if (ok) {
    lastError_.clear();
    readOnly_ = corrupt_ = false;
    return true;
  }
  const int code = db_ ? Sql().extended_errcode(db_) : SQLITE_NOMEM;
  why = db_ ? Sql().errmsg(db_) : "out of memory";
  Close();
  if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT) {
    // Kept as it is, for whoever wants to look at it.
    corrupt_ = true;
    return Fail("not a settings database (" + why + "); left untouched");
  }
  return OpenReadOnly(why);
}

// A full disk or a read-only folder leaves no room for the WAL files:
// reading the file as it is still gives every stored setting.
bool SqliteSettingsStore::OpenReadOnly(const std::string& why) {
  const std::string uris[] = {"file:" + path_ + "?mode=ro", "file:" + path_ + "?mode=ro&immutable=1"};
  for (const std::string& uri : uris) {
    const char* vfs = options_.vfs.empty() ? nullptr : options_.vfs.c_str();
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW;
    if (Sql().open_v2(uri.c_str(), &db_, flags, vfs) == SQLITE_OK &&
        Sql().exec(db_, "SELECT count(*) FROM settings", nullptr, nullptr, nullptr) == SQLITE_OK &&
        Prepare(false)) {
      Sql().extended_result_codes(db_, 1);
      readOnly_ = true;
      return Fail("opened read-only (" + why + "); settings are read but not written");
    }
    Close();
  }
  return Fail(why);
}

void SqliteSettingsStore::Close() {
  readOnly_ = false;
  if (db_ == nullptr) return;  // never opened: the library may not even be loaded
  for (sqlite3_stmt** s : {&find_, &upsert_, &dump_}) {
    Sql().finalize(*s);
    *s = nullptr;
  }
  Sql().close_v2(db_);
  db_ = nullptr;
}

bool SqliteSettingsStore::IsOpen() {
  std::lock_guard lock(mutex_);
  return db_ != nullptr;
}

bool SqliteSettingsStore::ReadOnly() {
  std::lock_guard lock(mutex_);
  return db_ != nullptr && readOnly_;
}

bool SqliteSettingsStore::Corrupt() {
  std::lock_guard lock(mutex_);
  return corrupt_;
}

std::string SqliteSettingsStore::TakeWriteFailures() {
  std::lock_guard lock(mutex_);
  std::string out;
  if (writeFailures_ > 0) {
    out = writeFailure_;
    if (writeFailures_ > 1) out += " (" + std::to_string(writeFailures_) + " writes failed)";
  }
  writeFailure_.clear();
  writeFailures_ = 0;
  return out;
}

std::string SqliteSettingsStore::LastError() {
  std::lock_guard lock(mutex_);
  return lastError_;
}

bool SqliteSettingsStore::Find(std::string_view section, std::string_view key) {
  if (!db_) return false;
  if (BindText(find_, 1, Name(section)) != SQLITE_OK || BindText(find_, 2, Name(key)) != SQLITE_OK)
    return false;
  const int rc = Sql().step(find_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) Fail(Sql().errmsg(db_));
  return false;
}

int SqliteSettingsStore::GetProfileInt(std::string_view section, std::string_view key,
                                       int defaultValue) {
  std::lock_guard lock(mutex_);
  if (!db_) return defaultValue;
  ResetOnExit reset{find_};
  if (!Find(section, key)) return defaultValue;
  return IntValue(find_, 0).value_or(defaultValue);
}

std::string SqliteSettingsStore::GetProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue) {
  std::lock_guard lock(mutex_);
  if (!db_) return std::string(defaultValue);
  ResetOnExit reset{find_};
  if (!Find(section, key)) return std::string(defaultValue);
  auto text = TextValue(find_, 0);
  return text ? std::move(*text) : std::string(defaultValue);
}

void SqliteSettingsStore::Write(std::string_view section, std::string_view key, int type,
                                std::int64_t number, std::string_view text) {
  std::lock_guard lock(mutex_);
  const auto failed = [this, section, key](std::string_view why) {
    // lastError_ names the file already.
    if (why.starts_with(path_ + ": ")) why.remove_prefix(path_.size() + 2);
    if (writeFailures_++ == 0)
      writeFailure_ = path_ + ": " + std::string(Name(section)) + "/" + std::string(Name(key)) +
                      " not written: " + std::string(why);
  };
  if (readOnly_) {
    // The space or the permission may be back: each write tries again.
    Close();
    if (!Open() && readOnly_) return failed("the store is open read-only");
  }
  if (!db_ && !Open()) return failed(lastError_);
  ResetOnExit reset{upsert_};
  const bool bound = BindText(upsert_, 1, Name(section)) == SQLITE_OK &&
                     BindText(upsert_, 2, Name(key)) == SQLITE_OK &&
                     Sql().bind_int64(upsert_, 3, type) == SQLITE_OK &&
                     (type == kTypeDword ? Sql().bind_int64(upsert_, 4, number)
                                         : BindText(upsert_, 4, text)) == SQLITE_OK;
  // One statement is one transaction: the value is written whole or not at all.
  if (!bound || Sql().step(upsert_) != SQLITE_DONE) {
    Fail(Sql().errmsg(db_));
    failed(Sql().errmsg(db_));
  }
}

void SqliteSettingsStore::WriteProfileInt(std::string_view section, std::string_view key,
                                          int value) {
  Write(section, key, kTypeDword, value, {});
}

void SqliteSettingsStore::WriteProfileString(std::string_view section, std::string_view key,
                                             std::string_view value) {
  Write(section, key, kTypeString, 0, value);
}

std::vector<SettingsStore::Entry> SqliteSettingsStore::Dump() {
  std::lock_guard lock(mutex_);
  std::vector<Entry> out;
  if (!db_) return out;
  ResetOnExit reset{dump_};
  int rc;
  while ((rc = Sql().step(dump_)) == SQLITE_ROW) {
    auto section = RowName(dump_, 0);
    auto key = RowName(dump_, 1);
    if (!section || !key) continue;
    Entry e{std::move(*section), std::move(*key), false, 0, {}};
    if (auto number = IntValue(dump_, 2)) {
      e.isInt = true;
      e.intValue = *number;
    } else if (auto text = TextValue(dump_, 2)) {
      e.text = std::move(*text);
    } else {
      continue;
    }
    out.push_back(std::move(e));
  }
  if (rc != SQLITE_DONE) Fail(Sql().errmsg(db_));
  return out;
}

}  // namespace torvel
