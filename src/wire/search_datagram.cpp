#include "wire/search_datagram.h"

#include "service/frame.h"

namespace dovel::wire {
namespace {

std::optional<size_t> fixed_size(uint8_t type) {
  switch (type) {
    case kResultDatagram:
      return kResultHeaderSize;
    case kKeywordQuery:
      return kKeywordQuerySize;
    case kHashQuery:
      return kQueryHashes;
    case kFriendListChanged:
    case kBlockListChanged:
      return 2;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<uint8_t> search_datagram_type(std::string_view datagram) {
  if (datagram.size() < 2) return std::nullopt;
  const auto type = static_cast<uint8_t>(datagram[1]);
  if (static_cast<uint8_t>(datagram[0]) != service::search_check_byte(type)) return std::nullopt;
  const std::optional<size_t> size = fixed_size(type);
  if (!size || datagram.size() < *size) return std::nullopt;
  return type;
}

}  // namespace dovel::wire
