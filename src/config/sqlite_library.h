// The system's SQLite, loaded when a settings store first opens, so that a
// command which never reads a setting never maps it (nor pays for its
// relocations at every start). A program linked with SQLite itself
// (torvelctl) hands over its functions instead.
#pragma once

#include <sqlite3.h>

#include <string>

namespace torvel {

struct SqliteLibrary {
  decltype(&::sqlite3_open_v2) open_v2;
  decltype(&::sqlite3_close_v2) close_v2;
  decltype(&::sqlite3_exec) exec;
  decltype(&::sqlite3_errmsg) errmsg;
  decltype(&::sqlite3_extended_errcode) extended_errcode;
  decltype(&::sqlite3_extended_result_codes) extended_result_codes;
  decltype(&::sqlite3_busy_timeout) busy_timeout;
  decltype(&::sqlite3_prepare_v3) prepare_v3;
  decltype(&::sqlite3_finalize) finalize;
  decltype(&::sqlite3_reset) reset;
  decltype(&::sqlite3_step) step;
  decltype(&::sqlite3_bind_text) bind_text;
  decltype(&::sqlite3_bind_int64) bind_int64;
  decltype(&::sqlite3_column_type) column_type;
  decltype(&::sqlite3_column_int64) column_int64;
  decltype(&::sqlite3_column_text) column_text;
  decltype(&::sqlite3_column_blob) column_blob;
  decltype(&::sqlite3_column_bytes) column_bytes;
};

// Loaded once per process and kept; nullptr when it cannot be, with the
// loader's reason in `why`.
const SqliteLibrary* LoadSqlite(std::string& why);

// Defined only in a program linked with SQLite (config/sqlite_linked.cpp);
// LoadSqlite then loads nothing.
[[gnu::weak]] const SqliteLibrary* LinkedSqlite();

}  // namespace torvel
