#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"

namespace dovel::server {

// At most this many words; a query with more gets no answer.
inline constexpr size_t kMaxQueryWords = 5;

// A keyword or hash query as read from its datagram. Texts are UTF-8.
struct SearchQuery {
  // Copied back into every result, so that the searcher can tell its results apart.
  std::array<uint8_t, 8> searcher_key{};
  bool searcher_usable = false;
  uint32_t search_number = 0;
  uint32_t time_field = 0;
  uint8_t destination = 0;
  std::string searcher_id;
  platform::Ipv4 reply_address = 0;
  uint16_t reply_port = 0;

  // What is looked for: either words (none empty) with an optional extension,
  // or hashes (32 lower-case hex digits each).
  std::vector<std::string> words;
  std::optional<std::string> extension;
  std::vector<std::string> hashes;
};

// Reads a keyword (11) or hash (12) query. nullopt for anything malformed: a
// wrong check byte, too short for its fields or its hash count, a hash count
// outside 1..50, six or more words, no word at all, no valid hash, text that is
// not CP949, a reply port outside 1..65535.
std::optional<SearchQuery> parse_search_query(std::string_view datagram);

// The SQL of a query with every value it carries as a bound parameter (0-based,
// in order). The rows come as: name, hash, extension, file type, size, right,
// path, share index.
struct SearchStatement {
  std::string sql;
  std::vector<std::variant<std::string, int64_t>> parameters;
};

// The statements that answer a query, to be read in order. `shares` are the
// share indexes whose rows the searcher may see (the caller answers nothing when
// there are none). A keyword query reads the (name, extension) pairs that
// `name_match` (a name-index expression for its words) selects, then the pairs
// newer than `indexed_up_to`, which the full-text table does not hold yet.
std::vector<SearchStatement> build_search_statements(const SearchQuery& query, const std::vector<settings::ShareIndex>& shares,
                                                     std::string_view name_match, int64_t indexed_up_to);

}  // namespace dovel::server
