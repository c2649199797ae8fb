#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/deadline.h"

namespace dovel::service {

// How long a reply may take: each read waits at most `read_timeout_ms` (-1: no
// per-read limit) and the whole reply must arrive before `deadline`.
struct ReplyTiming {
  int read_timeout_ms;
  platform::Deadline deadline;
};

inline constexpr uint32_t kMaxShortReply = 2047;
inline constexpr uint32_t kMaxRegistrationReply = 2047;
inline constexpr uint32_t kMaxServerListReply = 2097152;

// Every reader checks the announced length before it allocates or reads a body.

// u16 length N (1..2047), then N bytes; returns the N bytes (they start with the type word).
std::optional<std::string> read_short_prefixed_reply(int fd, const ReplyTiming& timing);

// u32 length N (1..max_length), then N bytes; returns the N bytes.
std::optional<std::string> read_long_prefixed_reply(int fd, uint32_t max_length, const ReplyTiming& timing);

// u16 length L (at least 2), u16 type, then L - 2 bytes.
struct TypedReply {
  uint16_t type = 0;
  std::string body;
};
std::optional<TypedReply> read_typed_reply(int fd, const ReplyTiming& timing);

// Exactly `count` bytes.
std::optional<std::string> read_fixed_reply(int fd, size_t count, const ReplyTiming& timing);

}  // namespace dovel::service
