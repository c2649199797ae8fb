#pragma once

#include <cstdint>
#include <string>

namespace dovel::util {

// Wire integers are little-endian.
void append_u16(std::string& out, uint16_t value);
void append_u32(std::string& out, uint32_t value);
void append_u64(std::string& out, uint64_t value);
uint16_t read_u16(const void* data);
uint32_t read_u32(const void* data);
uint64_t read_u64(const void* data);

}  // namespace dovel::util
