#include "central/report_store.h"

#include "base/text.h"

namespace dovel::central {

void ReportStore::add(const StoredReport& stored) {
  database_.with([&](db::Sqlite3Connection& connection) {
    auto statement = connection.Prepare(
        "INSERT INTO download_reports (reported_at, reporter, account_serial, owners, file_name, size, received) VALUES (?, ?, ?, ?, ?, ?, ?)");
    statement.Bind(0, stored.reported_at);
    statement.Bind(1, stored.reporter);
    statement.Bind(2, stored.report.account_serial);
    statement.Bind(3, base::join(stored.report.owners, ","));
    statement.Bind(4, stored.report.file_name);
    statement.Bind(5, stored.report.size);
    statement.Bind(6, stored.report.received);
    statement.Execute();
  });
}

std::vector<StoredReport> ReportStore::list() {
  return database_.with([&](db::Sqlite3Connection& connection) {
    std::vector<StoredReport> reports;
    for (db::Sqlite3Query row = connection.Query(
             "SELECT reported_at, reporter, account_serial, owners, file_name, size, received FROM download_reports ORDER BY id");
         !row.AtEnd(); row.Next()) {
      StoredReport stored;
      stored.reported_at = row.Int64(0);
      stored.reporter = row.Text(1);
      stored.report.account_serial = row.Int64(2);
      for (std::string& owner : base::split(row.Text(3), ',')) {
        if (!owner.empty()) stored.report.owners.push_back(std::move(owner));
      }
      stored.report.file_name = row.Text(4);
      stored.report.size = row.Int64(5);
      stored.report.received = row.Int64(6);
      reports.push_back(std::move(stored));
    }
    return reports;
  });
}

}  // namespace dovel::central
