// Encoded texts arrive in requests, cookies and service replies.
#include <cstddef>
#include <cstdint>
#include <string>

#include "util/letter_pair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  dovel::util::Decode(text);
  dovel::util::DecodeWire(text);
  if (!text.empty() && dovel::util::Decode(dovel::util::Encode(text)) != text) __builtin_trap();
  return 0;
}
