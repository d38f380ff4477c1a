#include "config/sqlite_settings_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>

#include "config/keys.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using ::testing::AnyOf;

// Runs SQL on the file the way another program would, to tamper or inspect.
std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string first;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int, char** values, char**) {
          auto& s = *static_cast<std::string*>(out);
          if (s.empty() && values[0]) s = values[0];
          return 0;
        },
        &first, nullptr);
  sqlite3_close(db);
  return first;
}

int Mode(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

struct StoreTest : ::testing::Test {
  TempDir dir;
  // Below folders that do not exist yet: the store makes them.
  std::string path = dir.File("cfg/Ostrana/Torvel/settings.sqlite3");
};

TEST_F(StoreTest, FreshStoreGivesDefaultsAndPrivateFiles) {
  SqliteSettingsStore store(path);
  ASSERT_TRUE(store.IsOpen()) << store.LastError();
  for (int round = 0; round < 2; ++round) {  // absent section, then absent key of a present one
    EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 1);
    EXPECT_EQ(store.GetProfileInt("WD-WCAV51234567", keys::AttributeKey(5, keys::kCriticalValue), -1), -1);
    EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kNetworkUserName, "administrator"),
              "administrator");
    store.WriteProfileInt(keys::kOptions, keys::kOnce, 1);
    store.WriteProfileInt("WD-WCAV51234567", keys::kLastCheck, 0);
  }
  EXPECT_EQ(Mode(dir.path() / "cfg/Ostrana"), 0700);
  EXPECT_EQ(Mode(dir.path() / "cfg/Ostrana/Torvel"), 0700);
  for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(Mode(path + suffix), 0600) << suffix;
  EXPECT_EQ(Sql(path, "PRAGMA journal_mode"), "wal");
}

TEST_F(StoreTest, LooseFileIsNarrowed) {
  test::WriteFile(path, "");
  ::chmod(path.c_str(), 0644);
  SqliteSettingsStore store(path);
  EXPECT_EQ(Mode(path), 0600);
}

TEST_F(StoreTest, IntegersAreDwordsReadAsSignedInts) {
  const int written[] = {-1, 0, 1, INT_MIN, INT_MAX};
  {
    SqliteSettingsStore store(path);
    for (int v : written) store.WriteProfileInt("I", std::to_string(v), v);
  }
  SqliteSettingsStore store(path);  // and they survive a reopen
  for (int v : written) EXPECT_EQ(store.GetProfileInt("I", std::to_string(v), 7), v);

  // Rows written by other hands: a DWORD outside 32 bits is unreadable.
  const std::pair<const char*, int> tampered[] = {
      {"4294967295", -1},          {"2147483648", INT_MIN}, {"4294967296", 7},
      {"-2147483649", 7},          {"9223372036854775807", 7}};
  for (auto [stored, reads] : tampered) {
    Sql(path, std::string("INSERT OR REPLACE INTO settings VALUES('T', 'k', 4, ") + stored + ")");
    EXPECT_EQ(store.GetProfileInt("T", "k", 7), reads) << stored;
  }
}

TEST_F(StoreTest, WrongTypeOrTamperedRowGivesDefault) {
  SqliteSettingsStore store(path);
  store.WriteProfileString("S", "text", "12");
  store.WriteProfileInt("S", "number", 12);
  EXPECT_EQ(store.GetProfileInt("S", "text", -5), -5);
  EXPECT_EQ(store.GetProfileString("S", "number", "dflt"), "dflt");

  struct Row {
    const char* typeAndValue;
    int asInt;
    const char* asText;
  };
  const Row rows[] = {
      {"4, '12'", -5, "dflt"},       {"4, 12.0", -5, "dflt"},   {"4, NULL", -5, "dflt"},
      {"1, 12", -5, "dflt"},         {"1, x'3132'", -5, "12"},  {"1, NULL", -5, "dflt"},
      {"7, 12", -5, "dflt"},         {"'x', 12", -5, "dflt"},   {"4294967300, 12", -5, "dflt"},
  };
  for (const Row& r : rows) {
    Sql(path, std::string("INSERT OR REPLACE INTO settings VALUES('S', 'row', ") + r.typeAndValue + ")");
    EXPECT_EQ(store.GetProfileInt("S", "row", -5), r.asInt) << r.typeAndValue;
    EXPECT_EQ(store.GetProfileString("S", "row", "dflt"), r.asText) << r.typeAndValue;
  }
}

TEST_F(StoreTest, NamesIgnoreAsciiCaseAndKeepFirstSpelling) {
  SqliteSettingsStore store(path);
  store.WriteProfileInt("Options", "PollEvery", 3);
  store.WriteProfileInt("OPTIONS", "pollevery", 4);
  store.WriteProfileInt("5VM1ABCD", "5-Email", 1);
  EXPECT_EQ(store.GetProfileInt("options", "POLLEVERY", 0), 4);
  EXPECT_EQ(store.GetProfileInt("5vm1abcd", "5-email", 0), 1);
  // Only ASCII folds: these are two sections.
  store.WriteProfileInt("\xC9", "k", 1);
  store.WriteProfileInt("\xE9", "k", 2);
  EXPECT_EQ(store.GetProfileInt("\xC9", "k", 0), 1);
  // Names end at NUL, as C-string names do.
  EXPECT_EQ(store.GetProfileInt(std::string_view("Options\0x", 9), "PollEvery", 0), 4);

  const auto all = store.Dump();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].section, "5VM1ABCD");
  EXPECT_EQ(all[1].section, "Options");
  EXPECT_EQ(all[1].key, "PollEvery");
  EXPECT_EQ(all[1].intValue, 4);
}

TEST_F(StoreTest, TextsKeepTheirExactBytes) {
  std::string every;
  for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
  const std::string texts[] = {"", every, std::string("a\0b", 3), "50 \xB0" "C"};
  {
    SqliteSettingsStore store(path);
    for (std::size_t i = 0; i < std::size(texts); ++i) store.WriteProfileString("\x80\xFF", std::to_string(i), texts[i]);
  }
  SqliteSettingsStore store(path);
  for (std::size_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(store.GetProfileString("\x80\xFF", std::to_string(i), "dflt"), texts[i]) << i;
  // An empty view with no buffer behind it is still the empty text.
  store.WriteProfileString(keys::kOptions, keys::kLanguageFile, std::string_view());
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kLanguageFile, "dflt"), "");
}

TEST(SettingsPathTest, FollowsXdgThenHome) {
  const char* kTail = "/Ostrana/Torvel/settings.sqlite3";
  EXPECT_EQ(SqliteSettingsStore::SettingsPathFor("/x/cfg", "/home/u"), std::string("/x/cfg") + kTail);
  EXPECT_EQ(SqliteSettingsStore::SettingsPathFor(nullptr, "/home/u"), std::string("/home/u/.config") + kTail);
  EXPECT_EQ(SqliteSettingsStore::SettingsPathFor("", "/home/u"), std::string("/home/u/.config") + kTail);
  EXPECT_EQ(SqliteSettingsStore::SettingsPathFor("rel/cfg", "/home/u"), std::string("/home/u/.config") + kTail);
  EXPECT_EQ(SqliteSettingsStore::SettingsPathFor(nullptr, ""), "");
}

// The tests may run as root, so no store is made unreadable by its mode.
TEST(UnusableStoreTest, GivesDefaultsDropsWritesAndKeepsTheFile) {
  const std::string garbage(4096, '\x5A');
  const std::pair<const char*, std::function<std::string(const fs::path&)>> cases[] = {
      {"not a database", [&](const fs::path& d) { test::WriteFile(d / "s", garbage); return d / "s"; }},
      {"a folder", [](const fs::path& d) { fs::create_directories(d / "s"); return d / "s"; }},
      {"folder blocked by a file", [](const fs::path& d) { test::WriteFile(d / "f", "x"); return d / "f/T/s"; }},
      {"no path", [](const fs::path&) { return fs::path(); }},
  };
  for (const auto& [name, make] : cases) {
    TempDir dir;
    const fs::path path = make(dir.path());
    SqliteSettingsStore store(path.string());
    EXPECT_FALSE(store.IsOpen()) << name;
    EXPECT_NE(store.LastError(), "") << name;
    store.WriteProfileInt(keys::kOptions, keys::kOnce, 1);
    store.WriteProfileString(keys::kOptions, keys::kSound, "x.wav");
    EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kOnce, 0), 0) << name;
    EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kSound, "alert.wav"), "alert.wav") << name;
    EXPECT_TRUE(store.Dump().empty()) << name;
    if (fs::is_regular_file(path)) {
      EXPECT_EQ(test::ReadFile(path), garbage) << name;
    }
  }
}

TEST_F(StoreTest, NextWriteRetriesAStoreThatFailedToOpen) {
  const std::string blocker = dir.File("cfg");
  test::WriteFile(blocker, "x");
  SqliteSettingsStore store(path);
  store.WriteProfileInt("A", "k", 1);
  EXPECT_FALSE(store.IsOpen());
  fs::remove(blocker);
  store.WriteProfileInt("A", "k", 2);
  EXPECT_TRUE(store.IsOpen());
  EXPECT_EQ(SqliteSettingsStore(path).GetProfileInt("A", "k", 0), 2);
}

TEST_F(StoreTest, DamagedPageLosesOnlyItsOwnValues) {
  constexpr int kCount = 3000;
  {
    SqliteSettingsStore store(path);
    for (int i = 0; i < kCount; ++i) store.WriteProfileInt("T", "key-" + std::to_string(i), i);
  }  // the last close folds the log into the file
  // Zero one page near the end, most likely a leaf of the table.
  std::string bytes = test::ReadFile(path);
  constexpr std::size_t kPage = 4096;
  ASSERT_GT(bytes.size(), 8 * kPage);
  std::fill_n(bytes.end() - 2 * kPage, kPage, '\0');
  test::WriteFile(path, bytes);
  SqliteSettingsStore store(path);
  int lost = 0;
  for (int i = 0; i < kCount; ++i) {
    const int read = store.GetProfileInt("T", "key-" + std::to_string(i), -1);
    EXPECT_THAT(read, AnyOf(i, -1));
    lost += read == -1;
  }
  // Only the values on the lost pages are gone.
  EXPECT_GT(lost, 0);
  EXPECT_LT(lost, kCount);
  for (const auto& e : store.Dump()) EXPECT_EQ(e.key, "key-" + std::to_string(e.intValue));
}

// The user-interface thread and the mail worker share one store, while the
// launcher writes through a connection of its own.
TEST_F(StoreTest, ThreadsAndConnectionsWriteAtOnce) {
  constexpr int kRounds = 300;
  SqliteSettingsStore shared(path), launcher(path);
  std::atomic<int> mismatches{0};
  auto work = [&](SettingsStore& s, std::string section) {
    for (int i = 0; i < kRounds; ++i) {
      s.WriteProfileInt(section, "n", i);
      s.WriteProfileString(section, "k" + std::to_string(i), std::to_string(i));
      if (s.GetProfileInt(section, "n", -1) != i) ++mismatches;
      s.GetProfileString(keys::kOptions, keys::kSmtpServer, "");
    }
  };
  {
    std::jthread ui(work, std::ref(shared), "UI"), mail(work, std::ref(shared), "Mail"),
        other(work, std::ref(launcher), "Launcher");
  }
  EXPECT_EQ(mismatches, 0);
  SqliteSettingsStore fresh(path);
  EXPECT_EQ(fresh.Dump().size(), 3u * (kRounds + 1));
  for (const char* section : {"UI", "Mail", "Launcher"})
    EXPECT_EQ(fresh.GetProfileInt(section, "n", -1), kRounds - 1) << section;
}

// A writer killed at any moment loses no write it had finished.
TEST_F(StoreTest, KilledWriterKeepsEveryCompletedWrite) {
  for (int killAfter : {30, 200, 600}) {
    const std::string file = dir.File("crash-" + std::to_string(killAfter) + ".sqlite3");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      SqliteSettingsStore store(file);
      for (int i = 0; i < 1000000; ++i) {
        store.WriteProfileInt("Crash", "k" + std::to_string(i), i);
        store.WriteProfileString("Crash", "last", std::to_string(i));
        if (::write(fds[1], &i, sizeof i) != sizeof i) break;
      }
      ::_exit(0);
    }
    ::close(fds[1]);
    int last = -1, i = 0;
    while (last + 1 < killAfter && ::read(fds[0], &i, sizeof i) == sizeof i) last = i;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    while (::read(fds[0], &i, sizeof i) == sizeof i) last = i;  // reported before the kill landed
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << killAfter;
    ASSERT_GE(last, killAfter - 1);

    EXPECT_EQ(Sql(file, "PRAGMA integrity_check"), "ok");
    SqliteSettingsStore store(file);
    for (int k = 0; k <= last; ++k) ASSERT_EQ(store.GetProfileInt("Crash", "k" + std::to_string(k), -1), k);
    EXPECT_GE(std::stoi(store.GetProfileString("Crash", "last", "-1")), last);
  }
}

// A VFS over the default one that fails the Nth file operation (read, write,
// truncate, sync, size), once or from then on, with a realistic I/O error.
// The fault state lives in the object, so tests stay independent.
class FaultVfs {
 public:
  FaultVfs() : base_(sqlite3_vfs_find(nullptr)), vfs_(*base_) {
    name_ = "fault-" + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    vfs_.zName = name_.c_str();
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + base_->szOsFile;
    vfs_.pAppData = this;
    vfs_.pNext = nullptr;
    vfs_.xOpen = &Open;
    sqlite3_vfs_register(&vfs_, 0);
  }
  ~FaultVfs() { sqlite3_vfs_unregister(&vfs_); }
  FaultVfs(const FaultVfs&) = delete;
  FaultVfs& operator=(const FaultVfs&) = delete;

  void Arm(int failAt, bool persistent) { failAt_ = failAt, persistent_ = persistent, calls_ = 0; }
  void Disarm() { failAt_ = 0; }
  bool fired() const { return fired_; }
  const std::string& name() const { return name_; }

 private:
  struct File {
    sqlite3_file base;
    FaultVfs* owner;
    sqlite3_file* real;
  };
  static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
  static bool Fault(sqlite3_file* f) {
    FaultVfs& v = *reinterpret_cast<File*>(f)->owner;
    if (v.failAt_ == 0) return false;
    ++v.calls_;
    const bool fail = v.calls_ == v.failAt_ || (v.persistent_ && v.calls_ > v.failAt_);
    v.fired_ = v.fired_ || fail;
    return fail;
  }
  static int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* self = static_cast<FaultVfs*>(vfs->pAppData);
    auto* file = reinterpret_cast<File*>(f);
    file->owner = self;
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    const int rc = self->base_->xOpen(self->base_, name, file->real, flags, outFlags);
    file->base.pMethods = file->real->pMethods ? &kMethods : nullptr;
    return rc;
  }
  static constexpr sqlite3_io_methods kMethods = {
      2,
      [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); },
      [](sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
        return Fault(f) ? SQLITE_IOERR_READ : Real(f)->pMethods->xRead(Real(f), p, n, at);
      },
      [](sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
        return Fault(f) ? SQLITE_IOERR_WRITE : Real(f)->pMethods->xWrite(Real(f), p, n, at);
      },
      [](sqlite3_file* f, sqlite3_int64 size) {
        return Fault(f) ? SQLITE_IOERR_TRUNCATE : Real(f)->pMethods->xTruncate(Real(f), size);
      },
      [](sqlite3_file* f, int flags) {
        return Fault(f) ? SQLITE_IOERR_FSYNC : Real(f)->pMethods->xSync(Real(f), flags);
      },
      [](sqlite3_file* f, sqlite3_int64* size) {
        return Fault(f) ? SQLITE_IOERR_FSTAT : Real(f)->pMethods->xFileSize(Real(f), size);
      },
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xLock(Real(f), lock); },
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xUnlock(Real(f), lock); },
      [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); },
      [](sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); },
      [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
      [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
      [](sqlite3_file* f, int page, int size, int extend, void volatile** p) {
        return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, p);
      },
      [](sqlite3_file* f, int offset, int n, int flags) {
        return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
      },
      [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
      [](sqlite3_file* f, int deleteFlag) { return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag); },
      nullptr,
      nullptr,
  };

  sqlite3_vfs* base_;
  sqlite3_vfs vfs_;
  std::string name_;
  int failAt_ = 0;
  bool persistent_ = false;
  int calls_ = 0;
  bool fired_ = false;
};

// Fail the 1st, 2nd, ... file operation of opening the store and writing to
// it, until the work runs untouched. Every value must stay old or new, the
// file sound, and the next write of each key must succeed.
TEST(StoreAnomalyTest, FailedOperationsLeaveTheStoreIntact) {
  for (bool persistent : {false, true}) {
    int n = 1;
    for (;; ++n) {
      SCOPED_TRACE(testing::Message() << (persistent ? "persistent" : "transient") << " fault at " << n);
      TempDir dir;
      const std::string path = dir.File("settings.sqlite3");
      {
        SqliteSettingsStore before(path);
        before.WriteProfileString(keys::kOptions, keys::kSound, "old.wav");
        before.WriteProfileInt(keys::kOptions, keys::kPollEvery, 1);
      }
      FaultVfs vfs;
      vfs.Arm(n, persistent);
      SqliteSettingsStore store(path, {false, vfs.name()});
      auto writeAll = [&] {
        store.WriteProfileString(keys::kOptions, keys::kSound, "new.wav");
        store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 2);
        store.WriteProfileInt("5VM1ABCD", keys::AttributeKey(5, keys::kAttrPopup), 0);
      };
      writeAll();
      vfs.Disarm();

      SqliteSettingsStore check(path);
      EXPECT_THAT(check.GetProfileString(keys::kOptions, keys::kSound, ""), AnyOf("old.wav", "new.wav"));
      EXPECT_THAT(check.GetProfileInt(keys::kOptions, keys::kPollEvery, 0), AnyOf(1, 2));
      EXPECT_THAT(check.GetProfileInt("5VM1ABCD", "5-Popup", 1), AnyOf(1, 0));
      writeAll();
      EXPECT_EQ(check.GetProfileString(keys::kOptions, keys::kSound, ""), "new.wav");
      EXPECT_EQ(check.GetProfileInt(keys::kOptions, keys::kPollEvery, 0), 2);
      EXPECT_EQ(check.GetProfileInt("5VM1ABCD", "5-Popup", 1), 0);
      EXPECT_EQ(Sql(path, "PRAGMA integrity_check"), "ok");
      if (!vfs.fired() || n > 500) break;
    }
    EXPECT_GT(n, 10) << "the work should touch the file more than a few times";
    EXPECT_LE(n, 500);
  }
}

}  // namespace
}  // namespace torvel
