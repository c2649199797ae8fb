#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "service/endpoints.h"

namespace dovel::search {

// A hash query is sent at its full size, room for 50 hashes.
inline constexpr size_t kHashQueryDatagramSize = 1697;

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

}  // namespace dovel::search
