#include "util/little_endian.h"

#include <gtest/gtest.h>

#include <string>

namespace dovel::util {
namespace {

// Values with the top bit set in several bytes catch sign extension of a byte.
struct Case {
  uint64_t value;
  std::string bytes;
};

TEST(LittleEndian, U16) {
  const Case cases[] = {
      {0x0102, std::string("\x02\x01", 2)},
      {0x0000, std::string("\x00\x00", 2)},
      {0x80FF, std::string("\xFF\x80", 2)},
      {0xFFFF, std::string("\xFF\xFF", 2)},
  };
  for (const Case& c : cases) {
    std::string out;
    append_u16(out, static_cast<uint16_t>(c.value));
    EXPECT_EQ(out, c.bytes) << std::hex << c.value;
    EXPECT_EQ(read_u16(c.bytes.data()), c.value) << std::hex << c.value;
  }
}

TEST(LittleEndian, U32) {
  const Case cases[] = {
      {0x01020304, std::string("\x04\x03\x02\x01", 4)},
      {0x00000000, std::string("\x00\x00\x00\x00", 4)},
      {0xFEDCBA98, std::string("\x98\xBA\xDC\xFE", 4)},
      {0x80000001, std::string("\x01\x00\x00\x80", 4)},
  };
  for (const Case& c : cases) {
    std::string out;
    append_u32(out, static_cast<uint32_t>(c.value));
    EXPECT_EQ(out, c.bytes) << std::hex << c.value;
    EXPECT_EQ(read_u32(c.bytes.data()), c.value) << std::hex << c.value;
  }
}

TEST(LittleEndian, U64) {
  const Case cases[] = {
      {0x0102030405060708, std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8)},
      {0x8000000000000001, std::string("\x01\x00\x00\x00\x00\x00\x00\x80", 8)},
      {0xFFFFFFFF00000000, std::string("\x00\x00\x00\x00\xFF\xFF\xFF\xFF", 8)},
      {0xFFFFFFFFFFFFFFFF, std::string(8, '\xFF')},
  };
  for (const Case& c : cases) {
    std::string out;
    append_u64(out, c.value);
    EXPECT_EQ(out, c.bytes) << std::hex << c.value;
    EXPECT_EQ(read_u64(c.bytes.data()), c.value) << std::hex << c.value;
  }
}

// Records are built field after field and read at odd offsets inside them.
TEST(LittleEndian, AppendsAfterExistingBytesAndReadsUnaligned) {
  std::string record = "X";
  append_u16(record, 0xBEEF);
  append_u32(record, 0xDEADBEEF);
  append_u64(record, 0x0123456789ABCDEF);
  ASSERT_EQ(record.size(), 1u + 2 + 4 + 8);
  EXPECT_EQ(record[0], 'X');
  EXPECT_EQ(read_u16(record.data() + 1), 0xBEEF);
  EXPECT_EQ(read_u32(record.data() + 3), 0xDEADBEEFu);
  EXPECT_EQ(read_u64(record.data() + 7), 0x0123456789ABCDEFu);
}

}  // namespace
}  // namespace dovel::util
