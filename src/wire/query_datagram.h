#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "service/endpoints.h"
#include "wire/search_datagram.h"

namespace dovel::wire {

// What a responder copies back into every result, so that they find their way:
// the searcher's own address and share port when its server is usable.
using SearcherKey = std::array<uint8_t, 8>;
SearcherKey server_searcher_key(platform::Ipv4 address, uint32_t share_port);
// Through the relay: the relay's ticket, sign-extended.
SearcherKey relay_searcher_key(uint16_t ticket);

// The fields every query carries.
struct QueryHeader {
  SearcherKey searcher_key{};
  bool searcher_usable = false;
  uint32_t search_number = 0;
  std::string user_id;         // UTF-8; at most 15 bytes in CP949
  service::Endpoint reply;     // where the results go
  bool adult = false;
};

// A keyword query of 96 bytes around the query text (CP949, at most 50 bytes,
// sent scrambled). nullopt when the text or the user ID does not fit.
std::optional<std::string> build_keyword_query(const QueryHeader& header, std::string_view query_text);
// A hash query of 1697 bytes with 1..50 FileHash values of 32 characters each.
// nullopt when they do not fit or the user ID does not.
std::optional<std::string> build_hash_query(const QueryHeader& header, const std::vector<std::string>& hashes);

// Sets the time field of a built query, just before it is sent.
void set_query_time(std::string& datagram, platform::Tick tick);

// The query text holds up to three fields split by 0x02: the words split by
// 0x01, an extension, a hash.
inline constexpr char kQueryFieldSeparator = '\x02';
inline constexpr char kQueryWordSeparator = '\x01';
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

}  // namespace dovel::wire
