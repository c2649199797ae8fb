#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::wire {

// The share server's answer to a download request: 5 bytes (the status, the
// friend byte, the low byte of the folder's flags, two zeros), then for an
// accepted request the information block, then the file bytes.
inline constexpr size_t kDataReplySize = 5;
inline constexpr uint8_t kRequestAccepted = 1;

struct DataReply {
  int status = 0;  // 1 = accepted, otherwise the refusal code
  bool requester_is_friend = false;
  int share_flags = 0;  // the low byte of the folder's flags, sign-extended
};

std::string build_data_reply(uint8_t status, bool requester_is_friend, uint32_t share_flags);
// nullopt unless exactly kDataReplySize bytes.
std::optional<DataReply> parse_data_reply(std::string_view bytes);

}  // namespace dovel::wire
