#include "wire/info_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp949.h"
#include "settings/shared_folder.h"
#include "util/letter_pair.h"
#include "wire/data_reply.h"

namespace dovel::wire {
namespace {

using Layout = InfoBlockLayout;

const std::string kHash = "0123456789abcdef0123456789abcdef";

// The bytes of a zero-terminated field up to its terminator.
std::string text_at(const std::string& block, size_t offset, size_t width) {
  const std::string field = block.substr(offset, width);
  return field.substr(0, field.find('\0'));
}

TEST(InfoBlock, LaysEveryFieldOutAtItsOffset) {
  const std::string block = *build_info_block({"주인", "tokenA", "tokenB", 0x1205, 0x01020304, "음악\\가요", kHash});
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
  // 1200 two-byte characters: 2400 bytes in CP949, more than the field holds.
  std::string long_path;
  for (int i = 0; i < 1200; ++i) long_path += "가";
  const std::string block = *build_info_block({std::string(40, 'u'), std::string(40, 'a'), std::string(40, 'b'), 1, 0, long_path, kHash + "0123456789"});
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
  const std::string block = *build_info_block({"owner", "", "", 1, 0, "", ""});
  EXPECT_EQ(block.substr(2124, 36), std::string(36, '\0'));
}


TEST(InfoBlock, ATextWithoutAWireFormIsRefusedNotSentEmpty) {
  const std::string no_form = "\xF0\x9F\x98\x80";
  EXPECT_FALSE(build_info_block({no_form, "", "", 1, 0, "", kHash}));
  EXPECT_FALSE(build_info_block({"owner", no_form, "", 1, 0, "", kHash}));
  EXPECT_FALSE(build_info_block({"owner", "", "", 1, 0, "음악\\" + no_form, kHash}));
  EXPECT_FALSE(build_info_block({"", "", "", 1, 0, "", kHash})) << "no owner to name";
}

TEST(InfoBlock, AFieldThatIsNotCp949IsRefused) {
  std::string block = *build_info_block({"owner", "tokenA", "tokenB", 1, 0, "folder", kHash});
  block[Layout::kFolderPath] = '\xC8';  // a lead byte
  block[Layout::kFolderPath + 1] = '\0';  // without its second byte
  EXPECT_FALSE(parse_info_block(block));
}

TEST(DataReply, FiveBytesFromTheServer) {
  const std::string accepted = build_data_reply(kRequestAccepted, true, settings::SHARE_READ | 0x80);
  std::optional<DataReply> reply = parse_data_reply(accepted);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 1);
  EXPECT_TRUE(reply->requester_is_friend);
  EXPECT_LT(reply->share_flags, 0);  // the byte is sign-extended

  reply = parse_data_reply(build_data_reply(35, false, 0));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 35);
  EXPECT_FALSE(reply->requester_is_friend);
  EXPECT_FALSE(parse_data_reply("\x01\x00\x00\x00"));
}

TEST(InfoBlock, ReadsWhatTheServerBuilds) {
  const std::optional<std::string> block = build_info_block({"주인", "tokenA", "tokenB", 7, 4, "영화\\2024", "00112233445566778899aabbccddeeff"});
  ASSERT_TRUE(block);
  std::optional<InfoBlock> read = parse_info_block(*block);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->user_id, "주인");
  EXPECT_EQ(read->auth_token_a, "tokenA");
  EXPECT_EQ(read->auth_token_b, "tokenB");
  EXPECT_EQ(read->member_level, 7);
  EXPECT_EQ(read->share_index, 4);
  EXPECT_EQ(read->folder_path, "영화\\2024");
  EXPECT_EQ(read->hash, "00112233445566778899aabbccddeeff");
}

TEST(InfoBlock, AnOwnerThatDoesNotDecodeOrAShortBlockIsRefused) {
  std::string block(kInfoBlockSize, '\0');
  EXPECT_FALSE(parse_info_block(block));
  block.replace(0, 5, "plain");  // not in the letter-pair encoding
  EXPECT_FALSE(parse_info_block(block));
  const std::string good = *build_info_block({"a", "", "", 1, 0, "", ""});
  EXPECT_TRUE(parse_info_block(good));
  EXPECT_FALSE(parse_info_block(good.substr(1)));
  // Fields without their terminator stay within their width.
  std::string unterminated = good;
  for (size_t i = 36; i < 100; ++i) unterminated[i] = 'k';
  std::optional<InfoBlock> read = parse_info_block(unterminated);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->auth_token_a, std::string(32, 'k'));
  EXPECT_EQ(read->auth_token_b, std::string(32, 'k'));
}

}  // namespace
}  // namespace dovel::wire
