#include "central/false_report_store.h"

#include <optional>

#include "service/point_messages.h"

namespace dovel::central {

bool FalseReportStore::set(std::string_view hash, uint16_t count) {
  std::optional<std::string> key = service::normalized_file_hash(hash);
  if (!key) return false;
  database_.with([&](db::Sqlite3Connection& connection) {
    if (count == 0) {
      auto statement = connection.Prepare("DELETE FROM false_reports WHERE hash = ?");
      statement.Bind(0, *key);
      statement.Execute();
      return;
    }
    auto statement = connection.Prepare("INSERT INTO false_reports (hash, count) VALUES (?, ?) ON CONFLICT(hash) DO UPDATE SET count = excluded.count");
    statement.Bind(0, *key);
    statement.Bind(1, int64_t{count});
    statement.Execute();
  });
  return true;
}

uint16_t FalseReportStore::count(std::string_view hash) {
  std::optional<std::string> key = service::normalized_file_hash(hash);
  if (!key) return 0;
  return database_.with([&](db::Sqlite3Connection& connection) -> uint16_t {
    auto statement = connection.Prepare("SELECT count FROM false_reports WHERE hash = ?");
    statement.Bind(0, *key);
    db::Sqlite3Query row = statement.Query();
    return row.AtEnd() ? 0 : static_cast<uint16_t>(row.Int64(0));
  });
}

std::vector<FalseReportCount> FalseReportStore::list() {
  return database_.with([&](db::Sqlite3Connection& connection) {
    std::vector<FalseReportCount> counts;
    for (db::Sqlite3Query row = connection.Query("SELECT hash, count FROM false_reports ORDER BY hash"); !row.AtEnd(); row.Next()) {
      counts.push_back({row.Text(0), static_cast<uint16_t>(row.Int64(1))});
    }
    return counts;
  });
}

}  // namespace dovel::central
