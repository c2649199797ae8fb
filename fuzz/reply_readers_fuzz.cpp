// Service replies and peer frames: whatever the other side sends, the readers end without over-reading or over-allocating.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "platform/socket.h"
#include "service/reply_readers.h"
#include "wire/peer_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel;
  if (size < 1 || size > 60000) return 0;
  const uint8_t shape = data[0] % 5;
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return 0;
  platform::send_all(pair[1], data + 1, size - 1);
  ::shutdown(pair[1], SHUT_WR);
  service::ReplyTiming timing{100, platform::Deadline::after_ms(1000)};
  switch (shape) {
    case 0: service::read_short_prefixed_reply(pair[0], timing); break;
    case 1: service::read_long_prefixed_reply(pair[0], service::kMaxServerListReply, timing); break;
    case 2: service::read_typed_reply(pair[0], timing); break;
    case 3: service::read_fixed_reply(pair[0], 13, timing); break;
    default: wire::read_peer_frame(pair[0], wire::kMaxClientFrameLength, {100, 100, 1000}); break;
  }
  ::close(pair[0]);
  ::close(pair[1]);
  return 0;
}
