#include "browse/session_replies.h"

#include <algorithm>

#include "base/text.h"
#include "browse/leading_fields.h"
#include "platform/cp949.h"
#include "share/shareable_name.h"

namespace dovel::browse {
namespace {

constexpr char kStatusSeparator = '\x07';
constexpr size_t kMaxStatusField = 32;
constexpr size_t kMaxUserIdBytes = 64;
constexpr size_t kMaxLabelBytes = 256;
constexpr size_t kFileHashDigits = 32;

std::optional<std::string> local_text(std::string_view wire, size_t max_bytes) {
  if (wire.size() > max_bytes) return std::nullopt;
  return platform::cp949_to_utf8(wire);
}

bool is_hex_hash(std::string_view text) {
  return text.size() == kFileHashDigits && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
         });
}

}  // namespace

bool has_fields(std::string_view body, size_t count) { return leading_fields(body, '|', count).size() >= count; }

bool has_status_fields(std::string_view body, size_t count) { return leading_fields(body, kStatusSeparator, count).size() >= count; }

std::string_view without_terminator(std::string_view body) { return body.substr(0, body.find('\0')); }

std::optional<ServerStatusLines> parse_server_status(std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, kStatusSeparator, 4);
  if (fields.size() < 3) return std::nullopt;
  std::vector<std::string> texts;
  for (std::string_view field : fields) {
    auto text = local_text(field, kMaxStatusField);
    if (!text) return std::nullopt;
    texts.push_back(std::move(*text));
  }
  const std::string& maximum = texts[0];
  const std::string& current = texts[1];
  const std::string& speed = texts[2];
  ServerStatusLines lines;
  if (texts.size() > 3) {
    const bool unlimited = !texts[3].empty() && texts[3].front() == '-';
    lines.speed = "속도(현재/제한): " + speed + "k/" + (unlimited ? std::string("무제한") : texts[3] + "k");
  } else {
    lines.speed = "현재속도: " + speed + "k";
  }
  lines.transfers = "전송수(현재/최대): " + current + "/" + maximum;
  return lines;
}

std::optional<PeerIdentity> parse_peer_identity(std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, '|', 3);
  if (fields.size() < 3) return std::nullopt;
  auto user_id = local_text(fields[0], kMaxUserIdBytes);
  auto label = local_text(fields[2], kMaxLabelBytes);
  if (!user_id || !label) return std::nullopt;
  PeerIdentity identity;
  identity.user_id = std::move(*user_id);
  identity.label = std::move(*label);
  const auto level = base::parse_int64(fields[1]);
  identity.level = level && *level >= 1 && *level <= 9 ? static_cast<int>(*level) : 9;
  return identity;
}

std::optional<PeerIntroReply> parse_peer_intro(std::string_view body) {
  if (body.size() < 2 || body.front() < '0' || body.front() > '9') return std::nullopt;
  auto text = platform::cp949_to_utf8(body.substr(2));
  if (!text) return std::nullopt;
  return PeerIntroReply{body.front() - '0', std::move(*text)};
}

std::optional<FileHashReply> parse_file_hash_reply(std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, '|', 3);
  if (fields.size() < 3 || !is_hex_hash(fields[0])) return std::nullopt;
  auto name = platform::cp949_to_utf8(fields[1]);
  auto size = base::parse_int64(fields[2]);
  // The name becomes a file on this machine: one plain name, nothing else.
  if (!name || !share::is_shareable_name(*name) || *name == "." || *name == ".." || !size || *size < 0) return std::nullopt;
  return FileHashReply{std::string(fields[0]), std::move(*name), std::string(fields[2]), *size};
}

}  // namespace dovel::browse
