#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace dovel::service {

// The fixed 32-bit key shared by the service frame, the peer protocol and the searches.
inline constexpr uint32_t kScrambleKey = 0x5E21C7A4;
// Ports in service and search records are XORed with this; the frame check word uses it too.
inline constexpr uint16_t kPortMask = 0x2A9D;

inline constexpr size_t kFrameHeaderSize = 8;
// The length word counts the type word and the payload.
inline constexpr size_t kMaxFramePayload = 0xFFFF - 2;

// XOR with the key: byte k of the data with key byte (k mod 4), little-endian.
// Its own inverse; `source` and `destination` may be the same buffer.
void scramble(size_t length, uint8_t* destination, const uint8_t* source);
std::string scrambled(std::string_view data);

// An outgoing frame: check word, tick16, length = payload + 2, type, payload;
// everything from the type on is scrambled. nullopt when the payload is too long.
std::optional<std::string> build_frame(uint16_t type, std::string_view payload, uint16_t tick16);
std::optional<std::string> build_frame(uint16_t type, std::string_view payload, const platform::Clock& clock = platform::system_clock());

// The check word of a frame built at `tick16`.
constexpr uint16_t frame_check_word(uint16_t tick16) { return static_cast<uint16_t>(~(tick16 ^ kPortMask)); }

// The check byte of a search datagram of `type`.
constexpr uint8_t search_check_byte(uint8_t type) { return static_cast<uint8_t>(~(type ^ (kPortMask & 0xFF))); }

constexpr uint16_t mask_port(uint16_t port) { return port ^ kPortMask; }

// A received frame, type and payload unscrambled.
struct Frame {
  uint16_t type = 0;
  std::string payload;
};

// The plain start of a frame: check word, tick16 and length.
inline constexpr size_t kFramePlainSize = 6;
// How many scrambled bytes (type word and payload) follow the plain start of a
// received frame; nullopt when the check word does not belong to the tick or
// the length cannot hold the type word.
std::optional<size_t> frame_body_length(std::string_view plain_start);
// The frame of the scrambled bytes after the plain start; nullopt when they cannot hold the type word.
std::optional<Frame> read_frame_body(std::string_view scrambled_body);

}  // namespace dovel::service
