#include "db/sqlite3_connection.h"

#include <cstdlib>
#include <utility>

#include "db/name_index.h"
#include "db/sqlite_engine.h"

namespace dovel::db {
namespace {

using Engine = SqliteEngine<CppSQLite3Exception>;

}  // namespace

// ---- Sqlite3Query ----

Sqlite3Query::Sqlite3Query(sqlite3* connection, sqlite3_stmt* statement, bool at_end, bool owns_statement)
    : connection_(connection),
      statement_(statement),
      at_end_(at_end),
      columns_(statement != nullptr ? sqlite3_column_count(statement) : 0),
      owns_statement_(owns_statement) {}

Sqlite3Query::~Sqlite3Query() { Engine::finish_quietly(connection_, statement_, owns_statement_); }

Sqlite3Query::Sqlite3Query(Sqlite3Query&& other) noexcept { *this = std::move(other); }

Sqlite3Query& Sqlite3Query::operator=(Sqlite3Query&& other) noexcept {
  if (this != &other) {
    Engine::finish_quietly(connection_, statement_, owns_statement_);
    connection_ = std::exchange(other.connection_, nullptr);
    statement_ = std::exchange(other.statement_, nullptr);
    at_end_ = std::exchange(other.at_end_, true);
    columns_ = std::exchange(other.columns_, 0);
    owns_statement_ = std::exchange(other.owns_statement_, false);
  }
  return *this;
}

void Sqlite3Query::check_statement() const { Engine::require_statement(statement_); }

void Sqlite3Query::check_column(int column) const {
  check_statement();
  if (column < 0 || column > columns_ - 1) Engine::fail(kLayerError, "Invalid field index requested");
}

int Sqlite3Query::ColumnCount() const {
  check_statement();
  return columns_;
}

const char* Sqlite3Query::Text(int column) const {
  check_column(column);
  return reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
}

int64_t Sqlite3Query::Int64(int column) const {
  check_column(column);
  return sqlite3_column_int64(statement_, column);
}

bool Sqlite3Query::IsNull(int column) const {
  check_column(column);
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

bool Sqlite3Query::AtEnd() const {
  check_statement();
  return at_end_;
}

void Sqlite3Query::Next() {
  check_statement();
  // Stepping a finished statement would start it over, running an insert or
  // update a second time; past the end stays at the end.
  if (at_end_) return;
  at_end_ = !Engine::step(connection_, statement_, owns_statement_);
}

void Sqlite3Query::Finish() { Engine::finish(connection_, statement_, owns_statement_); }

// ---- Sqlite3Statement ----

void Sqlite3Statement::Bind(int parameter, double value) { Engine::bind_double(statement_, parameter, value); }

Sqlite3Query Sqlite3Statement::Query() {
  Engine::require_statement(statement_);
  sqlite3_stmt* statement = statement_;
  bool row = Engine::step(connection_, statement, false);
  return Sqlite3Query(connection_, statement_, !row, false);
}

// ---- Sqlite3Connection ----

void Sqlite3Connection::Open(const std::filesystem::path& file) {
  Close();
  EnableNameTokenizer();
  handle_ = Engine::open(file, kBusyTimeoutMs);
  // The shared-files table is an index that the next hashing run can rebuild:
  // a write-ahead log without a sync at every commit keeps it consistent after a
  // crash and spares each small write its own disk flush. The name index's
  // trigger gives every insert a statement journal; kept in memory, it costs
  // no file writes.
  try {
    Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA temp_store=MEMORY;");
  } catch (const CppSQLite3Exception&) {
  }
}

Sqlite3Query Sqlite3Connection::Query(std::string_view sql) {
  sqlite3_stmt* statement = Engine::compile(handle_, sql);
  bool row = Engine::step(handle_, statement, true);
  return Sqlite3Query(handle_, statement, !row, true);
}

int Sqlite3Connection::QueryScalar(std::string_view sql) {
  Sqlite3Query query = Query(sql);
  if (query.AtEnd() || query.ColumnCount() < 1) Engine::fail(kLayerError, "Invalid scalar query");
  const char* text = query.Text(0);
  return text != nullptr ? std::atoi(text) : 0;
}

Sqlite3Statement Sqlite3Connection::Prepare(std::string_view sql) { return Sqlite3Statement(handle_, Engine::compile(handle_, sql)); }

}  // namespace dovel::db
