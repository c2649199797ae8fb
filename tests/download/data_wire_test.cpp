// The client's side of a data connection against the server's own readers
// and writers: what one sends, the other must read the same.
#include <gtest/gtest.h>

#include <string>

#include "download/data_reply.h"
#include "download/data_request_text.h"
#include "server/data_request.h"
#include "server/data_status.h"
#include "server/info_block.h"
#include "settings/shared_folder.h"

namespace dovel::download {
namespace {

DataRequestFields sample_request() {
  DataRequestFields fields;
  fields.share_index = 3;
  fields.server_path = "음악\\가요";
  fields.user_id = "받는이";
  fields.member_level = 4;
  fields.hash = "0123456789abcdef0123456789ABCDEF";
  fields.size = 5000000000;
  fields.start = 4294967296;
  fields.end = 4294967296 + 1048576;
  fields.adult = true;
  fields.own_address = "127.0.0.9";
  fields.own_port = 9911;
  fields.folder_password = "열려라";
  fields.file_name = "노래 01.mp3";
  fields.follow_up = true;
  fields.member_label = "별명";
  fields.skips_archive_check = true;
  return fields;
}

TEST(DataRequestTextTest, TheServerReadsEveryFieldAsSent) {
  const DataRequestFields fields = sample_request();
  std::optional<std::string> text = build_data_request_text(fields);
  ASSERT_TRUE(text);
  std::optional<server::DataRequest> read = server::parse_data_request(*text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->mode, server::kRequestByHash);
  EXPECT_EQ(read->share_index, 0);  // the hash names the file
  EXPECT_EQ(read->folder_path, fields.server_path);
  EXPECT_EQ(read->user_id, fields.user_id);
  EXPECT_EQ(read->level, 4);
  EXPECT_EQ(read->hash, fields.hash);
  EXPECT_EQ(read->size, fields.size);
  EXPECT_EQ(read->start, fields.start);
  EXPECT_EQ(read->end, fields.end);
  EXPECT_TRUE(read->adult);
  EXPECT_EQ(read->address, "127.0.0.9");
  EXPECT_EQ(read->port, 9911);
  EXPECT_EQ(read->password, fields.folder_password);
  EXPECT_EQ(read->file_name, fields.file_name);
  EXPECT_TRUE(read->follow_up);
  EXPECT_EQ(read->nickname, fields.member_label);
  EXPECT_EQ(read->client_tag, "dovel");
  EXPECT_TRUE(read->skips_archive_check);
}

TEST(DataRequestTextTest, ExactWireText) {
  DataRequestFields fields;
  fields.user_id = "me";
  fields.member_level = 9;
  fields.hash = std::string(32, 'f');
  fields.size = 100;
  fields.start = 10;
  fields.end = 60;
  fields.own_address = "10.0.0.1";
  fields.own_port = 9910;
  fields.file_name = "a.bin";
  fields.member_label = "me";
  EXPECT_EQ(*build_data_request_text(fields), "0|0||me|9|" + std::string(32, 'f') + "|100|10|60|0|10.0.0.1|9910||a.bin|0|me|dovel|0");
  fields.hash.clear();
  fields.share_index = 2;
  EXPECT_EQ(build_data_request_text(fields)->substr(0, 4), "0|2|");
}

TEST(DataRequestTextTest, TextsThatWouldShiftTheFieldsAreRefused) {
  for (const char* name : {"a|b.bin", "without\xff-cp949", "nul"}) {
    SCOPED_TRACE(name);
    DataRequestFields fields = sample_request();
    fields.file_name = name;
    if (std::string(name) == "nul") fields.file_name = std::string("a\0b", 3);
    EXPECT_FALSE(build_data_request_text(fields));
  }
  DataRequestFields fields = sample_request();
  fields.folder_password = "x|y";
  EXPECT_FALSE(build_data_request_text(fields));
}

TEST(DataReplyTest, FiveBytesFromTheServer) {
  const std::string accepted = server::data_status_answer(server::DataStatus::Accepted, true, settings::SHARE_READ | 0x80);
  std::optional<DataReply> reply = parse_data_reply(accepted);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 1);
  EXPECT_TRUE(reply->requester_is_friend);
  EXPECT_LT(reply->share_flags, 0);  // the byte is sign-extended

  reply = parse_data_reply(server::data_status_answer(server::DataStatus::WrongPassword, false, 0));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 35);
  EXPECT_FALSE(reply->requester_is_friend);
  EXPECT_FALSE(parse_data_reply("\x01\x00\x00\x00"));
}

TEST(InfoBlockTest, ReadsWhatTheServerBuilds) {
  const service::SessionIdentity owner{"주인", 7, "주인장", "tokenA", "tokenB"};
  const std::string block = server::build_info_block(owner, 4, "영화\\2024", "00112233445566778899aabbccddeeff");
  std::optional<ServingOwner> read = parse_info_block(block);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->user_id, "주인");
  EXPECT_EQ(read->auth_token_a, "tokenA");
  EXPECT_EQ(read->auth_token_b, "tokenB");
  EXPECT_EQ(read->member_level, 7);
  EXPECT_EQ(read->share_index, 4);
  EXPECT_EQ(read->folder_path, "영화\\2024");
  EXPECT_EQ(read->hash, "00112233445566778899aabbccddeeff");
}

TEST(InfoBlockTest, AnOwnerThatDoesNotDecodeOrAShortBlockIsRefused) {
  std::string block(server::kInfoBlockSize, '\0');
  EXPECT_FALSE(parse_info_block(block));
  block.replace(0, 5, "plain");  // not in the letter-pair encoding
  EXPECT_FALSE(parse_info_block(block));
  const std::string good = server::build_info_block({"a", 1, "", "", ""}, 0, "", "");
  EXPECT_TRUE(parse_info_block(good));
  EXPECT_FALSE(parse_info_block(good.substr(1)));
  // Fields without their terminator stay within their width.
  std::string unterminated = good;
  for (size_t i = 36; i < 100; ++i) unterminated[i] = 'k';
  std::optional<ServingOwner> read = parse_info_block(unterminated);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->auth_token_a, std::string(32, 'k'));
  EXPECT_EQ(read->auth_token_b, std::string(32, 'k'));
}

}  // namespace
}  // namespace dovel::download
