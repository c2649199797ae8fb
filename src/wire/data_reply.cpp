#include "wire/data_reply.h"

namespace dovel::wire {

std::string build_data_reply(uint8_t status, bool requester_is_friend, uint32_t share_flags) {
  std::string reply(kDataReplySize, '\0');
  reply[0] = static_cast<char>(status);
  reply[1] = static_cast<char>(requester_is_friend ? 1 : 0);
  reply[2] = static_cast<char>(share_flags & 0xFF);
  return reply;
}

std::optional<DataReply> parse_data_reply(std::string_view bytes) {
  if (bytes.size() != kDataReplySize) return std::nullopt;
  DataReply reply;
  reply.status = static_cast<uint8_t>(bytes[0]);
  reply.requester_is_friend = bytes[1] != 0;
  reply.share_flags = static_cast<int8_t>(bytes[2]);
  return reply;
}

}  // namespace dovel::wire
