#include "util/little_endian.h"

namespace dovel::util {
namespace {

template <typename Number>
void append(std::string& out, Number value) {
  for (size_t byte = 0; byte < sizeof(Number); ++byte) out += static_cast<char>((value >> (8 * byte)) & 0xFF);
}

template <typename Number>
Number read(const void* data) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  Number value = 0;
  for (size_t byte = 0; byte < sizeof(Number); ++byte) value |= static_cast<Number>(bytes[byte]) << (8 * byte);
  return value;
}

}  // namespace

void append_u16(std::string& out, uint16_t value) { append(out, value); }
void append_u32(std::string& out, uint32_t value) { append(out, value); }
void append_u64(std::string& out, uint64_t value) { append(out, value); }
uint16_t read_u16(const void* data) { return read<uint16_t>(data); }
uint32_t read_u32(const void* data) { return read<uint32_t>(data); }
uint64_t read_u64(const void* data) { return read<uint64_t>(data); }

}  // namespace dovel::util
