#include "service/registration_messages.h"

#include <cstring>

#include "platform/cp949.h"
#include "service/frame.h"
#include "service/wire_text.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

constexpr size_t kListHeaderSize = 42;
constexpr size_t kRecordFixedSize = 28;
constexpr size_t kCounts = 8;

std::string address_bytes(platform::Ipv4 address) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &address, 4);
  return bytes;
}

platform::Ipv4 address_from(const char* bytes) {
  platform::Ipv4 address;
  std::memcpy(&address, bytes, 4);
  return address;
}

// An address as a little-endian word XORed with the key.
void append_scrambled_address(std::string& out, platform::Ipv4 address) {
  util::append_u32(out, util::read_u32(address_bytes(address).data()) ^ kScrambleKey);
}

platform::Ipv4 read_scrambled_address(const char* bytes) {
  std::string plain;
  util::append_u32(plain, util::read_u32(bytes) ^ kScrambleKey);
  return address_from(plain.data());
}

}  // namespace

std::optional<std::string> build_registration_record(const RegistrationRecord& record) {
  auto id = fixed_text(record.user_id, 15, true);
  auto title = fixed_text(record.title, kMaxTitleBytes, true);
  if (!id || !title) return std::nullopt;
  std::string payload = *id;
  payload += '\0';
  payload += '\x02';
  payload += static_cast<char>(record.show_server ? 1 : 0);
  payload += static_cast<char>(record.ultra_turbo ? 1 : 0);
  util::append_u16(payload, mask_port(record.port));
  util::append_u16(payload, 0);
  util::append_u32(payload, record.shared_mib);
  util::append_u32(payload, record.shared_files);
  util::append_u32(payload, record.peak_speed);
  payload += *title;
  payload += std::string(2, '\0');
  util::append_u32(payload, record.shared_mib ^ kScrambleKey);
  payload.resize(kRegistrationRecordSize, '\0');
  return payload;
}

std::optional<RegistrationRecord> parse_registration_record(std::string_view payload) {
  if (payload.size() != kRegistrationRecordSize) return std::nullopt;
  auto id = read_fixed_text(payload.substr(0, 15));
  auto title = read_fixed_text(payload.substr(35, kMaxTitleBytes));
  if (!id || !title || id->empty()) return std::nullopt;
  RegistrationRecord record;
  record.user_id = *id;
  record.show_server = payload[17] != 0;
  record.ultra_turbo = payload[18] != 0;
  record.port = mask_port(util::read_u16(payload.data() + 19));
  record.shared_mib = util::read_u32(payload.data() + 23);
  record.shared_files = util::read_u32(payload.data() + 27);
  record.peak_speed = util::read_u32(payload.data() + 31);
  record.title = *title;
  return record;
}

std::string build_result_reply(uint16_t type, int result) {
  std::string body;
  util::append_u16(body, type);
  body += static_cast<char>(result);
  return body;
}

std::optional<int> parse_result_reply(std::string_view body, uint16_t type) {
  if (body.size() < 3 || util::read_u16(body.data()) != type) return std::nullopt;
  return static_cast<uint8_t>(body[2]);
}

std::string build_counters(const Counters& counters) {
  std::string payload;
  util::append_u32(payload, counters.shared_mib);
  util::append_u32(payload, counters.shared_files);
  util::append_u32(payload, counters.shared_mib ^ kScrambleKey);
  return payload;
}

std::optional<Counters> parse_counters(std::string_view payload) {
  if (payload.size() != 12) return std::nullopt;
  return Counters{util::read_u32(payload.data()), util::read_u32(payload.data() + 4)};
}

std::optional<std::string> build_title_payload(std::string_view title) {
  auto wire = platform::utf8_to_cp949(title);
  if (!wire || wire->empty() || wire->size() > kMaxTitleBytes || wire->find('\0') != std::string::npos) return std::nullopt;
  return *wire + '\0';
}

std::optional<std::string> parse_title_payload(std::string_view payload) {
  if (payload.size() < 2 || payload.size() > kMaxTitleBytes + 1 || payload.find('\0') != payload.size() - 1) return std::nullopt;
  return platform::cp949_to_utf8(payload.substr(0, payload.size() - 1));
}

std::string build_peak_speed(uint32_t peak_speed) {
  std::string payload;
  util::append_u32(payload, peak_speed);
  return payload;
}

std::optional<uint32_t> parse_peak_speed(std::string_view payload) {
  if (payload.size() != 4) return std::nullopt;
  return util::read_u32(payload.data());
}

std::string build_switch(bool on) { return std::string(1, on ? '\x01' : '\0'); }

std::optional<bool> parse_switch(std::string_view payload) {
  if (payload.size() != 1 || static_cast<uint8_t>(payload[0]) > 1) return std::nullopt;
  return payload[0] == 1;
}

std::string build_address_reply(platform::Ipv4 address, uint16_t port) {
  std::string body;
  util::append_u16(body, kAddressLookupType);
  util::append_u16(body, mask_port(port));
  append_scrambled_address(body, address);
  return body;
}

std::optional<ServerAddress> parse_address_reply(std::string_view body) {
  if (body.size() < 8) return std::nullopt;
  ServerAddress server{read_scrambled_address(body.data() + 4), mask_port(util::read_u16(body.data() + 2))};
  if (server.address == 0 && server.port == 0) return std::nullopt;
  return server;
}

std::string build_peer_list(const std::vector<ServerAddress>& peers) {
  std::string body;
  util::append_u16(body, kPeerListBodyType);
  for (const ServerAddress& peer : peers) {
    util::append_u16(body, mask_port(peer.port));
    append_scrambled_address(body, peer.address);
  }
  return body;
}

std::optional<std::vector<ServerAddress>> parse_peer_list(std::string_view body) {
  if (body.size() < 2 || util::read_u16(body.data()) != kPeerListBodyType) return std::nullopt;
  std::vector<ServerAddress> peers;
  for (size_t offset = 2; offset + 6 <= body.size(); offset += 6) {
    peers.push_back({read_scrambled_address(body.data() + offset + 2), mask_port(util::read_u16(body.data() + offset))});
  }
  return peers;
}

std::string build_server_list(const std::vector<ListedServer>& servers) {
  std::string body;
  util::append_u16(body, kServerListBodyType);
  util::append_u16(body, static_cast<uint16_t>(servers.size()));
  for (size_t i = 1; i < kCounts; ++i) util::append_u16(body, 0);
  body.resize(kListHeaderSize, '\0');
  for (const ListedServer& server : servers) {
    std::string id = platform::utf8_to_cp949(server.user_id).value_or(std::string());
    std::string title = platform::utf8_to_cp949(server.title).value_or(std::string());
    if (id.size() > 15 || title.size() > kMaxTitleBytes) continue;
    body += std::string(2, '\0');
    body += static_cast<char>(server.lock);
    util::append_u16(body, mask_port(server.port));
    util::append_u16(body, static_cast<uint16_t>(server.state));
    append_scrambled_address(body, server.address);
    body += static_cast<char>(server.opened_minute);
    body += static_cast<char>(server.opened_hour);
    body += static_cast<char>(server.opened_day);
    body += static_cast<char>(server.opened_month & 0x0F);
    util::append_u32(body, server.shared_mib);
    util::append_u32(body, server.shared_files);
    util::append_u32(body, server.peak_speed);
    body += static_cast<char>(id.size());
    body += scrambled(id);
    body += static_cast<char>(title.size());
    body += title;
  }
  return body;
}

std::optional<std::vector<ListedServer>> parse_server_list(std::string_view body) {
  if (body.size() < 2 || util::read_u16(body.data()) != kServerListBodyType) return std::nullopt;
  std::vector<ListedServer> servers;
  if (body.size() < kListHeaderSize) return servers;
  size_t capacity = 0;
  for (size_t i = 0; i < kCounts; ++i) capacity += util::read_u16(body.data() + 2 + 2 * i);
  size_t offset = kListHeaderSize;
  size_t records = 0;
  while (records < capacity && offset + kRecordFixedSize <= body.size()) {
    const char* record = body.data() + offset;
    ++records;
    const uint8_t id_length = static_cast<uint8_t>(record[27]);
    offset += kRecordFixedSize;
    if (id_length > 15) continue;  // a bare record
    if (offset + id_length + 1 > body.size()) break;
    std::string id = scrambled(body.substr(offset, id_length));
    offset += id_length;
    const uint8_t title_length = static_cast<uint8_t>(body[offset]);
    offset += 1;
    if (offset + title_length > body.size()) break;
    std::string title(body.substr(offset, title_length));
    offset += title_length;
    const int16_t state = static_cast<int16_t>(util::read_u16(record + 5));
    auto id_text = platform::cp949_to_utf8(id);
    auto title_text = platform::cp949_to_utf8(title);
    if (state < 0 || title_length > kMaxTitleBytes || !id_text || !title_text) continue;
    ListedServer server;
    server.lock = static_cast<uint8_t>(record[2]);
    server.port = mask_port(util::read_u16(record + 3));
    server.state = state;
    server.address = read_scrambled_address(record + 7);
    server.opened_minute = static_cast<uint8_t>(record[11]);
    server.opened_hour = static_cast<uint8_t>(record[12]);
    server.opened_day = static_cast<uint8_t>(record[13]);
    server.opened_month = static_cast<uint8_t>(record[14]) & 0x0F;
    server.opened_key = util::read_u32(record + 11);
    server.shared_mib = util::read_u32(record + 15);
    server.shared_files = util::read_u32(record + 19);
    server.peak_speed = util::read_u32(record + 23);
    server.user_id = *id_text;
    server.title = *title_text;
    servers.push_back(std::move(server));
  }
  return servers;
}

}  // namespace dovel::service
