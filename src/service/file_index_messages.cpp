#include "service/file_index_messages.h"

#include <cstring>

#include "base/string_printf.h"
#include "base/text.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

constexpr size_t kCountOffset = 33;
constexpr size_t kEntrySize = 8;

bool is_hex(std::string_view text) { return text.find_first_not_of("0123456789abcdef") == std::string_view::npos; }

}  // namespace

std::string build_announcement(uint16_t port, const std::vector<std::string>& hashes) {
  std::string keys;
  uint16_t count = 0;
  for (const std::string& given : hashes) {
    std::string hash = base::ascii_lower(given);
    if (hash.size() != 32 || !is_hex(hash) || count >= kMaxAnnouncedFiles) continue;
    util::append_u64(keys, std::stoull(hash.substr(0, 16), nullptr, 16));
    util::append_u64(keys, std::stoull(hash.substr(16), nullptr, 16));
    ++count;
  }
  std::string payload;
  util::append_u16(payload, port);
  util::append_u16(payload, count);
  payload += keys;
  payload += '\0';
  return payload;
}

std::optional<Announcement> parse_announcement(std::string_view payload) {
  if (payload.size() < 5) return std::nullopt;
  Announcement announcement;
  announcement.port = util::read_u16(payload.data());
  const size_t count = util::read_u16(payload.data() + 2);
  if (count > kMaxAnnouncedFiles || payload.size() != 4 + 16 * count + 1) return std::nullopt;
  for (size_t i = 0; i < count; ++i) {
    const char* key = payload.data() + 4 + 16 * i;
    announcement.hashes.push_back(base::string_printf("%016llx%016llx", static_cast<unsigned long long>(util::read_u64(key)),
                                                      static_cast<unsigned long long>(util::read_u64(key + 8))));
  }
  return announcement;
}

std::string build_announce_reply(bool accepted) {
  std::string reply;
  util::append_u16(reply, kAnnounceType);
  reply += std::string(2, '\0');
  reply += static_cast<char>(accepted ? kAnnounceAccepted : kAnnounceRefused);
  return reply;
}

std::optional<std::string> build_source_lookup(std::string_view hash) {
  std::string lower = base::ascii_lower(hash);
  if (lower.size() != 32 || !is_hex(lower)) return std::nullopt;
  return lower + '\0';
}

std::optional<std::string> parse_source_lookup(std::string_view payload) {
  if (payload.size() != 33 || payload.back() != '\0') return std::nullopt;
  std::string lower = base::ascii_lower(payload.substr(0, 32));
  if (!is_hex(lower)) return std::nullopt;
  return lower;
}

std::string build_source_reply(std::string_view hash, const std::vector<Source>& sources) {
  std::string body(hash.substr(0, 32));
  body.resize(kCountOffset, '\0');
  const size_t count = std::min<size_t>(sources.size(), kMaxSources);
  body += static_cast<char>(count);
  for (size_t i = 0; i < count; ++i) {
    util::append_u32(body, sources[i].port);
    std::string address(4, '\0');
    std::memcpy(address.data(), &sources[i].address, 4);
    body += address;
  }
  std::string reply;
  util::append_u16(reply, static_cast<uint16_t>(body.size() + 2));
  util::append_u16(reply, kSourceLookupType);
  return reply + body;
}

std::optional<std::vector<Source>> parse_source_reply(std::string_view body) {
  if (body.size() < kCountOffset + 1) return std::nullopt;
  const int count = static_cast<int8_t>(body[kCountOffset]);
  if (count < 0 || kCountOffset + 1 + kEntrySize * static_cast<size_t>(count) > body.size()) return std::nullopt;
  std::vector<Source> sources;
  for (int i = 0; i < count; ++i) {
    const char* entry = body.data() + kCountOffset + 1 + kEntrySize * static_cast<size_t>(i);
    const uint32_t port = util::read_u32(entry);
    if (port == 0 || port > 65535) continue;
    Source source;
    std::memcpy(&source.address, entry + 4, 4);
    source.port = static_cast<uint16_t>(port);
    sources.push_back(source);
  }
  return sources;
}

}  // namespace dovel::service
