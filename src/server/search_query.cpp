#include "server/search_query.h"

#include <cstring>

#include "base/text.h"
#include "platform/cp949.h"
#include "server/search_datagram.h"
#include "service/frame.h"
#include "util/little_endian.h"

namespace dovel::server {
namespace {

constexpr char kFieldSeparator = '\x02';
constexpr char kWordSeparator = '\x01';

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

std::string_view up_to_nul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::optional<std::string> lower_case_hash(std::string_view text) {
  if (text.size() != kHashTextSize) return std::nullopt;
  std::string hash;
  for (char c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    hash += c;
  }
  return hash;
}

// "%word%" with the word's own wildcards and escape character taken literally.
std::string like_containing(std::string_view word) {
  std::string pattern = "%";
  for (char c : word) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + '%';
}

bool read_header(std::string_view datagram, SearchQuery& query) {
  std::memcpy(query.searcher_key.data(), datagram.data() + kQuerySearcherKey, query.searcher_key.size());
  query.searcher_usable = datagram[kQuerySearcherUsable] != 0;
  query.search_number = util::read_u32(datagram.data() + kQuerySearchNumber);
  query.time_field = util::read_u32(datagram.data() + kQueryTimeField);
  query.destination = static_cast<uint8_t>(datagram[kQueryDestination]);
  std::optional<std::string> user_id = platform::cp949_to_utf8(up_to_nul(datagram.substr(kQueryUserId, kQueryUserIdSize)));
  if (!user_id) return false;
  query.searcher_id = std::move(*user_id);
  std::memcpy(&query.reply_address, datagram.data() + kQueryReplyAddress, sizeof query.reply_address);
  const uint32_t reply_port = util::read_u32(datagram.data() + kQueryReplyPort);
  if (reply_port == 0 || reply_port > 0xFFFF) return false;
  query.reply_port = static_cast<uint16_t>(reply_port);
  return true;
}

// The text holds up to three fields split by 0x02: the words split by 0x01, an
// extension, a hash. Separators are found in the CP949 bytes (no CP949
// character contains them), then each piece is converted.
bool read_keywords(std::string_view datagram, SearchQuery& query) {
  const std::string text = service::scrambled(datagram.substr(kQueryText, kQueryTextSize));
  const std::vector<std::string> fields = base::split(up_to_nul(text), kFieldSeparator);
  if (fields.size() == 3 && fields[2].size() == kHashTextSize) {
    std::optional<std::string> hash = lower_case_hash(fields[2]);
    if (!hash) return false;
    query.hashes.push_back(std::move(*hash));
    return true;
  }
  const std::vector<std::string> pieces = base::split(fields[0], kWordSeparator);
  if (pieces.size() > kMaxQueryWords) return false;
  for (const std::string& piece : pieces) {
    // An empty word would match every name; it adds nothing to the others.
    if (piece.empty()) continue;
    std::optional<std::string> word = platform::cp949_to_utf8(piece);
    if (!word) return false;
    query.words.push_back(std::move(*word));
  }
  if (query.words.empty()) return false;
  if (fields.size() == 2) {
    query.extension = platform::cp949_to_utf8(fields[1]);
    if (!query.extension) return false;
  }
  return true;
}

bool read_hashes(std::string_view datagram, SearchQuery& query) {
  const size_t count = static_cast<uint8_t>(datagram[kQueryHashCount]);
  if (count < 1 || count > kMaxQueryHashes || datagram.size() < kQueryHashes + count * kHashTextSize) return false;
  for (size_t i = 0; i < count; ++i) {
    // A malformed hash is left out; the others are still looked up.
    if (std::optional<std::string> hash = lower_case_hash(datagram.substr(kQueryHashes + i * kHashTextSize, kHashTextSize))) {
      query.hashes.push_back(std::move(*hash));
    }
  }
  return !query.hashes.empty();
}

}  // namespace

std::optional<SearchQuery> parse_search_query(std::string_view datagram) {
  const std::optional<uint8_t> type = search_datagram_type(datagram);
  if (type != kKeywordQuery && type != kHashQuery) return std::nullopt;
  SearchQuery query;
  if (!read_header(datagram, query)) return std::nullopt;
  if (!(*type == kKeywordQuery ? read_keywords(datagram, query) : read_hashes(datagram, query))) return std::nullopt;
  return query;
}

std::vector<SearchStatement> build_search_statements(const SearchQuery& query, const std::vector<settings::ShareIndex>& shares,
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
