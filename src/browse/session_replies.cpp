#include "browse/session_replies.h"

#include <algorithm>

#include "base/text.h"
#include "browse/leading_fields.h"
#include "share/shareable_name.h"
#include "util/file_hash_text.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr char kStatusSeparator = '\x07';
constexpr size_t kMaxStatusField = 32;
constexpr size_t kMaxUserIdBytes = 64;
constexpr size_t kMaxLabelBytes = 256;

}  // namespace

bool has_fields(std::string_view body, size_t count) { return leading_fields(body, '|', count).size() >= count; }

bool has_status_fields(std::string_view body, size_t count) { return leading_fields(body, kStatusSeparator, count).size() >= count; }

std::optional<ServerStatusLines> parse_server_status(std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, kStatusSeparator, 4);
  if (fields.size() < 3) return std::nullopt;
  std::vector<std::string> texts;
  for (std::string_view field : fields) {
    auto text = wire::read_field(field, kMaxStatusField);
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
  auto user_id = wire::read_field(fields[0], kMaxUserIdBytes);
  auto label = wire::read_field(fields[2], kMaxLabelBytes);
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
  auto text = wire::read_field(body.substr(2));
  if (!text) return std::nullopt;
  return PeerIntroReply{body.front() - '0', std::move(*text)};
}

std::optional<FileHashReply> parse_file_hash_reply(std::string_view body) {
  const std::vector<std::string_view> fields = leading_fields(body, '|', 3);
  if (fields.size() < 3 || !util::is_file_hash_text(fields[0])) return std::nullopt;
  auto name = wire::read_field(fields[1]);
  auto size = base::parse_int64(fields[2]);
  // The name becomes a file on this machine: one plain name, nothing else.
  if (!name || !share::is_shareable_name(*name) || *name == "." || *name == ".." || !size || *size < 0) return std::nullopt;
  return FileHashReply{std::string(fields[0]), std::move(*name), std::string(fields[2]), *size};
}

}  // namespace dovel::browse
