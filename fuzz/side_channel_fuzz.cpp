// One side-channel request, as a stranger may send it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "share_server_fuzz_home.h"
#include "server/side_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel;
  test::ShareServerHome& home = fuzz::share_server_home();
  server::side_channel_answer(home.context, fuzz::share_server_database(), std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
