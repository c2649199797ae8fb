#pragma once

#include <cstdint>
#include <string>

namespace dovel::browse {

// Server frames are shorter than 10 MiB; a longer (or negative) length ends the session.
inline constexpr uint32_t kMaxServerFrameLength = 0xA00000 - 1;

// How long a server may stay silent (it sends its status every 5 s and a
// keep-alive every minute), how long one read of a begun frame may wait, and
// how long a whole frame may take however the bytes trickle in.
inline constexpr int kServerSilenceMs = 180000;
inline constexpr int kFrameReadMs = 30000;
inline constexpr int kWholeFrameMs = 120000;

struct ServerFrame {
  enum class Kind { Payload, KeepAlive, End };
  Kind kind = Kind::End;
  std::string payload;  // unscrambled, only for Payload
};

// Reads the next frame of a share server: the length word XORed with the key,
// then that many scrambled bytes, each read bounded in time. A length of 0 is a
// keep-alive. End when the peer closed, a read failed or timed out, or the
// length is out of range (then nothing of the body is read). The body is taken
// in pieces as it arrives, so a peer that announces much and sends little
// costs little memory.
ServerFrame read_server_frame(int fd, int silence_ms = kServerSilenceMs);

}  // namespace dovel::browse
