#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite3_connection.h"
#include "server/search_query.h"
#include "server/search_terms.h"
#include "server/share_access.h"
#include "settings/shared_folder.h"

namespace dovel::server {

// Closed payloads a searcher gets at most besides the last one: more for a
// searcher whose own server is usable.
inline constexpr size_t kFullPayloadsForUsableSearcher = 5;
inline constexpr size_t kFullPayloadsOtherwise = 2;
// New (name, extension) pairs a keyword search takes into the name index first,
// at most; the rest it reads directly until later searches or idle time have
// taken them in.
inline constexpr int64_t kNamesTakenInPerQuery = 2000;

// The shares whose rows a search may answer, by their current flags and the
// share rule: a query carries no folder password, so never a secret one; a
// friend-only one for the owner and friends.
std::vector<settings::ShareIndex> searchable_shares(const std::vector<settings::SharedFolder>& folders, const ShareVisitor& searcher);

// Runs the query and packs the rows into result payloads (CP949, unscrambled),
// in order. A hash already answered in this query is not answered again; a row
// whose texts cannot be written on the wire is left out. `responder_id` is the
// CP949 form of our user ID; `planner` belongs to `database`. A keyword search
// first takes a batch of new names into the name index. The caller holds the
// database lock; a database failure throws CppSQLite3Exception.
std::vector<std::string> answer_search(db::Sqlite3Connection& database, SearchTermPlanner& planner, const wire::SearchQuery& query,
                                       const std::vector<settings::ShareIndex>& shares, std::string_view responder_id);

}  // namespace dovel::server
