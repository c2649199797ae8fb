#include "server/info_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp949.h"
#include "util/letter_pair.h"

namespace dovel::server {
namespace {

using Layout = InfoBlockLayout;

const std::string kHash = "0123456789abcdef0123456789abcdef";

// The bytes of a zero-terminated field up to its terminator.
std::string text_at(const std::string& block, size_t offset, size_t width) {
  const std::string field = block.substr(offset, width);
  return field.substr(0, field.find('\0'));
}

TEST(InfoBlock, LaysEveryFieldOutAtItsOffset) {
  const service::SessionIdentity owner{"주인", 0x1205, "라벨", "tokenA", "tokenB"};
  const std::string block = build_info_block(owner, 0x01020304, "음악\\가요", kHash);
  ASSERT_EQ(block.size(), 2160u);

  const std::string id = text_at(block, Layout::kUserId, Layout::kUserIdWidth);
  EXPECT_EQ(id, util::EncodeWire("주인"));
  EXPECT_EQ(util::DecodeWire(id), "주인");
  EXPECT_EQ(text_at(block, Layout::kTokenA, Layout::kTokenWidth), "tokenA");
  EXPECT_EQ(text_at(block, Layout::kTokenB, Layout::kTokenWidth), "tokenB");
  EXPECT_EQ(block[100], '\x05') << "the level's low byte";
  EXPECT_EQ(block.substr(101, 3), std::string(3, '\0'));
  EXPECT_EQ(block.substr(104, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(text_at(block, Layout::kFolderPath, Layout::kFolderPathWidth), *platform::utf8_to_cp949("음악\\가요"));
  EXPECT_EQ(block.substr(2124, 32), kHash) << "all 32 digits, no terminator";
  EXPECT_EQ(block.substr(2156, 4), std::string(4, '\0'));

  // Everything after each text up to the next field is zero.
  const std::vector<std::pair<size_t, size_t>> texts = {{0, 36}, {36, 32}, {68, 32}, {108, 2016}};
  for (const auto& [offset, width] : texts) {
    const size_t used = text_at(block, offset, width).size();
    EXPECT_EQ(block.substr(offset + used, width - used), std::string(width - used, '\0')) << offset;
  }
}

TEST(InfoBlock, TooLongTextsAreCutInsideTheirFields) {
  const service::SessionIdentity owner{std::string(40, 'u'), 1, "", std::string(40, 'a'), std::string(40, 'b')};
  // 1200 two-byte characters: 2400 bytes in CP949, more than the field holds.
  std::string long_path;
  for (int i = 0; i < 1200; ++i) long_path += "가";
  const std::string block = build_info_block(owner, 0, long_path, kHash + "0123456789");
  ASSERT_EQ(block.size(), 2160u);

  EXPECT_EQ(block[Layout::kUserId + 35], '\0');
  EXPECT_EQ(text_at(block, Layout::kTokenA, Layout::kTokenWidth), std::string(31, 'a'));
  EXPECT_EQ(text_at(block, Layout::kTokenB, Layout::kTokenWidth), std::string(31, 'b'));
  EXPECT_EQ(block[Layout::kLevel], '\x01');
  // The path is cut at a character boundary: 1007 characters, 2014 bytes.
  const std::string path = text_at(block, Layout::kFolderPath, Layout::kFolderPathWidth);
  EXPECT_EQ(path.size(), 2014u);
  EXPECT_EQ(platform::cp949_to_utf8(path), long_path.substr(0, 1007 * 3));
  EXPECT_EQ(block.substr(2124, 32), kHash);
  EXPECT_EQ(block.substr(2156, 4), std::string(4, '\0'));
}

TEST(InfoBlock, NoHashLeavesItsFieldZero) {
  const std::string block = build_info_block({"owner", 1, "", "", ""}, 0, "", "");
  EXPECT_EQ(block.substr(2124, 36), std::string(36, '\0'));
}

}  // namespace
}  // namespace dovel::server
