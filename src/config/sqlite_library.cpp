#include "config/sqlite_library.h"

#include <dlfcn.h>

namespace torvel {
namespace {

// The soname the -dev package's libsqlite3.so links to.
constexpr const char* kSoname = "libsqlite3.so.0";

struct Loaded {
  SqliteLibrary api{};
  bool ok = false;
  std::string why;
};

template <typename F>
bool Resolve(void* handle, const char* name, F& slot, std::string& why) {
  slot = reinterpret_cast<F>(::dlsym(handle, name));
  if (slot == nullptr) why = std::string(kSoname) + " has no " + name;
  return slot != nullptr;
}

Loaded Load() {
  Loaded l;
  // RTLD_LOCAL: nothing else in the process binds to these names by chance.
  void* handle = ::dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = ::dlerror();
    l.why = std::string("cannot load ") + kSoname + ": " + (error ? error : "unknown error");
    return l;
  }
  SqliteLibrary& a = l.api;
  l.ok = Resolve(handle, "sqlite3_open_v2", a.open_v2, l.why) &&
         Resolve(handle, "sqlite3_close_v2", a.close_v2, l.why) &&
         Resolve(handle, "sqlite3_exec", a.exec, l.why) &&
         Resolve(handle, "sqlite3_errmsg", a.errmsg, l.why) &&
         Resolve(handle, "sqlite3_extended_errcode", a.extended_errcode, l.why) &&
         Resolve(handle, "sqlite3_extended_result_codes", a.extended_result_codes, l.why) &&
         Resolve(handle, "sqlite3_busy_timeout", a.busy_timeout, l.why) &&
         Resolve(handle, "sqlite3_prepare_v3", a.prepare_v3, l.why) &&
         Resolve(handle, "sqlite3_finalize", a.finalize, l.why) &&
         Resolve(handle, "sqlite3_reset", a.reset, l.why) &&
         Resolve(handle, "sqlite3_step", a.step, l.why) &&
         Resolve(handle, "sqlite3_bind_text", a.bind_text, l.why) &&
         Resolve(handle, "sqlite3_bind_int64", a.bind_int64, l.why) &&
         Resolve(handle, "sqlite3_column_type", a.column_type, l.why) &&
         Resolve(handle, "sqlite3_column_int64", a.column_int64, l.why) &&
         Resolve(handle, "sqlite3_column_text", a.column_text, l.why) &&
         Resolve(handle, "sqlite3_column_blob", a.column_blob, l.why) &&
         Resolve(handle, "sqlite3_column_bytes", a.column_bytes, l.why);
  // Kept loaded when incomplete too: a half-resolved table is never handed out.
  return l;
}

}  // namespace

const SqliteLibrary* LoadSqlite(std::string& why) {
  if (LinkedSqlite != nullptr) return LinkedSqlite();
  static const Loaded loaded = Load();
  if (!loaded.ok) why = loaded.why;
  return loaded.ok ? &loaded.api : nullptr;
}

}  // namespace torvel
