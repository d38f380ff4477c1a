// SQLite linked into the program itself: for torvelctl, whose reading
// commands open the settings store at every start. Loading Debian's
// libsqlite3 (bound at load, 1,700 relocations) cost more than the whole
// rest of a report.
#include "config/sqlite_library.h"

namespace torvel {

const SqliteLibrary* LinkedSqlite() {
  static const SqliteLibrary linked{
      ::sqlite3_open_v2,     ::sqlite3_close_v2,   ::sqlite3_exec,         ::sqlite3_errmsg,
      ::sqlite3_extended_errcode, ::sqlite3_extended_result_codes, ::sqlite3_busy_timeout,
      ::sqlite3_prepare_v3,  ::sqlite3_finalize,   ::sqlite3_reset,        ::sqlite3_step,
      ::sqlite3_bind_text,   ::sqlite3_bind_int64, ::sqlite3_column_type,  ::sqlite3_column_int64,
      ::sqlite3_column_text, ::sqlite3_column_blob, ::sqlite3_column_bytes};
  return &linked;
}

}  // namespace torvel
