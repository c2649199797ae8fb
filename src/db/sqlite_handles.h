#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>
#include <utility>

#include "db/sqlite_engine.h"

namespace dovel::db {

// What a prepared statement of either database layer does; each layer adds its
// own kind of query. Parameter indices are 0-based.
template <typename Error>
class BasicStatement {
 public:
  BasicStatement() = default;
  BasicStatement(sqlite3* connection, sqlite3_stmt* statement) : connection_(connection), statement_(statement) {}
  ~BasicStatement() { Engine::finish_quietly(connection_, statement_, true); }
  BasicStatement(BasicStatement&& other) noexcept { *this = std::move(other); }
  BasicStatement& operator=(BasicStatement&& other) noexcept {
    if (this != &other) {
      Engine::finish_quietly(connection_, statement_, true);
      connection_ = std::exchange(other.connection_, nullptr);
      statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
  }
  BasicStatement(const BasicStatement&) = delete;
  BasicStatement& operator=(const BasicStatement&) = delete;

  void Bind(int parameter, std::string_view text) { Engine::bind_text(statement_, parameter, text); }
  void Bind(int parameter, int value) { Engine::bind_int(statement_, parameter, value); }
  void Bind(int parameter, int64_t value) { Engine::bind_int(statement_, parameter, value); }
  // Runs it to its end; the number of changed rows. The statement is reset afterwards.
  int Execute() { return Engine::run_to_end(connection_, statement_); }
  void Reset() { Engine::reset(connection_, statement_); }
  void Finish() { Engine::finish(connection_, statement_, true); }

 protected:
  using Engine = SqliteEngine<Error>;

  sqlite3* connection_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

// What a connection of either database layer does; each layer adds its own
// opening, queries and statements.
template <typename Error>
class BasicConnection {
 public:
  static constexpr int kBusyTimeoutMs = 60000;

  BasicConnection() = default;
  ~BasicConnection() { Close(); }
  BasicConnection(const BasicConnection&) = delete;
  BasicConnection& operator=(const BasicConnection&) = delete;

  void Close() {
    if (handle_ == nullptr) return;
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
  }
  bool IsOpen() const { return handle_ != nullptr; }
  // Runs one or more statements; the number of rows the last one changed.
  int Execute(std::string_view sql) { return Engine::execute(handle_, sql); }

 protected:
  using Engine = SqliteEngine<Error>;

  sqlite3* handle_ = nullptr;
};

}  // namespace dovel::db
