// A browsing peer's message stream. The input is cut into messages (a length
// byte, then that many bytes), so random data reaches the handlers instead of
// stopping at the first bad length word.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "share_server_fuzz_home.h"
#include "server/control_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel;
  test::ShareServerHome& home = fuzz::share_server_home();
  auto peer = std::make_shared<server::ConnectedPeer>(1, 0);
  server::ControlHandler handler(home.context, fuzz::share_server_database(), peer);
  size_t position = 0;
  while (position < size) {
    size_t length = data[position++];
    std::string message(reinterpret_cast<const char*>(data + position), std::min(length, size - position));
    position += message.size();
    server::ControlHandler::Outcome outcome = handler.handle(message);
    if (outcome.hash_job) server::ControlHandler::answer_hash_job(home.context, fuzz::share_server_database(), *outcome.hash_job);
    if (!outcome.keep_open) break;
  }
  return 0;
}
