#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::download {

// The share server's answer to a download request: 5 bytes, then for an
// accepted request the 2160-byte information block, then the file bytes.
inline constexpr size_t kDataReplySize = 5;
inline constexpr int kRequestAccepted = 1;

struct DataReply {
  int status = 0;              // 1 = accepted, otherwise the refusal code
  bool requester_is_friend = false;
  int share_flags = 0;         // the low byte of the folder's flags, sign-extended
};
// nullopt unless exactly kDataReplySize bytes.
std::optional<DataReply> parse_data_reply(std::string_view bytes);

// Who serves the file and where it lives on that server.
struct ServingOwner {
  std::string user_id;
  std::string auth_token_a;
  std::string auth_token_b;
  int member_level = 0;
  int share_index = 0;
  std::string folder_path;  // inside the share, backslash-separated
  std::string hash;
};
// Reads the information block (texts converted to UTF-8). nullopt when it is not
// exactly one block long or its owner ID does not decode to a name: the sender
// does not speak this version of the protocol.
std::optional<ServingOwner> parse_info_block(std::string_view block);

}  // namespace dovel::download
