#include "server/search_answer.h"

#include <set>
#include <variant>

#include "db/name_index.h"
#include "wire/result_datagram.h"

namespace dovel::server {
namespace {

std::string text_of(const db::Sqlite3Query& rows, int column) {
  const char* text = rows.Text(column);
  return text != nullptr ? text : "";
}

wire::ResultRow row_of(const db::Sqlite3Query& rows) {
  return {text_of(rows, 0), text_of(rows, 1), text_of(rows, 2), rows.Int(3), rows.Int64(4), rows.Int64(5), text_of(rows, 6),
          static_cast<settings::ShareIndex>(rows.Int64(7))};
}

}  // namespace

std::vector<settings::ShareIndex> searchable_shares(const std::vector<settings::SharedFolder>& folders, const ShareVisitor& searcher) {
  std::vector<settings::ShareIndex> shares;
  for (size_t index = 0; index < folders.size(); ++index) {
    if (decide_share_access(folders[index].flags, searcher, {}) != ShareAccess::Granted) continue;
    shares.push_back(static_cast<settings::ShareIndex>(index));
  }
  return shares;
}

std::vector<std::string> answer_search(db::Sqlite3Connection& database, SearchTermPlanner& planner, const wire::SearchQuery& query,
                                       const std::vector<settings::ShareIndex>& shares, std::string_view responder_id) {
  if (shares.empty()) return {};
  std::string name_match;
  int64_t indexed_up_to = 0;
  if (query.hashes.empty()) {
    db::CatchUpNameIndex(database, kNamesTakenInPerQuery);
    indexed_up_to = db::NameIndexIndexedUpTo(database);
    std::optional<std::string> match = planner.match(database, indexed_up_to, query.words, query.extension);
    if (!match) return {};
    name_match = std::move(*match);
  }

  wire::ResultPager pager(responder_id, query.searcher_usable ? kFullPayloadsForUsableSearcher : kFullPayloadsOtherwise);
  std::set<std::string> answered_hashes;
  for (const SearchStatement& statement : build_search_statements(query, shares, name_match, indexed_up_to)) {
    db::Sqlite3Statement compiled = database.Prepare(statement.sql);
    for (size_t i = 0; i < statement.parameters.size(); ++i) {
      std::visit([&](const auto& value) { compiled.Bind(static_cast<int>(i), value); }, statement.parameters[i]);
    }
    for (db::Sqlite3Query rows = compiled.Query(); !rows.AtEnd(); rows.Next()) {
      const wire::ResultRow row = row_of(rows);
      if (!row.hash.empty() && answered_hashes.count(row.hash) > 0) continue;
      const std::optional<std::string> record = wire::format_result_record(row);
      if (!record) continue;
      if (!row.hash.empty()) answered_hashes.insert(row.hash);
      if (!pager.add(*record)) return pager.finish();
    }
  }
  return pager.finish();
}

}  // namespace dovel::server
