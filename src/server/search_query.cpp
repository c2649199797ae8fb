#include "server/search_query.h"

namespace dovel::server {
namespace {

// Rows whose stored flags hold SHARE_SECRET (16) or more are never searched.
constexpr int kSearchableRightBelow = 16;

constexpr const char* kColumns =
    "Select [shared_files].[name],[shared_files].[hash],[shared_files].[extention],[shared_files].[file_type],"
    "[shared_files].[size],[shared_files].[right],[shared_files].[path],[shared_files].[shared_index]";

// A keyword search goes from the pairs the name index selects to the pairs that
// pass the exact tests, then to their rows through the name index of the table.
// CROSS JOIN keeps the planner to that order, and the rows come one step at a
// time, so a full answer stops the search early.
constexpr const char* kFromIndexedPairs =
    " From [shared_names_grams] Cross Join [shared_names] On [shared_names].[id]=[shared_names_grams].[rowid]"
    " Cross Join [shared_files] On [shared_files].[name]=[shared_names].[name] And [shared_files].[extention] Is [shared_names].[extension]"
    " Where [shared_names_grams] Match ?";
constexpr const char* kFromNewerPairs =
    " From [shared_names] Cross Join [shared_files] On [shared_files].[name]=[shared_names].[name] And "
    "[shared_files].[extention] Is [shared_names].[extension] Where [shared_names].[id]>?";

// "%word%" with the word's own wildcards and escape character taken literally.
std::string like_containing(std::string_view word) {
  std::string pattern = "%";
  for (char c : word) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + '%';
}


}  // namespace

std::vector<SearchStatement> build_search_statements(const wire::SearchQuery& query, const std::vector<settings::ShareIndex>& shares,
                                                     std::string_view name_match, int64_t indexed_up_to) {
  std::vector<SearchStatement> statements;
  if (!query.hashes.empty()) {
    // Parenthesised, so that the conditions added below hold for every hash.
    SearchStatement& statement = statements.emplace_back();
    statement.sql = std::string(kColumns) + " From [shared_files] Where (";
    for (size_t i = 0; i < query.hashes.size(); ++i) {
      statement.sql += i == 0 ? "[shared_files].[hash]=?" : " Or [shared_files].[hash]=?";
      statement.parameters.emplace_back(query.hashes[i]);
    }
    statement.sql += ")";
  } else {
    statements.push_back({std::string(kColumns) + kFromIndexedPairs, {std::string(name_match)}});
    statements.push_back({std::string(kColumns) + kFromNewerPairs, {indexed_up_to}});
    for (SearchStatement& statement : statements) {
      for (const std::string& word : query.words) {
        statement.sql += " And [shared_names].[name] Like ? Escape '\\'";
        statement.parameters.emplace_back(like_containing(word));
      }
      if (query.extension) {
        statement.sql += " And [shared_names].[extension]=?";
        statement.parameters.emplace_back(*query.extension);
      }
    }
  }
  for (SearchStatement& statement : statements) {
    statement.sql += " And [shared_files].[right]<? And [shared_files].[shared_index] In (";
    statement.parameters.emplace_back(int64_t{kSearchableRightBelow});
    for (size_t i = 0; i < shares.size(); ++i) {
      statement.sql += i == 0 ? "?" : ",?";
      statement.parameters.emplace_back(int64_t{shares[i]});
    }
    statement.sql += ")";
  }
  return statements;
}

}  // namespace dovel::server
