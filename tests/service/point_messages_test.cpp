// The point servers' messages (allowance, false reports, paid content), as the
// client and the stand-in both build and read them.
#include <gtest/gtest.h>

#include "platform/cp949.h"
#include "service/paid_content_messages.h"
#include "service/point_messages.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

const std::string kHash = "0123456789abcdef0123456789abcdef";

TEST(PointMessages, AllowanceRequestLayout) {
  auto payload = build_allowance_request({"token-b", 0x01020304});
  ASSERT_TRUE(payload);
  ASSERT_EQ(payload->size(), kAllowanceRequestSize);
  EXPECT_EQ(payload->substr(0, 8), std::string("token-b\0", 8));
  EXPECT_EQ(payload->substr(8, 24), std::string(24, '\0'));
  EXPECT_EQ(util::read_u32(payload->data() + 32), 0x01020304u);
  auto parsed = parse_allowance_request(*payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->auth_token_b, "token-b");
  EXPECT_EQ(parsed->amount, 0x01020304u);

  // A token of the field's whole width goes without its terminator, as the login delivered it.
  const std::string full(32, 'f');
  auto filled = build_allowance_request({full, 1});
  ASSERT_TRUE(filled);
  EXPECT_EQ(parse_allowance_request(*filled)->auth_token_b, full);
  EXPECT_FALSE(build_allowance_request({std::string(33, 'f'), 1}));

  for (size_t size : {0u, 35u, 37u}) EXPECT_FALSE(parse_allowance_request(std::string(size, 'a'))) << size;
}

TEST(PointMessages, AllowanceReplyIsExactlyThirteenBytes) {
  const std::string reply = build_allowance_reply({kAllowanceStatusAllowed, -5});
  ASSERT_EQ(reply.size(), kAllowanceReplySize);
  EXPECT_EQ(util::read_u16(reply.data()), 11) << "the length word counts the type and what follows";
  EXPECT_EQ(util::read_u16(reply.data() + 2), kAllowanceType);
  EXPECT_EQ(reply[4], 1);
  auto parsed = parse_allowance_reply(reply);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->status, kAllowanceStatusAllowed);
  EXPECT_EQ(parsed->balance, -5);

  const auto large = parse_allowance_reply(build_allowance_reply({kAllowanceStatusShort, int64_t{1} << 40}));
  ASSERT_TRUE(large);
  EXPECT_EQ(large->balance, int64_t{1} << 40);

  EXPECT_FALSE(parse_allowance_reply(reply.substr(0, 12)));
  EXPECT_FALSE(parse_allowance_reply(reply + "x"));
}

TEST(PointMessages, FalseReportRequestAndReply) {
  auto payload = build_false_report_request("0123456789ABCDEF0123456789ABCDEF");
  ASSERT_TRUE(payload);
  EXPECT_EQ(*payload, kHash + '\0') << "lower case, with its NUL";
  EXPECT_EQ(parse_false_report_request(*payload), kHash);

  for (const std::string& hash : {std::string(""), kHash.substr(1), kHash + "0", std::string(32, 'g'), std::string(32, '\0')}) {
    EXPECT_FALSE(build_false_report_request(hash)) << hash;
  }
  EXPECT_FALSE(parse_false_report_request(kHash)) << "no NUL";
  EXPECT_FALSE(parse_false_report_request(kHash + 'x'));
  EXPECT_FALSE(parse_false_report_request(std::string(32, 'z') + '\0'));

  const std::string reply = build_false_report_reply(65535);
  ASSERT_EQ(reply.size(), kFalseReportReplySize);
  EXPECT_EQ(util::read_u16(reply.data()), 4);
  EXPECT_EQ(util::read_u16(reply.data() + 2), kFalseReportType);
  EXPECT_EQ(parse_false_report_reply(reply), 65535);
  EXPECT_FALSE(parse_false_report_reply(reply.substr(0, 5)));
  EXPECT_FALSE(parse_false_report_reply(reply + '\0'));
}

TEST(PaidContentMessages, ContentRequestLayout) {
  auto payload = build_content_request({"token-a", std::string(32, 'b'), "0123456789ABCDEF0123456789ABCDEF"});
  ASSERT_TRUE(payload);
  ASSERT_EQ(payload->size(), kContentRequestSize);
  EXPECT_EQ(payload->substr(0, 8), std::string("token-a\0", 8));
  EXPECT_EQ(payload->substr(32, 32), std::string(32, 'b'));
  EXPECT_EQ(payload->substr(64, 32), kHash);
  EXPECT_EQ(payload->back(), '\0') << "the unused byte";
  auto parsed = parse_content_request(*payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->auth_token_a, "token-a");
  EXPECT_EQ(parsed->auth_token_b, std::string(32, 'b'));
  EXPECT_EQ(parsed->content_key, kHash);

  struct Case {
    ContentRequest request;
    const char* why;
  };
  const Case refused[] = {
      {{std::string(33, 'a'), "b", kHash}, "token a too long"},
      {{"a", std::string(33, 'b'), kHash}, "token b too long"},
      {{"a", "b", "not a hash"}, "key not 32 hex digits"},
      {{"a", "b", ""}, "no key"},
  };
  for (const Case& c : refused) EXPECT_FALSE(build_content_request(c.request)) << c.why;
  EXPECT_FALSE(parse_content_request(payload->substr(0, 96)));
  EXPECT_FALSE(parse_content_request(*payload + '\0'));
}

TEST(PaidContentMessages, ContentAnswerLayoutAndLimits) {
  const ContentAnswer answer{kContentNotPaid, 100, -7, "영화 제목"};
  auto bytes = build_content_answer(answer);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), kContentAnswerSize);
  EXPECT_EQ(util::read_u16(bytes->data()), 308);
  EXPECT_EQ(util::read_u16(bytes->data() + 2), kContentQueryType);
  EXPECT_EQ((*bytes)[4], kContentNotPaid);
  EXPECT_EQ(util::read_u64(bytes->data() + 5), 100u);
  EXPECT_EQ(bytes->substr(21, 10), *platform::utf8_to_cp949("영화 제목") + '\0');
  auto parsed = parse_content_answer(*bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->status, kContentNotPaid);
  EXPECT_EQ(parsed->price, 100);
  EXPECT_EQ(parsed->star_money, -7);
  EXPECT_EQ(parsed->work_title, "영화 제목");

  auto negative = parse_content_answer(*build_content_answer({-1, 0, 0, ""}));
  ASSERT_TRUE(negative);
  EXPECT_EQ(negative->status, -1) << "the state is a signed byte";

  EXPECT_TRUE(build_content_answer({0, 0, 0, std::string(kMaxWorkTitleBytes, 'x')}));
  EXPECT_FALSE(build_content_answer({0, 0, 0, std::string(kMaxWorkTitleBytes + 1, 'x')})) << "the title keeps its NUL";

  std::string wrong_length = *bytes;
  wrong_length[0] = static_cast<char>(307 & 0xFF);
  EXPECT_FALSE(parse_content_answer(wrong_length)) << "any length word but 308 fails the query";
  EXPECT_FALSE(parse_content_answer(bytes->substr(0, kContentAnswerSize - 1)));
  EXPECT_FALSE(parse_content_answer(*bytes + '\0'));
  std::string bad_title = *bytes;
  bad_title[21] = '\xff';
  bad_title[22] = '\xff';
  EXPECT_FALSE(parse_content_answer(bad_title)) << "a title that is not CP949";
}

}  // namespace
}  // namespace dovel::service
