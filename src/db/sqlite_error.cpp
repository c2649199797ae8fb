#include "db/sqlite_error.h"

#include "base/string_printf.h"

namespace dovel::db {

const char* sqlite_code_name(int code) {
  static constexpr const char* kNames[] = {
      "SQLITE_OK",       "SQLITE_ERROR",    "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",  "SQLITE_BUSY",   "SQLITE_LOCKED",
      "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT", "SQLITE_IOERR",   "SQLITE_CORRUPT", "SQLITE_NOTFOUND", "SQLITE_FULL",
      "SQLITE_CANTOPEN", "SQLITE_PROTOCOL", "SQLITE_EMPTY",    "SQLITE_SCHEMA",   "SQLITE_TOOBIG", "SQLITE_CONSTRAINT", "SQLITE_MISMATCH",
      "SQLITE_MISUSE",   "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",   "SQLITE_RANGE"};
  if (code >= 0 && code < static_cast<int>(std::size(kNames))) return kNames[code];
  if (code == 100) return "SQLITE_ROW";
  if (code == 101) return "SQLITE_DONE";
  if (code == kLayerError) return "CPPSQLITE_ERROR";
  return "UNKNOWN_ERROR";
}

SqliteError::SqliteError(int code, std::string_view text)
    : code_(code), message_(base::string_printf("%s[%d]: %s", sqlite_code_name(code), code, std::string(text).c_str())) {}

}  // namespace dovel::db
