// dovel:// requests come from web pages and other programs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "util/launch_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dovel::util::CLaunchRequest request;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (request.Parse(text) && request.hash_list.size() > dovel::util::kMaxRequestHashes) __builtin_trap();
  return 0;
}
