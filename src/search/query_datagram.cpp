#include "search/query_datagram.h"

#include <cstring>

#include "server/search_datagram.h"
#include "service/frame.h"
#include "service/relay_messages.h"
#include "service/wire_text.h"
#include "util/little_endian.h"

namespace dovel::search {
namespace {

// Every query is meant for the search window of the searcher.
constexpr uint8_t kResultsToSearchWindow = server::kSearchWindowDestination;
// The last byte of the common fields: the searcher is adult.
constexpr size_t kQueryAdult = 95;

template <typename Value>
void put_at(std::string& datagram, size_t offset, const Value& value) {
  std::memcpy(datagram.data() + offset, &value, sizeof value);
}

void put_u32(std::string& datagram, size_t offset, uint32_t value) {
  std::string bytes;
  util::append_u32(bytes, value);
  datagram.replace(offset, bytes.size(), bytes);
}

// The common fields of both query types in a datagram of `size` bytes.
std::optional<std::string> query_with_header(uint8_t type, size_t size, const QueryHeader& header) {
  const std::optional<std::string> user_id = service::fixed_text(header.user_id, server::kQueryUserIdSize, true);
  if (!user_id) return std::nullopt;
  std::string datagram(size, '\0');
  datagram[0] = static_cast<char>(service::search_check_byte(type));
  datagram[1] = static_cast<char>(type);
  datagram.replace(server::kQuerySearcherKey, header.searcher_key.size(), reinterpret_cast<const char*>(header.searcher_key.data()),
                   header.searcher_key.size());
  datagram[server::kQuerySearcherUsable] = header.searcher_usable ? 1 : 0;
  put_u32(datagram, server::kQuerySearchNumber, header.search_number);
  datagram[server::kQueryDestination] = static_cast<char>(kResultsToSearchWindow);
  datagram.replace(server::kQueryUserId, user_id->size(), *user_id);
  put_at(datagram, server::kQueryReplyAddress, header.reply.address);
  put_u32(datagram, server::kQueryReplyPort, header.reply.port);
  datagram[kQueryAdult] = header.adult ? 1 : 0;
  return datagram;
}

}  // namespace

SearcherKey server_searcher_key(platform::Ipv4 address, uint32_t share_port) {
  std::string bytes(reinterpret_cast<const char*>(&address), sizeof address);
  util::append_u32(bytes, share_port);
  SearcherKey key{};
  std::memcpy(key.data(), bytes.data(), key.size());
  return key;
}

SearcherKey relay_searcher_key(uint16_t ticket) {
  const std::string bytes = service::searcher_key_of_ticket(ticket);
  SearcherKey key{};
  std::memcpy(key.data(), bytes.data(), key.size());
  return key;
}

std::optional<std::string> build_keyword_query(const QueryHeader& header, std::string_view query_text) {
  if (query_text.size() > server::kQueryTextSize) return std::nullopt;
  std::optional<std::string> datagram = query_with_header(server::kKeywordQuery, server::kKeywordQuerySize, header);
  if (!datagram) return std::nullopt;
  std::string field(server::kQueryTextSize, '\0');
  field.replace(0, query_text.size(), query_text);
  datagram->replace(server::kQueryText, field.size(), service::scrambled(field));
  return datagram;
}

std::optional<std::string> build_hash_query(const QueryHeader& header, const std::vector<std::string>& hashes) {
  if (hashes.empty() || hashes.size() > server::kMaxQueryHashes) return std::nullopt;
  std::optional<std::string> datagram = query_with_header(server::kHashQuery, kHashQueryDatagramSize, header);
  if (!datagram) return std::nullopt;
  (*datagram)[server::kQueryHashCount] = static_cast<char>(hashes.size());
  for (size_t i = 0; i < hashes.size(); ++i) {
    if (hashes[i].size() != server::kHashTextSize) return std::nullopt;
    datagram->replace(server::kQueryHashes + i * server::kHashTextSize, server::kHashTextSize, hashes[i]);
  }
  return datagram;
}

void set_query_time(std::string& datagram, platform::Tick tick) {
  if (datagram.size() >= server::kQueryTimeField + sizeof tick) put_u32(datagram, server::kQueryTimeField, tick);
}

}  // namespace dovel::search
