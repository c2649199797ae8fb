#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace dovel::db {

// The code of errors the access layer finds itself (closed connection, bad field index, ...).
inline constexpr int kLayerError = 1000;

// "SQLITE_OK", "SQLITE_ERROR", ..., "CPPSQLITE_ERROR" for 1000, "UNKNOWN_ERROR" otherwise.
const char* sqlite_code_name(int code);

// A failure of the database layer: the engine's result code (or kLayerError) and
// the message "NAME[CODE]: text".
class SqliteError : public std::exception {
 public:
  SqliteError(int code, std::string_view text);
  int code() const { return code_; }
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  int code_;
  std::string message_;
};

// Thrown by the layer over the shared-files database.
class CppSQLite3Exception : public SqliteError {
 public:
  using SqliteError::SqliteError;
};

// Thrown by the layer over the info database.
class CppSQLiteException : public SqliteError {
 public:
  using SqliteError::SqliteError;
};

}  // namespace dovel::db
