// The store on a disk that fills up, turns read-only, holds a damaged file
// or a link: stored settings still read where the file can be read, and
// every write that did not stick says so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/keys.h"
#include "config/sqlite_settings_store.h"
#include "support/temp_dir.h"
#include "torvelctl/settings_command.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A small tmpfs of its own, so that filling it or making it read-only
// touches nothing else. Needs the right to mount (root in CI).
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& at, const char* size) : at_(at) {
    fs::create_directories(at_);
    const std::string opts = std::string("size=") + size + ",mode=0700";
    if (::mount("tmpfs", at_.c_str(), "tmpfs", 0, opts.c_str()) == 0) mounted_ = true;
    else why_ = std::strerror(errno);
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  bool ReadOnly(bool on) {
    const unsigned long flags = MS_REMOUNT | (on ? MS_RDONLY : 0);
    return ::mount("tmpfs", at_.c_str(), "tmpfs", flags, nullptr) == 0;
  }
  // Writes a filler file until no byte more fits.
  void Fill() {
    const int fd = ::open((at_ / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
  }
  void Free() { fs::remove(at_ / "filler"); }

 private:
  fs::path at_;
  bool mounted_ = false;
  std::string why_;
};

#define NEED_DISK(disk) \
  if (!(disk).mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (" << (disk).why() << ")"

void StoreTwo(const std::string& path) {
  SqliteSettingsStore store(path);
  ASSERT_TRUE(store.IsOpen()) << store.LastError();
  store.WriteProfileString(keys::kOptions, keys::kSmtpServer, "mail.example.org");
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 7);
  ASSERT_EQ(store.TakeWriteFailures(), "");
}

TEST(StoreLossTest, FullDiskStillReadsAndReportsEachLostWrite) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "512k");
  NEED_DISK(disk);
  const std::string path = (dir.path() / "disk/settings.sqlite3").string();
  StoreTwo(path);
  disk.Fill();

  SqliteSettingsStore store(path);
  // Alert mail must not stop because the disk is full.
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kSmtpServer, ""), "mail.example.org");
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 7);
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 9);
  store.WriteProfileInt(keys::kOptions, keys::kOnce, 1);
  const std::string failed = store.TakeWriteFailures();
  EXPECT_NE(failed.find(path), std::string::npos) << failed;
  EXPECT_NE(failed.find("PollEvery not written"), std::string::npos) << failed;
  EXPECT_NE(failed.find("(2 writes failed)"), std::string::npos) << failed;
  EXPECT_EQ(store.TakeWriteFailures(), "") << "taken once";
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 7);

  // Once there is room again, the same store writes.
  disk.Free();
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 9);
  EXPECT_EQ(store.TakeWriteFailures(), "");
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 9);
  EXPECT_FALSE(store.ReadOnly());
}

TEST(StoreLossTest, ReadOnlyDiskOpensForReading) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "1m");
  NEED_DISK(disk);
  const std::string path = (dir.path() / "disk/settings.sqlite3").string();
  StoreTwo(path);
  ASSERT_TRUE(disk.ReadOnly(true));

  SqliteSettingsStore store(path);
  EXPECT_TRUE(store.IsOpen());
  EXPECT_TRUE(store.ReadOnly());
  EXPECT_NE(store.LastError().find("read-only"), std::string::npos) << store.LastError();
  EXPECT_EQ(store.GetProfileString(keys::kOptions, keys::kSmtpServer, ""), "mail.example.org");
  EXPECT_EQ(store.Dump().size(), 2u);
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 9);
  EXPECT_NE(store.TakeWriteFailures(), "");
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 7);
  // Setting the value it already has still fails: nothing was written.
  StringOut out, err;
  EXPECT_NE(RunSettingsCommand({"set", "Options", "PollEvery", "int", "7"}, store, out, err), 0);
  EXPECT_NE(err.str().find("PollEvery not written: the store is open read-only"), std::string::npos)
      << err.str();
  ASSERT_TRUE(disk.ReadOnly(false));
}

TEST(StoreLossTest, DamagedFileIsLeftAsItIsAndSaidToBe) {
  TempDir dir;
  const std::string path = dir.File("settings.sqlite3");
  StoreTwo(path);
  // Page 1's header is what SQLite checks first.
  std::string bytes = test::ReadFile(path);
  ASSERT_GT(bytes.size(), 100u);
  for (size_t i = 0; i < 16; ++i) bytes[i] = 'x';
  test::WriteFile(path, bytes);

  SqliteSettingsStore store(path);
  EXPECT_FALSE(store.IsOpen());
  EXPECT_TRUE(store.Corrupt());
  EXPECT_NE(store.LastError().find("left untouched"), std::string::npos) << store.LastError();
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 9);
  EXPECT_NE(store.TakeWriteFailures(), "");
  EXPECT_EQ(test::ReadFile(path), bytes);
  EXPECT_FALSE(fs::exists(path + "-wal"));
}

TEST(StoreLossTest, SymbolicLinkIsNotFollowed) {
  TempDir dir;
  const std::string target = dir.File("elsewhere.sqlite3");
  StoreTwo(target);
  const std::string before = test::ReadFile(target);
  const std::string path = dir.File("settings.sqlite3");
  fs::create_symlink(target, path);

  SqliteSettingsStore store(path);
  EXPECT_FALSE(store.IsOpen());
  EXPECT_NE(store.LastError().find("symbolic link"), std::string::npos) << store.LastError();
  EXPECT_EQ(store.GetProfileInt(keys::kOptions, keys::kPollEvery, 1), 1);
  store.WriteProfileInt(keys::kOptions, keys::kPollEvery, 9);
  EXPECT_NE(store.TakeWriteFailures(), "");
  EXPECT_EQ(test::ReadFile(target), before);
  EXPECT_TRUE(fs::is_symlink(path));
}

}  // namespace
}  // namespace torvel
