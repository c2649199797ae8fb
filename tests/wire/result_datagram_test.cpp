#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/cp949.h"
#include "service/frame.h"
#include "wire/result_datagram.h"
#include "wire/search_datagram.h"

namespace dovel::wire {
namespace {

using ::testing::ElementsAre;

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

TEST(ResultRecord, Formats) {
  struct Case {
    std::string what;
    wire::ResultRow row;
    std::optional<std::string> expected;  // UTF-8
  };
  const std::vector<Case> cases = {
      {"file with hash", {"노래", kHash, "mp3", 1, 5000000000, 4, "가요", 2}, "노래.mp3|5000000000|" + std::string(kHash) + "|1|4"},
      {"file without extension", {"README", kHash, "", 1, 7, 1, "", 0}, "README|7|" + std::string(kHash) + "|1|1"},
      {"folder", {"폴더", "", "ignored", 0, 0, 5, "위\\아래", 3}, "폴더|0||0|5|위\\아래|3"},
      {"file without hash", {"a", "", "txt", 1, 12, 1, "", 0}, "a.txt|12||1|1||0"},
      {"name without a CP949 form", {"smile 😀", "", "txt", 1, 1, 1, "", 0}, std::nullopt},
      {"name with a separator", {"a|b", kHash, "txt", 1, 1, 1, "", 0}, std::nullopt},
      {"extension with a separator", {"a", kHash, "t*t", 1, 1, 1, "", 0}, std::nullopt},
      {"path with a separator", {"a", "", "txt", 1, 1, 1, "x*y", 0}, std::nullopt},
      {"path without a CP949 form, not written with a hash", {"a", kHash, "txt", 1, 1, 1, "😀", 0}, "a.txt|1|" + std::string(kHash) + "|1|1"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> expected;
    if (c.expected) expected = platform::utf8_to_cp949(*c.expected);
    EXPECT_EQ(wire::format_result_record(c.row), expected) << c.what;
  }
}

// Each payload is "owner*" and records of `size` bytes each followed by "*".
TEST(ResultPaging, FillsPayloadsUpToTheDatagramLimit) {
  const size_t limit = wire::kMaxResultDatagram - wire::kResultHeaderSize;
  const std::string record(100, 'r');
  struct Case {
    size_t full_payloads;
    size_t payloads;
  };
  for (const Case c : {Case{2, 3}, Case{5, 6}}) {
    wire::ResultPager pager("owner", c.full_payloads);
    int added = 0;
    while (pager.add(record)) ++added;
    const std::vector<std::string> payloads = pager.finish();
    ASSERT_EQ(payloads.size(), c.payloads);
    for (size_t i = 0; i < payloads.size(); ++i) {
      EXPECT_EQ(payloads[i].rfind("owner*", 0), 0u);
      // 6 + 9 * 101 = 915 bytes; a tenth record would need 1016.
      EXPECT_EQ(payloads[i].size(), i + 1 < payloads.size() ? 915u : 107u);
      EXPECT_LE(payloads[i].size(), limit);
    }
    EXPECT_EQ(added + 1, static_cast<int>(9 * c.full_payloads + 1)) << "the record that opened the last payload ends the adding";
  }
}

TEST(ResultPaging, EdgeCases) {
  const size_t limit = wire::kMaxResultDatagram - wire::kResultHeaderSize;
  {
    wire::ResultPager pager("owner", 2);
    EXPECT_TRUE(pager.finish().empty()) << "no rows, no datagram";
  }
  {
    wire::ResultPager pager("owner", 2);
    EXPECT_TRUE(pager.add(std::string(limit, 'x'))) << "a record that can never fit is left out, the search goes on";
    EXPECT_TRUE(pager.add("small"));
    EXPECT_THAT(pager.finish(), ElementsAre("owner*small*"));
  }
  {
    wire::ResultPager pager("owner", 2);
    const std::string exact(limit - 6 - 1, 'e');
    EXPECT_TRUE(pager.add(exact));
    EXPECT_TRUE(pager.add("next"));
    EXPECT_THAT(pager.finish(), ElementsAre("owner*" + exact + "*", "owner*next*"));
  }
}

TEST(ResultDatagram, HeaderThenScrambledPayload) {
  wire::ResultHeader header;
  header.responder_address = *platform::parse_ipv4("203.0.113.7");
  header.responder_port = 9910;
  header.searcher_key = {1, 2, 3, 4, 5, 6, 7, 8};
  header.search_number = 0x11223344;
  header.time_field = 0x55667788;
  header.destination = 1;
  const std::string datagram = wire::build_result_datagram(header, "owner*a|1||1|1||0*");
  const std::string expected_header("\x68\x0A\xCB\x00\x71\x07\xB6\x26\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x44\x33\x22\x11\x88\x77\x66\x55\x01",
                                    wire::kResultHeaderSize);
  EXPECT_EQ(datagram.substr(0, wire::kResultHeaderSize), expected_header);
  EXPECT_EQ(service::scrambled(datagram.substr(wire::kResultHeaderSize)), "owner*a|1||1|1||0*");
}

}  // namespace
}  // namespace dovel::wire
