#include "db/sqlite2_connection.h"

#include <algorithm>
#include <utility>

#include "db/sqlite_engine.h"

namespace dovel::db {
namespace {

using Engine = SqliteEngine<CppSQLiteException>;

}  // namespace

// ---- Sqlite2Query ----

Sqlite2Query::Sqlite2Query(sqlite3* connection, sqlite3_stmt* statement, bool owns_statement)
    : connection_(connection), statement_(statement), owns_statement_(owns_statement) {
  int columns = sqlite3_column_count(statement);
  for (int column = 0; column < columns; ++column) {
    const char* name = sqlite3_column_name(statement, column);
    names_.emplace_back(name != nullptr ? name : "");
  }
  step();
}

Sqlite2Query::~Sqlite2Query() { Engine::finish_quietly(connection_, statement_, owns_statement_); }

Sqlite2Query::Sqlite2Query(Sqlite2Query&& other) noexcept { *this = std::move(other); }

Sqlite2Query& Sqlite2Query::operator=(Sqlite2Query&& other) noexcept {
  if (this != &other) {
    Engine::finish_quietly(connection_, statement_, owns_statement_);
    connection_ = std::exchange(other.connection_, nullptr);
    statement_ = std::exchange(other.statement_, nullptr);
    at_end_ = std::exchange(other.at_end_, true);
    owns_statement_ = std::exchange(other.owns_statement_, false);
    values_ = std::move(other.values_);
    names_ = std::move(other.names_);
  }
  return *this;
}

void Sqlite2Query::check_statement() const { Engine::require_statement(statement_); }

void Sqlite2Query::step() {
  values_.clear();
  at_end_ = !Engine::step(connection_, statement_, owns_statement_);
  if (at_end_) return;
  for (int column = 0; column < static_cast<int>(names_.size()); ++column) {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    int length = sqlite3_column_bytes(statement_, column);
    values_.emplace_back(text != nullptr ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) : std::string());
  }
}

int Sqlite2Query::ColumnCount() const {
  check_statement();
  return static_cast<int>(names_.size());
}

const std::string& Sqlite2Query::Text(int column) const {
  check_statement();
  if (column < 0 || column >= static_cast<int>(values_.size())) Engine::fail(kLayerError, "Invalid field index requested");
  return values_[static_cast<size_t>(column)];
}

const std::string& Sqlite2Query::Text(std::string_view column_name) const {
  check_statement();
  auto found = std::find(names_.begin(), names_.end(), column_name);
  if (found == names_.end()) Engine::fail(kLayerError, "Invalid field name requested");
  return Text(static_cast<int>(found - names_.begin()));
}

bool Sqlite2Query::AtEnd() const {
  check_statement();
  return at_end_;
}

void Sqlite2Query::Next() {
  check_statement();
  // Stepping a finished statement would start it over; past the end stays at the end.
  if (at_end_) return;
  step();
}

void Sqlite2Query::Finish() { Engine::finish(connection_, statement_, owns_statement_); }

// ---- Sqlite2Statement ----

Sqlite2Query Sqlite2Statement::Query() {
  Engine::require_statement(statement_);
  return Sqlite2Query(connection_, statement_, false);
}

// ---- Sqlite2Connection ----

void Sqlite2Connection::Open(const std::filesystem::path& file) {
  Close();
  handle_ = Engine::open(file, kBusyTimeoutMs, SQLITE_CANTOPEN);
}

Sqlite2Query Sqlite2Connection::Query(std::string_view sql) { return Sqlite2Query(handle_, Engine::compile(handle_, sql), true); }

Sqlite2Statement Sqlite2Connection::Prepare(std::string_view sql) { return Sqlite2Statement(handle_, Engine::compile(handle_, sql)); }

}  // namespace dovel::db
