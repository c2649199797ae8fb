// The service's message formats, as both the client and the stand-in use them.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/cp949.h"
#include "service/auth_messages.h"
#include "service/file_index_messages.h"
#include "service/frame.h"
#include "service/port_test_messages.h"
#include "service/registration_messages.h"
#include "service/relay_messages.h"
#include "service/report_messages.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

platform::Ipv4 ip(const char* dotted) { return *platform::parse_ipv4(dotted); }

TEST(AuthMessages, LoginRequestFieldsAndLimits) {
  LoginRequest request{"mimi", "비밀번호", 123456, kClientVersion, false, program_integrity_value()};
  auto payload = build_login_request(request);
  ASSERT_TRUE(payload);
  ASSERT_EQ(payload->size(), kLoginRequestSize);
  EXPECT_EQ(payload->substr(0, 5), std::string("mimi\0", 5));
  EXPECT_EQ(util::read_u16(payload->data() + 36), 1165);
  EXPECT_EQ((*payload)[38], 0);
  auto parsed = parse_login_request(*payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->password, "비밀번호");
  EXPECT_EQ(parsed->tick, 123456u);
  EXPECT_EQ(parsed->integrity, program_integrity_value());

  for (const char* id : {"", "sixteen-letters!", "가나다라마바사아"}) {  // the last is 16 CP949 bytes
    request.user_id = id;
    EXPECT_FALSE(build_login_request(request)) << id;
  }
  request.user_id = "fifteen-letters";
  EXPECT_TRUE(build_login_request(request));
  EXPECT_FALSE(parse_login_request(std::string(54, 'x')));
}

TEST(AuthMessages, LoginReplyTextsAreBoundedByTheirFields) {
  LoginReply reply;
  reply.result = kLoginOk;
  reply.reason = -5;
  reply.user_id = "mimi";
  reply.member_label = "별명";
  reply.auth_token_a = "A";
  reply.auth_token_b = "B";
  reply.account_serial = -42;
  reply.member_level = 7;
  reply.is_adult = 1;
  reply.privilege_a = 1;
  reply.warning_level = 2;
  reply.session_note = "note";
  std::string body = build_login_reply(reply);
  ASSERT_EQ(body.size(), kLoginReplySize);
  auto parsed = parse_login_reply(body);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->reason, -5);
  EXPECT_EQ(parsed->member_label, "별명");
  EXPECT_EQ(parsed->account_serial, -42);
  EXPECT_EQ(parsed->member_level, 7);
  EXPECT_EQ(parsed->warning_level, 2);
  EXPECT_EQ(parsed->session_note, "note");

  // Fields filled to their last byte, with no terminator anywhere.
  std::string unterminated = body;
  std::memset(unterminated.data() + 4, 'i', 16);
  std::memset(unterminated.data() + 20, 'l', 21);
  std::memset(unterminated.data() + 124, 'n', 32);
  parsed = parse_login_reply(unterminated);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->user_id, std::string(16, 'i'));
  EXPECT_EQ(parsed->member_label, std::string(21, 'l'));
  EXPECT_EQ(parsed->session_note, std::string(32, 'n'));

  // A short failure reply carries only its codes.
  std::string failure = body.substr(0, 4);
  failure[2] = kLoginFailed;
  failure[3] = kReasonWrongPassword;
  parsed = parse_login_reply(failure);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->result, kLoginFailed);
  EXPECT_EQ(parsed->user_id, "");
  EXPECT_FALSE(parse_login_reply(body.substr(0, 3)));
}

TEST(AuthMessages, PushesAndRelayedMemos) {
  std::string push = build_push(kNoticePush, "공지");
  EXPECT_EQ(util::read_u16(push.data()), push.size() - 2);
  auto parsed = parse_push_body(push.substr(2));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->type, kNoticePush);
  EXPECT_EQ(parsed->text, "공지");
  EXPECT_FALSE(parse_push_body("x"));
  EXPECT_EQ(parse_push_body(std::string("\x79\x00", 2))->text, "") << "a notice of only the type word";

  const struct {
    const char* text;
    const char* marker;
    const char* sender;
    const char* body;
  } memos[] = {{"MEMO\x07mimi\x07label\x07hello", "MEMO", "mimi", "label\x07hello"},
               {"MSG_NOTICE\x07text", "MSG_NOTICE", "text", ""},
               {"solo", "solo", "", ""}};
  for (const auto& m : memos) {
    RelayedMemo memo = split_relayed_memo(m.text);
    EXPECT_EQ(memo.marker, m.marker);
    EXPECT_EQ(memo.sender, m.sender);
    EXPECT_EQ(memo.body, m.body);
  }
  EXPECT_EQ(parse_online_count_reply(build_online_count_reply(77)), 77u);
  EXPECT_EQ(build_duplicate_check_reply(true)[4], 1);
}

TEST(RegistrationMessages, RecordLayout) {
  RegistrationRecord record{"mimi", true, false, 9910, 1234, 56, 789, "도벨짱~~"};
  auto payload = build_registration_record(record);
  ASSERT_TRUE(payload);
  ASSERT_EQ(payload->size(), kRegistrationRecordSize);
  EXPECT_EQ((*payload)[16], 2);
  EXPECT_EQ((*payload)[17], 1);
  EXPECT_EQ((*payload)[18], 0);
  EXPECT_EQ(util::read_u16(payload->data() + 19), 9910 ^ kPortMask);
  EXPECT_EQ(util::read_u32(payload->data() + 23), 1234u);
  EXPECT_EQ(util::read_u32(payload->data() + 87), 1234u ^ kScrambleKey);
  auto parsed = parse_registration_record(*payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->title, "도벨짱~~");
  EXPECT_EQ(parsed->port, 9910);
  EXPECT_EQ(parsed->peak_speed, 789u);

  record.title = std::string(50, 't');
  payload = build_registration_record(record);
  ASSERT_TRUE(payload);
  EXPECT_EQ((*payload)[85], 0) << "a 50-byte title is ended by byte 85";
  record.title = std::string(51, 't');
  EXPECT_FALSE(build_registration_record(record));
  record.title = "ok";
  record.user_id = std::string(16, 'u');
  EXPECT_FALSE(build_registration_record(record));
}

TEST(RegistrationMessages, ServerListReadsOnlyWhatTheCountsAndTheBodyHold) {
  ListedServer a;
  a.port = 9910;
  a.address = ip("10.0.0.1");
  a.opened_minute = 5;
  a.opened_hour = 13;
  a.opened_day = 24;
  a.opened_month = 12;
  a.shared_mib = 100;
  a.shared_files = 20;
  a.peak_speed = 3000;
  a.user_id = "alice";
  a.title = "앨리스 서버";
  ListedServer b = a;
  b.user_id = "bob";
  b.title = "bob's";
  std::string body = build_server_list({a, b});
  auto servers = parse_server_list(body);
  ASSERT_TRUE(servers);
  ASSERT_EQ(servers->size(), 2u);
  EXPECT_EQ((*servers)[0].user_id, "alice");
  EXPECT_EQ((*servers)[0].title, "앨리스 서버");
  EXPECT_EQ((*servers)[0].address, ip("10.0.0.1"));
  EXPECT_EQ((*servers)[0].port, 9910);
  EXPECT_EQ((*servers)[0].opened_month, 12);
  EXPECT_EQ((*servers)[1].user_id, "bob");

  std::string fewer = body;
  fewer[2] = 1;  // the counts announce one record
  EXPECT_EQ(parse_server_list(fewer)->size(), 1u);
  EXPECT_EQ(parse_server_list(body.substr(0, body.size() - 3))->size(), 1u) << "a record cut by the body's end";
  std::string negative = body;
  negative[42 + 5] = '\xff';
  negative[42 + 6] = '\xff';
  EXPECT_EQ(parse_server_list(negative)->size(), 1u) << "a negative state is left out";
  std::string bare = body;
  bare[42 + 27] = 16;  // an ID length of 16 ends the record after 28 bytes
  bare[2] = 1;
  EXPECT_EQ(parse_server_list(bare)->size(), 0u);
  std::string wrong_type = body;
  wrong_type[0] = 53;
  EXPECT_FALSE(parse_server_list(wrong_type));
  EXPECT_EQ(parse_server_list(body.substr(0, 10))->size(), 0u);
}

TEST(RegistrationMessages, AddressesPeersAndCounters) {
  auto server = parse_address_reply(build_address_reply(ip("192.168.1.7"), 9911));
  ASSERT_TRUE(server);
  EXPECT_EQ(server->address, ip("192.168.1.7"));
  EXPECT_EQ(server->port, 9911);
  EXPECT_FALSE(parse_address_reply(build_address_reply(0, 0))) << "no such server";
  EXPECT_FALSE(parse_address_reply("\x3a\x00"));

  auto peers = parse_peer_list(build_peer_list({{ip("1.2.3.4"), 1}, {ip("5.6.7.8"), 65535}}));
  ASSERT_TRUE(peers);
  ASSERT_EQ(peers->size(), 2u);
  EXPECT_EQ((*peers)[1].address, ip("5.6.7.8"));
  EXPECT_EQ((*peers)[1].port, 65535);
  std::string body = build_peer_list({});
  EXPECT_EQ(body.size(), 2u);
  EXPECT_EQ(parse_peer_list(body + "12345")->size(), 0u) << "a partial entry is not read";

  auto counters = parse_counters(build_counters({12, 34}));
  ASSERT_TRUE(counters);
  EXPECT_EQ(counters->shared_files, 34u);
  EXPECT_EQ(parse_result_reply(build_result_reply(kRegisterType, kRegisterOk), kRegisterType), kRegisterOk);
  EXPECT_FALSE(parse_result_reply(build_result_reply(kRegisterType, kRegisterOk), kVisibilityType));
}

TEST(FileIndexMessages, AnnouncementKeysAndSourceCounts) {
  const std::string hash = "0123456789abcdeffedcba9876543210";
  std::string payload = build_announcement(9910, {hash, "not-a-hash", "0123456789ABCDEFFEDCBA9876543210"});
  EXPECT_EQ(util::read_u16(payload.data() + 2), 2);
  EXPECT_EQ(util::read_u64(payload.data() + 4), 0x0123456789abcdefull);
  EXPECT_EQ(util::read_u64(payload.data() + 12), 0xfedcba9876543210ull);
  auto parsed = parse_announcement(payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->hashes, (std::vector<std::string>{hash, hash}));
  EXPECT_EQ(build_announcement(9910, {}), std::string("\xb6\x26\x00\x00\x00", 5)) << "no large files: port, 0, 0";
  EXPECT_FALSE(parse_announcement(payload.substr(0, payload.size() - 1)));

  std::string reply = build_source_reply(hash, {{ip("10.0.0.2"), 9910}, {ip("10.0.0.3"), 9911}});
  std::string body = reply.substr(4);
  auto sources = parse_source_reply(body);
  ASSERT_TRUE(sources);
  ASSERT_EQ(sources->size(), 2u);
  EXPECT_EQ((*sources)[1].address, ip("10.0.0.3"));
  std::string overcounted = body;
  overcounted[33] = 3;
  EXPECT_FALSE(parse_source_reply(overcounted)) << "the count must fit the bytes that came";
  overcounted[33] = '\xff';
  EXPECT_FALSE(parse_source_reply(overcounted)) << "a negative count";
  EXPECT_FALSE(parse_source_reply(body.substr(0, 33)));
}

TEST(OtherServiceMessages, RelayPortTestAndReports) {
  EXPECT_EQ(searcher_key_of_ticket(1), std::string("\x01\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(searcher_key_of_ticket(0xFFFE), std::string("\xfe\xff\xff\xff\xff\xff\xff\xff", 8)) << "sign-extended";
  auto ticket = parse_ticket_request(build_ticket_request(ip("8.8.4.4"), 9910));
  ASSERT_TRUE(ticket);
  EXPECT_EQ(ticket->address, ip("8.8.4.4"));
  std::string relayed = build_relayed_result("datagram");
  EXPECT_EQ(util::read_u16(relayed.data()), 10);
  EXPECT_EQ(util::read_u16(relayed.data() + 2), kRelayedResultType);

  auto request = parse_port_test_request(build_port_test_request({PortTestKind::Udp, 9910, 77}));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, PortTestKind::Udp);
  EXPECT_FALSE(parse_port_test_request(std::string("\x02\x00\x00\x00\x00\x00\x00", 7)));
  std::string reply = build_port_test_reply({0, ip("1.2.3.4")});
  ASSERT_EQ(reply.size(), kPortTestReplySize);
  EXPECT_EQ(parse_port_test_reply(reply)->address, ip("1.2.3.4"));

  DownloadReport report{99, {"alice", "bob"}, "노래.mp3", 1000, 400};
  auto text = build_download_report(report);
  ASSERT_TRUE(text);
  auto back = parse_download_report(*text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->owners, (std::vector<std::string>{"alice", "bob"}));
  EXPECT_EQ(back->file_name, "노래.mp3");
  EXPECT_FALSE(parse_download_report("1\x07" "a\x07" "b\x07" "x\x07" "2"));
}

}  // namespace
}  // namespace dovel::service
