#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::browse {

// The bodies of a share server's replies (the payload after its letter), read
// into local texts. Every reader counts the fields before it uses one and
// refuses (nullopt) a body it cannot read whole: too few fields, text that is
// not CP949, numbers that are not numbers.

// Reply '2': the two status lines of the browse window.
struct ServerStatusLines {
  std::string speed;      // "속도(현재/제한): %sk/%s" or "현재속도: %sk"
  std::string transfers;  // "전송수(현재/최대): %s/%s"
};
std::optional<ServerStatusLines> parse_server_status(std::string_view body);
// Whether a status reply has `count` fields (separated by the byte 0x07): fewer than 3 end the session.
bool has_status_fields(std::string_view body, size_t count);

// Reply 'D': who runs the server.
struct PeerIdentity {
  std::string user_id;
  int level = 9;  // 1..9; anything else is taken as 9
  std::string label;
};
std::optional<PeerIdentity> parse_peer_identity(std::string_view body);

// Reply 'I': a digit (1 = web address, otherwise page text), one skipped byte, the text.
struct PeerIntroReply {
  int kind = 0;
  std::string text;
};
std::optional<PeerIntroReply> parse_peer_intro(std::string_view body);

// Reply 'H': the FileHash the server knows for a name and size. A name that is
// not one plain file name (a path, "..", control bytes) is refused.
struct FileHashReply {
  std::string hash;
  std::string name;
  std::string size_text;  // as the request sent it
  int64_t size = 0;
};
std::optional<FileHashReply> parse_file_hash_reply(std::string_view body);

// Whether a reply body has at least `count` "|"-separated fields.
bool has_fields(std::string_view body, size_t count);


}  // namespace dovel::browse
