#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "db/sqlite_error.h"

namespace dovel::db {

// The engine calls both database layers make, each failure thrown as the
// layer's own exception type.
template <typename Error>
struct SqliteEngine {
  [[noreturn]] static void fail(int code, std::string_view text) { throw Error(code, text); }
  [[noreturn]] static void fail_with_engine_text(sqlite3* connection, int code) {
    fail(code, connection != nullptr ? sqlite3_errmsg(connection) : "");
  }
  static void require(const void* handle, std::string_view text) {
    if (handle == nullptr) fail(kLayerError, text);
  }
  static void require_statement(sqlite3_stmt* statement) { require(statement, "Null Virtual Machine pointer"); }

  // Opens or creates the file with the busy time-out; `open_failure_code` (when
  // not 0) replaces the engine's code in the exception.
  static sqlite3* open(const std::filesystem::path& file, int busy_timeout_ms, int open_failure_code = 0) {
    sqlite3* handle = nullptr;
    int result = sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (result != SQLITE_OK) {
      std::string text = handle != nullptr ? sqlite3_errmsg(handle) : "";
      sqlite3_close(handle);
      fail(open_failure_code != 0 ? open_failure_code : result, text);
    }
    sqlite3_busy_timeout(handle, busy_timeout_ms);
    return handle;
  }

  static int execute(sqlite3* handle, std::string_view sql) {
    require(handle, "Database not open");
    std::string text(sql);
    char* error = nullptr;
    int result = sqlite3_exec(handle, text.c_str(), nullptr, nullptr, &error);
    if (result != SQLITE_OK) {
      std::string message = error != nullptr ? error : "";
      sqlite3_free(error);
      fail(result, message);
    }
    return sqlite3_changes(handle);
  }

  static sqlite3_stmt* compile(sqlite3* handle, std::string_view sql) {
    require(handle, "Database not open");
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v2(handle, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (result != SQLITE_OK) fail_with_engine_text(handle, result);
    require_statement(statement);  // only blanks or a comment
    return statement;
  }

  // One step; true on a row, false at the end. On failure the statement is
  // finalised (owned) or reset (borrowed) and the engine's text thrown.
  static bool step(sqlite3* handle, sqlite3_stmt*& statement, bool owned) {
    int result = sqlite3_step(statement);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    std::string text = sqlite3_errmsg(handle);
    if (owned) {
      sqlite3_finalize(statement);
    } else {
      sqlite3_reset(statement);
    }
    statement = nullptr;
    fail(result, text);
  }

  // Runs a statement to its end, resets it and returns the number of changed rows.
  static int run_to_end(sqlite3* handle, sqlite3_stmt* statement) {
    require_statement(statement);
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (result != SQLITE_DONE) {
      std::string text = sqlite3_errmsg(handle);
      sqlite3_reset(statement);
      fail(result, text);
    }
    int changes = sqlite3_changes(handle);
    reset(handle, statement);
    return changes;
  }

  static void reset(sqlite3* handle, sqlite3_stmt* statement) {
    require_statement(statement);
    if (int result = sqlite3_reset(statement); result != SQLITE_OK) fail_with_engine_text(handle, result);
  }

  // Ends a query or statement: finalises an owned statement, resets a borrowed one.
  static void finish(sqlite3* handle, sqlite3_stmt*& statement, bool owned) {
    if (statement == nullptr) return;
    sqlite3_stmt* done = std::exchange(statement, nullptr);
    if (!owned) {
      sqlite3_reset(done);
      return;
    }
    if (int result = sqlite3_finalize(done); result != SQLITE_OK) fail_with_engine_text(handle, result);
  }

  static void bind_text(sqlite3_stmt* statement, int parameter, std::string_view text) {
    require_statement(statement);
    // A default string_view has no data pointer, which the engine would bind as NULL.
    const char* data = text.data() != nullptr ? text.data() : "";
    int result = sqlite3_bind_text(statement, parameter + 1, data, static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (result != SQLITE_OK) fail(result, "Error binding string param");
  }
  static void bind_int(sqlite3_stmt* statement, int parameter, int64_t value) {
    require_statement(statement);
    int result = sqlite3_bind_int64(statement, parameter + 1, value);
    if (result != SQLITE_OK) fail(result, "Error binding int param");
  }
  static void bind_double(sqlite3_stmt* statement, int parameter, double value) {
    require_statement(statement);
    int result = sqlite3_bind_double(statement, parameter + 1, value);
    if (result != SQLITE_OK) fail(result, "Error binding double param");
  }

  // Runs `finish` from a destructor or move, where nothing may be thrown.
  static void finish_quietly(sqlite3* handle, sqlite3_stmt*& statement, bool owned) noexcept {
    try {
      finish(handle, statement, owned);
    } catch (const Error&) {
    }
  }
};

}  // namespace dovel::db
