#include "wire/query_datagram.h"

#include <cstring>

#include "base/text.h"
#include "service/frame.h"
#include "service/relay_messages.h"
#include "util/file_hash_text.h"
#include "util/little_endian.h"
#include "wire/wire_text.h"

namespace dovel::wire {
namespace {

// Every query is meant for the search window of the searcher.
constexpr uint8_t kResultsToSearchWindow = kSearchWindowDestination;

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
  const std::optional<std::string> user_id = fixed_field(header.user_id, kQueryUserIdSize);
  if (!user_id) return std::nullopt;
  std::string datagram(size, '\0');
  datagram[0] = static_cast<char>(service::search_check_byte(type));
  datagram[1] = static_cast<char>(type);
  datagram.replace(kQuerySearcherKey, header.searcher_key.size(), reinterpret_cast<const char*>(header.searcher_key.data()),
                   header.searcher_key.size());
  datagram[kQuerySearcherUsable] = header.searcher_usable ? 1 : 0;
  put_u32(datagram, kQuerySearchNumber, header.search_number);
  datagram[kQueryDestination] = static_cast<char>(kResultsToSearchWindow);
  datagram.replace(kQueryUserId, user_id->size(), *user_id);
  put_at(datagram, kQueryReplyAddress, header.reply.address);
  put_u32(datagram, kQueryReplyPort, header.reply.port);
  datagram[kQueryAdult] = header.adult ? 1 : 0;
  return datagram;
}

bool read_header(std::string_view datagram, SearchQuery& query) {
  std::memcpy(query.searcher_key.data(), datagram.data() + kQuerySearcherKey, query.searcher_key.size());
  query.searcher_usable = datagram[kQuerySearcherUsable] != 0;
  query.search_number = util::read_u32(datagram.data() + kQuerySearchNumber);
  query.time_field = util::read_u32(datagram.data() + kQueryTimeField);
  query.destination = static_cast<uint8_t>(datagram[kQueryDestination]);
  std::optional<std::string> user_id = read_terminated_field(datagram.substr(kQueryUserId, kQueryUserIdSize));
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
  const std::vector<std::string> fields = base::split(up_to_terminator(text), kQueryFieldSeparator);
  if (fields.size() == 3 && fields[2].size() == kHashTextSize) {
    std::optional<std::string> hash = util::lower_case_file_hash(fields[2]);
    if (!hash) return false;
    query.hashes.push_back(std::move(*hash));
    return true;
  }
  const std::vector<std::string> pieces = base::split(fields[0], kQueryWordSeparator);
  if (pieces.size() > kMaxQueryWords) return false;
  for (const std::string& piece : pieces) {
    // An empty word would match every name; it adds nothing to the others.
    if (piece.empty()) continue;
    std::optional<std::string> word = read_field(piece);
    if (!word) return false;
    query.words.push_back(std::move(*word));
  }
  if (query.words.empty()) return false;
  if (fields.size() == 2) {
    query.extension = read_field(fields[1]);
    if (!query.extension) return false;
  }
  return true;
}

bool read_hashes(std::string_view datagram, SearchQuery& query) {
  const size_t count = static_cast<uint8_t>(datagram[kQueryHashCount]);
  if (count < 1 || count > kMaxQueryHashes || datagram.size() < kQueryHashes + count * kHashTextSize) return false;
  for (size_t i = 0; i < count; ++i) {
    // A malformed hash is left out; the others are still looked up.
    if (std::optional<std::string> hash = util::lower_case_file_hash(datagram.substr(kQueryHashes + i * kHashTextSize, kHashTextSize))) {
      query.hashes.push_back(std::move(*hash));
    }
  }
  return !query.hashes.empty();
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
  if (query_text.size() > kQueryTextSize) return std::nullopt;
  std::optional<std::string> datagram = query_with_header(kKeywordQuery, kKeywordQuerySize, header);
  if (!datagram) return std::nullopt;
  std::string field(kQueryTextSize, '\0');
  field.replace(0, query_text.size(), query_text);
  datagram->replace(kQueryText, field.size(), service::scrambled(field));
  return datagram;
}

std::optional<std::string> build_hash_query(const QueryHeader& header, const std::vector<std::string>& hashes) {
  if (hashes.empty() || hashes.size() > kMaxQueryHashes) return std::nullopt;
  std::optional<std::string> datagram = query_with_header(kHashQuery, kHashQueryDatagramSize, header);
  if (!datagram) return std::nullopt;
  (*datagram)[kQueryHashCount] = static_cast<char>(hashes.size());
  for (size_t i = 0; i < hashes.size(); ++i) {
    if (hashes[i].size() != kHashTextSize) return std::nullopt;
    datagram->replace(kQueryHashes + i * kHashTextSize, kHashTextSize, hashes[i]);
  }
  return datagram;
}

void set_query_time(std::string& datagram, platform::Tick tick) {
  if (datagram.size() >= kQueryTimeField + sizeof tick) put_u32(datagram, kQueryTimeField, tick);
}

std::optional<SearchQuery> parse_search_query(std::string_view datagram) {
  const std::optional<uint8_t> type = search_datagram_type(datagram);
  if (type != kKeywordQuery && type != kHashQuery) return std::nullopt;
  SearchQuery query;
  if (!read_header(datagram, query)) return std::nullopt;
  if (!(*type == kKeywordQuery ? read_keywords(datagram, query) : read_hashes(datagram, query))) return std::nullopt;
  return query;
}

}  // namespace dovel::wire
