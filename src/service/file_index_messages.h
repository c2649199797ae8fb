#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace dovel::service {

inline constexpr uint16_t kAnnounceType = 'w';
inline constexpr uint16_t kSourceLookupType = 'x';
inline constexpr int kAnnounceAccepted = 21;
inline constexpr int kAnnounceRefused = 22;
inline constexpr size_t kMaxAnnouncedFiles = 1000;
inline constexpr int kMaxSources = 100;

// The announcement of a share server's large files: its port and their hashes
// (32 hex digits each; others are left out), as two little-endian 64-bit halves.
std::string build_announcement(uint16_t port, const std::vector<std::string>& hashes);
struct Announcement {
  uint16_t port = 0;
  std::vector<std::string> hashes;  // 32 lower-case hex digits
};
std::optional<Announcement> parse_announcement(std::string_view payload);
std::string build_announce_reply(bool accepted);  // 5 bytes

struct Source {
  platform::Ipv4 address = 0;
  uint16_t port = 0;
};
// The source lookup's request: the 32 hex digits and a NUL; nullopt for anything but 32 hex digits.
std::optional<std::string> build_source_lookup(std::string_view hash);
std::optional<std::string> parse_source_lookup(std::string_view payload);  // lower-case

// The typed reply of a source lookup (with its u16 length and type).
std::string build_source_reply(std::string_view hash, const std::vector<Source>& sources);
// Reads the bytes after the type word; the count must fit the bytes that came.
std::optional<std::vector<Source>> parse_source_reply(std::string_view body);

}  // namespace dovel::service
