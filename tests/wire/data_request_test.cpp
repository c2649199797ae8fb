#include "wire/data_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp949.h"
#include "support/cp949_text.h"

namespace dovel::wire {
namespace {

using namespace std::string_literals;

using dovel::test::cp949;

DataRequest sample_request() {
  DataRequest fields;
  fields.mode = kRequestByHash;
  fields.share_index = 3;
  fields.folder_path = "음악\\가요";
  fields.user_id = "받는이";
  fields.level = 4;
  fields.hash = "0123456789abcdef0123456789ABCDEF";
  fields.size = 5000000000;
  fields.start = 4294967296;
  fields.end = 4294967296 + 1048576;
  fields.adult = true;
  fields.address = "127.0.0.9";
  fields.port = 9911;
  fields.password = "열려라";
  fields.file_name = "노래 01.mp3";
  fields.follow_up = true;
  fields.nickname = "별명";
  fields.skips_archive_check = true;
  return fields;
}

TEST(DataRequestBuild, TheServerReadsEveryFieldAsSent) {
  const DataRequest fields = sample_request();
  std::optional<std::string> text = build_data_request(fields);
  ASSERT_TRUE(text);
  std::optional<DataRequest> read = parse_data_request(*text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->mode, kRequestByHash);
  EXPECT_EQ(read->share_index, 0);  // the hash names the file
  EXPECT_EQ(read->folder_path, fields.folder_path);
  EXPECT_EQ(read->user_id, fields.user_id);
  EXPECT_EQ(read->level, 4);
  EXPECT_EQ(read->hash, fields.hash);
  EXPECT_EQ(read->size, fields.size);
  EXPECT_EQ(read->start, fields.start);
  EXPECT_EQ(read->end, fields.end);
  EXPECT_TRUE(read->adult);
  EXPECT_EQ(read->address, "127.0.0.9");
  EXPECT_EQ(read->port, 9911);
  EXPECT_EQ(read->password, fields.password);
  EXPECT_EQ(read->file_name, fields.file_name);
  EXPECT_TRUE(read->follow_up);
  EXPECT_EQ(read->nickname, fields.nickname);
  EXPECT_EQ(read->client_tag, "dovel");
  EXPECT_TRUE(read->skips_archive_check);
}

TEST(DataRequestBuild, ExactWireText) {
  DataRequest fields;
  fields.mode = kRequestByHash;
  fields.user_id = "me";
  fields.level = 9;
  fields.hash = std::string(32, 'f');
  fields.size = 100;
  fields.start = 10;
  fields.end = 60;
  fields.address = "10.0.0.1";
  fields.port = 9910;
  fields.file_name = "a.bin";
  fields.nickname = "me";
  EXPECT_EQ(*build_data_request(fields), "0|0||me|9|" + std::string(32, 'f') + "|100|10|60|0|10.0.0.1|9910||a.bin|0|me|dovel|0");
  fields.hash.clear();
  fields.share_index = 2;
  EXPECT_EQ(build_data_request(fields)->substr(0, 4), "0|2|");
}

TEST(DataRequestBuild, TextsThatWouldShiftTheFieldsAreRefused) {
  for (const char* name : {"a|b.bin", "without\xff-cp949", "nul"}) {
    SCOPED_TRACE(name);
    DataRequest fields = sample_request();
    fields.file_name = name;
    if (std::string(name) == "nul") fields.file_name = std::string("a\0b", 3);
    EXPECT_FALSE(build_data_request(fields));
  }
  DataRequest fields = sample_request();
  fields.password = "x|y";
  EXPECT_FALSE(build_data_request(fields));
}

TEST(DataRequestBuild, AnUnknownModeIsRefused) {
  DataRequest fields = sample_request();
  fields.mode = -1;
  EXPECT_FALSE(build_data_request(fields));
  fields.mode = kRequestByPath;
  ASSERT_TRUE(build_data_request(fields));
  EXPECT_EQ(build_data_request(fields)->substr(0, 4), "1|3|") << "a request by path names its share";
}

TEST(DataRequestParse, ReadsEveryFieldOfAFullRequest) {
  const auto request = parse_data_request(cp949(
      "0|2|음악\\가요|peer|4|0123456789abcdef0123456789abcdef|1000|10|900|1|10.1.2.3|9911|암호|노래.mp3|1|이웃|dovel|1"));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->mode, kRequestByHash);
  EXPECT_EQ(request->share_index, 2);
  EXPECT_EQ(request->folder_path, "음악\\가요");
  EXPECT_EQ(request->user_id, "peer");
  EXPECT_EQ(request->level, 4);
  EXPECT_EQ(request->hash, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(request->size, 1000);
  EXPECT_EQ(request->start, 10);
  EXPECT_EQ(request->end, 900);
  EXPECT_TRUE(request->adult);
  EXPECT_EQ(request->address, "10.1.2.3");
  EXPECT_EQ(request->port, 9911);
  EXPECT_EQ(request->password, "암호");
  EXPECT_EQ(request->file_name, "노래.mp3");
  EXPECT_TRUE(request->follow_up);
  EXPECT_EQ(request->nickname, "이웃");
  EXPECT_EQ(request->client_tag, "dovel");
  EXPECT_TRUE(request->skips_archive_check);
}

TEST(DataRequestParse, TwelveFieldsAreEnoughAndTheRestAreEmpty) {
  const auto request = parse_data_request("1|0|dir|peer|3||5|0|5|0|1.2.3.4|9910");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->mode, kRequestByPath);
  EXPECT_EQ(request->password, "");
  EXPECT_EQ(request->file_name, "");
  EXPECT_FALSE(request->follow_up);
  EXPECT_EQ(request->nickname, "");
  EXPECT_FALSE(request->skips_archive_check);
  EXPECT_FALSE(request->adult);
}

TEST(DataRequestParse, RefusesShortRequestsAndTextsThatAreNotCp949) {
  const std::vector<std::string> refused = {
      "",
      "1|0|dir|peer|3||5|0|5|0|1.2.3.4",  // 11 fields
      "1|0|dir|peer|3||5|0|5|0|1.2.3.4|9910|\x80|a.txt",
      "1|0|dir|peer|3||5|0|5|0|1.2.3.4|9910||a\xff.txt",
      "1|0|dir\xc8|peer|3||5|0|5|0|1.2.3.4|9910",  // a lead byte without its second byte
      "1|0|dir|peer|3||5|0|5|0|1.2.3.4\0|9910"s,   // the text ends at the zero
  };
  for (const std::string& text : refused) EXPECT_FALSE(parse_data_request(text)) << text;
}

TEST(DataRequestParse, NumbersOutsideTheirRangeFallBack) {
  struct Case {
    std::string mode, index, level, port;
    int expected_mode;
    settings::ShareIndex expected_index;
    int expected_level;
    uint16_t expected_port;
  };
  const std::vector<Case> cases = {
      {"0", "0", "1", "1", 0, 0, 1, 1},
      {"1", "7", "10", "65535", 1, 7, 10, 65535},
      {"2", "-1", "0", "65536", -1, -1, 9, 0},
      {"-1", "x", "11", "-5", -1, -1, 9, 0},
      {"", "", "", "", -1, -1, 9, 0},
      {"1x", "99999999999", "-3", "port", -1, -1, 9, 0},
  };
  for (const Case& c : cases) {
    const auto request = parse_data_request(c.mode + "|" + c.index + "||peer|" + c.level + "||5|0|5|0||" + c.port);
    ASSERT_TRUE(request) << c.mode;
    EXPECT_EQ(request->mode, c.expected_mode) << c.mode;
    EXPECT_EQ(request->share_index, c.expected_index) << c.index;
    EXPECT_EQ(request->level, c.expected_level) << c.level;
    EXPECT_EQ(request->port, c.expected_port) << c.port;
  }
}

TEST(DataRequestParse, ATerminatingZeroEndsTheText) {
  const auto request = parse_data_request("1|0||peer|3||5|0|5|0||9910||a.txt|0|nick|dovel|1\0garbage|x"s);
  ASSERT_TRUE(request);
  EXPECT_TRUE(request->skips_archive_check);
}

TEST(DataRequestRange, StartBeforeEndWithinTheSize) {
  struct Case {
    int64_t size, start, end;
    bool valid;
  };
  const std::vector<Case> cases = {
      {100, 0, 100, true}, {100, 99, 100, true}, {100, 10, 20, true},   {100, 100, 100, false}, {100, 0, 101, false},
      {100, 50, 50, false}, {100, 60, 50, false}, {100, -1, 10, false}, {0, 0, 0, false},       {-1, -1, -1, false},
  };
  for (const Case& c : cases) {
    DataRequest request;
    request.size = c.size;
    request.start = c.start;
    request.end = c.end;
    EXPECT_EQ(has_valid_range(request), c.valid) << c.size << " " << c.start << " " << c.end;
  }
}

TEST(DataRequestNames, OnlyPlainFolderPathsAndSingleNames) {
  struct Case {
    std::string folder, name;
    bool plain;
  };
  const std::vector<Case> cases = {
      {"", "a.txt", true},
      {"음악\\가요", "노래.mp3", true},
      {"\\Music\\", "a.txt", true},
      {"..\\..\\etc", "passwd", false},
      {"a/../../x", "a.txt", false},
      {"Music\\.\\x", "a.txt", false},
      {"", "../secret", false},
      {"", "..\\secret", false},
      {"", "a/b.txt", false},
      {"", "sub\\a.txt", false},
      {"", "", false},
      {"", "a|b", false},
  };
  for (const Case& c : cases) {
    DataRequest request;
    request.folder_path = c.folder;
    request.file_name = c.name;
    EXPECT_EQ(names_plain_file(request), c.plain) << c.folder << " / " << c.name;
  }
}

}  // namespace
}  // namespace dovel::wire
