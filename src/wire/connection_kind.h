#pragma once

#include <cstdint>

namespace dovel::wire {

// The first byte of every connection to a share port says what it is for.
inline constexpr uint8_t kControlKind = 0x22;     // browsing: the control protocol
inline constexpr uint8_t kDataKind = 0x23;        // one download request and its file bytes
inline constexpr uint8_t kChatKind = 0x24;        // a direct chat
inline constexpr uint8_t kSideChannelKind = 0x26; // one short question (status, a file's hash)

}  // namespace dovel::wire
