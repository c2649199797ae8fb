#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::wire {

// Every frame between peers: the payload's length as a 32-bit little-endian
// word XORed with the scramble key, then the payload scrambled. A length of 0 is
// a keep-alive.

// A share server's frames are shorter than 10 MiB; a client's are 1..1023 bytes,
// a download request 1..1024.
inline constexpr uint32_t kMaxServerFrameLength = 0xA00000 - 1;
inline constexpr uint32_t kMaxClientFrameLength = 1023;
inline constexpr uint32_t kMaxDataRequestLength = 1024;

// How long a share server may stay silent towards a browsing client (it sends its
// status every 5 s and a keep-alive every minute), how long one read of a begun
// frame may wait, and how long a whole frame may take however the bytes trickle in.
inline constexpr int kServerSilenceMs = 180000;
inline constexpr int kFrameReadMs = 30000;
inline constexpr int kWholeFrameMs = 120000;

std::string build_peer_frame(std::string_view payload);

struct PeerFrame {
  enum class Kind { Payload, KeepAlive, End };
  Kind kind = Kind::End;
  std::string payload;  // unscrambled, only for Payload
};

struct FrameTiming {
  int silence_ms;  // for the frame to begin
  int read_ms;     // for each read once it began
  int whole_ms;    // for the whole frame
};

// Reads one frame, each read bounded in time. End when the peer closed, a read
// failed or timed out, or the length is above `max_length` (then nothing of the
// body is read). The body is taken in pieces as it arrives, so a peer that
// announces much and sends little costs little memory.
PeerFrame read_peer_frame(int fd, uint32_t max_length, const FrameTiming& timing);

// What a share server reads from a client: waits at most `idle_ms` for a frame
// to begin, then at most `frame_ms` for the rest. nullopt when the peer closed,
// time ran out, or the length is outside 1..max_length: a client never sends an
// empty frame.
std::optional<std::string> read_client_frame(int fd, uint32_t max_length, int idle_ms, int frame_ms);

// What a browsing client reads from a share server.
PeerFrame read_server_frame(int fd, int silence_ms = kServerSilenceMs);

}  // namespace dovel::wire
