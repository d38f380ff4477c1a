// A settings file written or tampered with by someone else. A fresh store
// file gets rows whose names, type and value come from the input, inserted
// behind the store's back; the store must then read each one as a plain
// reader of the file says it should (the wrong type or an integer beyond
// 32 bits gives the default), list the same rows, and write over them.
//
// Input: rows until it runs out, each
//   flags: bits 0-2 the type column (1, 4, 4, 1, text '4', text 'x', 4.0, 8 bytes)
//          bits 3-5 the value (8-byte integer, 1-byte integer, text, blob,
//                   real, NULL, a number near the 32-bit limits, text)
//          bit 6    the section name bound as a blob instead of text
//   section: length byte (mod 6) and bytes; key: the same; then the value's bytes.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/sqlite_settings_store.h"

namespace {

using namespace torvel;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

constexpr int kDefaultInt = 0x5EED;
constexpr const char* kDefaultText = "\xFF(default)";

struct Input {
  const std::uint8_t* p;
  std::size_t left;
  std::uint8_t Byte() {
    if (!left) return 0;
    --left;
    return *p++;
  }
  std::string Bytes(std::size_t n) {
    n = n < left ? n : left;
    std::string s(reinterpret_cast<const char*>(p), n);
    p += n;
    left -= n;
    return s;
  }
  std::int64_t Int64() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | Byte();
    return static_cast<std::int64_t>(v);
  }
};

void BindText(sqlite3_stmt* s, int i, const std::string& t) {
  sqlite3_bind_text(s, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
}

void InsertRow(Input& in, sqlite3_stmt* insert) {
  const std::uint8_t flags = in.Byte();
  const std::string section = in.Bytes(in.Byte() % 6);
  const std::string key = in.Bytes(in.Byte() % 6);
  if (flags & 0x40)
    sqlite3_bind_blob(insert, 1, section.data(), static_cast<int>(section.size()), SQLITE_TRANSIENT);
  else
    BindText(insert, 1, section);
  BindText(insert, 2, key);
  switch (flags & 7) {
    case 0: case 3: sqlite3_bind_int64(insert, 3, 1); break;
    case 1: case 2: sqlite3_bind_int64(insert, 3, 4); break;
    case 4: BindText(insert, 3, "4"); break;
    case 5: BindText(insert, 3, "x"); break;
    case 6: sqlite3_bind_double(insert, 3, 4.0); break;
    default: sqlite3_bind_int64(insert, 3, in.Int64()); break;
  }
  static constexpr std::int64_t kEdges[] = {-1,          0,          INT32_MIN,      INT32_MIN - 1ll,
                                            INT32_MAX,   UINT32_MAX, UINT32_MAX + 1ll, INT64_MIN};
  switch ((flags >> 3) & 7) {
    case 0: sqlite3_bind_int64(insert, 4, in.Int64()); break;
    case 1: sqlite3_bind_int64(insert, 4, static_cast<std::int8_t>(in.Byte())); break;
    case 3: {
      const std::string b = in.Bytes(in.Byte() % 16);
      sqlite3_bind_blob(insert, 4, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
      break;
    }
    case 4: {
      const std::int64_t bits = in.Int64();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      sqlite3_bind_double(insert, 4, d);
      break;
    }
    case 5: sqlite3_bind_null(insert, 4); break;
    case 6: sqlite3_bind_int64(insert, 4, kEdges[in.Byte() % 8]); break;
    default: BindText(insert, 4, in.Bytes(in.Byte() % 16)); break;
  }
  sqlite3_step(insert);  // a constraint failure is one more row that is not there
  sqlite3_reset(insert);
  sqlite3_clear_bindings(insert);
}

// What a reader of the file should get from one row, decided from SQLite's
// own view of the row rather than from the store.
struct Expected {
  std::string section, key;
  std::optional<int> number;
  std::optional<std::string> text;
};

std::optional<std::string> Name(sqlite3_stmt* s, int c) {
  if (sqlite3_column_type(s, c) != SQLITE_TEXT) return std::nullopt;
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
  std::string n(p ? p : "", p ? static_cast<std::size_t>(sqlite3_column_bytes(s, c)) : 0);
  if (n.find('\0') != std::string::npos) return std::nullopt;  // no reader can name it
  return n;
}

std::vector<Expected> ReadRows(sqlite3* db) {
  std::vector<Expected> rows;
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "SELECT section, key, type, value FROM settings ORDER BY section, key", -1, &s, nullptr);
  while (sqlite3_step(s) == SQLITE_ROW) {
    auto section = Name(s, 0), key = Name(s, 1);
    if (!section || !key) continue;
    Expected e{*section, *key, {}, {}};
    const bool typed = sqlite3_column_type(s, 2) == SQLITE_INTEGER;
    const std::int64_t type = typed ? sqlite3_column_int64(s, 2) : 0;
    const int vt = sqlite3_column_type(s, 3);
    if (type == 4 && vt == SQLITE_INTEGER) {
      const std::int64_t v = sqlite3_column_int64(s, 3);
      if (v >= INT32_MIN && v <= static_cast<std::int64_t>(UINT32_MAX))
        e.number = static_cast<int>(static_cast<std::uint32_t>(v));
    }
    if (type == 1 && (vt == SQLITE_TEXT || vt == SQLITE_BLOB)) {
      const auto* p = static_cast<const char*>(vt == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(s, 3))
                                                                 : sqlite3_column_blob(s, 3));
      e.text = std::string(p ? p : "", p ? static_cast<std::size_t>(sqlite3_column_bytes(s, 3)) : 0);
    }
    rows.push_back(std::move(e));
  }
  sqlite3_finalize(s);
  return rows;
}

std::string FlipCase(std::string s) {
  for (char& c : s)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
  return s;
}

// One folder for the whole run (tmpfs when there is one: commits are the
// cost), removed at exit.
struct Folder {
  std::string path;
  Folder() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = std::string(base) + "/torvel-settings-fuzz-XXXXXX";
    Check(mkdtemp(path.data()) != nullptr);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Folder folder;
  const std::string path = folder.path + "/settings.sqlite3";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);

  SqliteSettingsStore store(path);  // makes the file and its table
  Check(store.IsOpen());
  sqlite3* db = nullptr;
  Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO settings(section, key, type, value) VALUES(?, ?, ?, ?)",
                     -1, &insert, nullptr);
  Input in{data, size};
  while (in.left > 0) InsertRow(in, insert);
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const std::vector<Expected> rows = ReadRows(db);
  sqlite3_close(db);

  std::size_t readable = 0;
  for (const Expected& e : rows) {
    for (const std::string& section : {e.section, FlipCase(e.section)}) {
      const std::string key = section == e.section ? e.key : FlipCase(e.key);
      Check(store.GetProfileInt(section, key, kDefaultInt) == e.number.value_or(kDefaultInt));
      Check(store.GetProfileString(section, key, kDefaultText) == e.text.value_or(kDefaultText));
    }
    readable += e.number || e.text;
  }

  const auto dump = store.Dump();
  Check(dump.size() == readable);
  std::size_t i = 0;
  for (const Expected& e : rows) {
    if (!e.number && !e.text) continue;
    const SettingsStore::Entry& d = dump[i++];
    Check(d.section == e.section && d.key == e.key && d.isInt == e.number.has_value());
    Check(d.isInt ? d.intValue == *e.number : d.text == *e.text);
  }

  // The store writes over whatever it finds under a name.
  const std::string section = rows.empty() ? "Options" : rows.front().section;
  const std::string key = rows.empty() ? "Once" : rows.front().key;
  store.WriteProfileInt(section, key, -1);
  Check(store.GetProfileInt(section, key, kDefaultInt) == -1);
  Check(store.GetProfileString(section, key, kDefaultText) == kDefaultText);
  store.WriteProfileString(section, key, "");
  Check(store.GetProfileString(section, key, kDefaultText).empty());
  Check(store.GetProfileInt(section, key, kDefaultInt) == kDefaultInt);
  return 0;
}
