// The share-port check against the stand-in service, in-process on a loopback
// address of the test's own, the client on another one.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "central/central_service.h"
#include "central/udp_receiver.h"
#include "core/message_ids.h"
#include "server/init_thread.h"
#include "server/port_check.h"
#include "server/share_server_settings.h"
#include "server/startup_port_check.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::server {
namespace {

using service::PortTestKind;

// Waits that are meant to run out are short; the others keep the program's limits.
PortTestTiming short_waits() {
  PortTestTiming timing;
  timing.connect_back_wait_ms = 200;
  timing.tcp_reply_read_ms = 500;
  timing.probe_wait_ms = 300;
  timing.udp_reply_read_ms = 500;
  timing.reply_total_ms = 1000;
  return timing;
}

// A port of `address` that nothing uses.
uint16_t free_port(platform::Ipv4 address) {
  platform::UniqueFd probe(platform::make_tcp_listener(address, 0, 1));
  return platform::local_port(probe.get());
}

// A port-test endpoint of the test's own: on each connection it reads the
// request frame, answers with `answer` (nothing when empty) and closes.
class ScriptedTestServer {
 public:
  explicit ScriptedTestServer(std::string answer) : answer_(std::move(answer)), peer_([this](int connection) { serve(connection); }) {}

  service::Endpoint endpoint() const { return {peer_.address(), peer_.port()}; }
  // The request as it arrived, once its connection has ended.
  std::optional<service::PortTestRequest> request() {
    if (!test::eventually([this] { return peer_.served() > 0; })) return std::nullopt;
    std::lock_guard guard(lock_);
    return request_;
  }

 private:
  void serve(int connection) {
    const std::string frame = test::read_exactly(connection, service::kFrameHeaderSize + 7);
    if (frame.empty()) return;
    if (std::optional<service::Frame> body = service::read_frame_body(std::string_view(frame).substr(service::kFramePlainSize))) {
      std::lock_guard guard(lock_);
      if (body->type == service::kPortTestType) request_ = service::parse_port_test_request(body->payload);
    }
    if (!answer_.empty()) test::send_text(connection, answer_);
  }

  const std::string answer_;
  std::mutex lock_;
  std::optional<service::PortTestRequest> request_;
  test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

// The next datagram on `fd` and who sent it, or nullopt after `timeout_ms`.
std::optional<std::pair<std::string, service::Endpoint>> receive_from(int fd, int timeout_ms) {
  if (platform::wait_readable(fd, timeout_ms) != platform::WaitResult::Ready) return std::nullopt;
  std::string buffer(64, '\0');
  sockaddr_in sender{};
  socklen_t sender_size = sizeof sender;
  const ssize_t got = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &sender_size);
  if (got < 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(got));
  return std::pair{buffer, service::Endpoint{sender.sin_addr.s_addr, ntohs(sender.sin_port)}};
}

// A port-test endpoint that runs the UDP test itself, with a stray sender on
// another address of the test's own: when the request comes, the stray puts a
// datagram on the tested port first, then the probe follows from the endpoint's
// own address. The reply says 0 when the probe came back to the endpoint's port
// from the tested port, 1 when it did not.
class StrayFirstTestServer {
 public:
  StrayFirstTestServer(platform::Ipv4 client, platform::Ipv4 stray_address)
      : client_(client), peer_([this](int connection) { serve(connection); }) {
    // Both at the endpoint's port number: the echo goes to the sender's address at that port.
    probe_.reset(platform::make_udp_socket_bound(peer_.address(), peer_.port()));
    stray_.reset(platform::make_udp_socket_bound(stray_address, peer_.port()));
  }

  service::Endpoint endpoint() const { return {peer_.address(), peer_.port()}; }
  bool ready() const { return probe_.valid() && stray_.valid(); }
  // Whatever reached the stray sender within `timeout_ms`.
  std::optional<std::string> stray_received(int timeout_ms) const {
    auto datagram = receive_from(stray_.get(), timeout_ms);
    return datagram ? std::optional(datagram->first) : std::nullopt;
  }

 private:
  static constexpr std::string_view kProbe = "PRB1";

  void serve(int connection) {
    const std::string frame = test::read_exactly(connection, service::kFrameHeaderSize + 7);
    if (frame.empty()) return;
    std::optional<service::Frame> body = service::read_frame_body(std::string_view(frame).substr(service::kFramePlainSize));
    std::optional<service::PortTestRequest> request = body ? service::parse_port_test_request(body->payload) : std::nullopt;
    if (!request) return;
    const service::Endpoint tested{client_, request->port};
    central::send_datagram(stray_.get(), "a search query from someone else", tested);
    central::send_datagram(probe_.get(), kProbe, tested);
    const auto echo = receive_from(probe_.get(), 5000);
    const bool echoed = echo && echo->first == kProbe && echo->second == tested;
    test::send_text(connection, service::build_port_test_reply({echoed ? kPortTestReached : kPortTestTimedOut, client_}));
  }

  const platform::Ipv4 client_;
  platform::UniqueFd probe_;
  platform::UniqueFd stray_;
  test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

// Keeps every message with its payload.
class KeepingTarget final : public core::MessageTarget {
 public:
  void post(core::Message message) override {
    std::lock_guard guard(lock_);
    messages_.push_back(std::move(message));
  }
  std::vector<core::Message> take() {
    std::lock_guard guard(lock_);
    return std::move(messages_);
  }

 private:
  std::mutex lock_;
  std::vector<core::Message> messages_;
};

class PortCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(home.path(), platform::system_clock());
    util::ProcessLog()->SetStatusSink([this](const std::string& text) {
      std::lock_guard guard(log_lock);
      status_log += text;
    });
    central::CentralConfig config;
    config.home = home / "central";
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = service_address;
    config.service.web_base = "http://" + platform::format_ipv4(service_address) + ":11080";
    configure(config);
    central = std::make_unique<central::CentralService>(config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    endpoints = config.service.endpoints();
    endpoints.bind_address = client_address;

    share_port = free_port(client_address);
    ASSERT_NE(share_port, 0);
    settings.update([this](settings::StoredSettings& values) { values.share_port = share_port; });
  }
  void TearDown() override { util::ConfigureLogFiles(home.path(), platform::system_clock()); }

  virtual void configure(central::CentralConfig&) {}

  std::string line(const char* kind, const char* text) const { return std::string(kind) + " " + std::to_string(share_port) + "포트: " + text; }

  std::string logged() {
    std::lock_guard guard(log_lock);
    return status_log;
  }

  // An address of the test's own where nothing listens.
  service::Endpoint nowhere() const { return {silent_address, 11050}; }

  dovel::test::TempFolder home;
  const platform::Ipv4 service_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 silent_address = dovel::test::unique_loopback_address();
  std::unique_ptr<central::CentralService> central;
  service::ServiceEndpoints endpoints;
  settings::LiveSettings settings;
  ShareServerSettings server_settings{settings};
  uint16_t share_port = 0;
  std::mutex log_lock;
  std::string status_log;
};

TEST_F(PortCheckTest, ReachableTcpPortReportsTheAddressTheServiceSaw) {
  PortTester tester(endpoints);
  PortTestResult result;
  ASSERT_TRUE(tester.port_test(result, share_port, PortTestKind::Tcp));
  EXPECT_EQ(result.kind, PortTestKind::Tcp);
  EXPECT_EQ(result.port, share_port);
  EXPECT_EQ(result.code, kPortTestReached);
  EXPECT_EQ(result.external_address, client_address);
  EXPECT_EQ(port_test_text(result), line("TCP", "OK 수신"));
}

TEST_F(PortCheckTest, ReachableUdpPortEchoesTheProbe) {
  PortTester tester(endpoints);
  PortTestResult result;
  ASSERT_TRUE(tester.port_test(result, share_port, PortTestKind::Udp));
  EXPECT_EQ(result.code, kPortTestReached);
  EXPECT_EQ(result.external_address, client_address);
  EXPECT_EQ(port_test_text(result), line("UDP", "OK 수신"));
}

class PortCheckOnOtherServicePortTest : public PortCheckTest {
  void configure(central::CentralConfig& config) override { config.service.port_test_port = 11057; }
};

TEST_F(PortCheckOnOtherServicePortTest, UdpEchoGoesToTheServicesPortTestPort) {
  PortTester tester(endpoints);
  PortTestResult result;
  ASSERT_TRUE(tester.port_test(result, share_port, PortTestKind::Udp));
  EXPECT_EQ(result.code, kPortTestReached);
}

TEST_F(PortCheckTest, UdpProbeIsFoundBehindADatagramFromSomeoneElse) {
  StrayFirstTestServer server(client_address, silent_address);
  ASSERT_TRUE(server.ready());
  endpoints.port_test = {server.endpoint(), server.endpoint()};
  PortTester tester(endpoints);
  PortTestResult result;
  ASSERT_TRUE(tester.port_test(result, share_port, PortTestKind::Udp));
  EXPECT_EQ(result.code, kPortTestReached);
  EXPECT_EQ(port_test_text(result), line("UDP", "OK 수신"));
  EXPECT_EQ(server.stray_received(200), std::nullopt) << "nothing goes back to the stray sender";
}

TEST_F(PortCheckTest, EitherStartEndpointFallsBackToTheOther) {
  for (size_t start : {0u, 1u}) {
    service::ServiceEndpoints one_down = endpoints;
    one_down.port_test[start] = nowhere();
    PortTester tester(one_down, {}, [start] { return start; });
    PortTestResult result;
    EXPECT_TRUE(tester.port_test(result, share_port, PortTestKind::Tcp)) << "start " << start;
    EXPECT_EQ(result.code, kPortTestReached) << "start " << start;
  }
}

TEST_F(PortCheckTest, PortHeldByAnotherSocketIsCodeSix) {
  platform::UniqueFd tcp_holder(platform::make_tcp_listener(client_address, share_port, 5));
  platform::UniqueFd udp_holder(platform::make_udp_socket_bound(client_address, share_port));
  ASSERT_TRUE(tcp_holder.valid() && udp_holder.valid());
  PortTester tester(endpoints, short_waits());
  for (PortTestKind kind : {PortTestKind::Tcp, PortTestKind::Udp}) {
    PortTestResult result;
    EXPECT_FALSE(tester.port_test(result, share_port, kind));
    EXPECT_EQ(result.code, kPortTestPortInUse);
    EXPECT_EQ(result.external_address, 0u);
  }
}

TEST_F(PortCheckTest, PortZeroIsRefusedRatherThanTestingSomeOtherPort) {
  PortTester tester(endpoints);
  PortTestResult result;
  EXPECT_FALSE(tester.port_test(result, 0, PortTestKind::Tcp));
  EXPECT_EQ(result.code, kPortTestPortInUse);
}

TEST_F(PortCheckTest, ReplyThatNeverComesIsCodeFive) {
  // Connections complete in the backlog, but nobody ever answers.
  platform::UniqueFd mute(platform::make_tcp_listener(silent_address, 0, 5));
  endpoints.port_test = {service::Endpoint{silent_address, platform::local_port(mute.get())}, nowhere()};
  PortTester tester(endpoints, short_waits(), [] { return size_t{0}; });
  PortTestResult result;
  EXPECT_FALSE(tester.port_test(result, share_port, PortTestKind::Tcp));
  EXPECT_EQ(result.code, kPortTestNetworkError);
  EXPECT_EQ(port_test_text(result), line("TCP", "네트웍에러"));
}

TEST_F(PortCheckTest, ReplyCutShortIsCodeFive) {
  ScriptedTestServer cut_short(std::string(7, '\0'));
  endpoints.port_test = {cut_short.endpoint(), cut_short.endpoint()};
  PortTester tester(endpoints, short_waits());
  PortTestResult result;
  EXPECT_FALSE(tester.port_test(result, share_port, PortTestKind::Tcp));
  EXPECT_EQ(result.code, kPortTestNetworkError);
}

TEST_F(PortCheckTest, RequestCarriesTheKindAndThePort) {
  for (PortTestKind kind : {PortTestKind::Tcp, PortTestKind::Udp}) {
    ScriptedTestServer server(service::build_port_test_reply({kPortTestReached, client_address}));
    endpoints.port_test = {server.endpoint(), server.endpoint()};
    PortTester tester(endpoints, short_waits());
    PortTestResult result;
    tester.port_test(result, share_port, kind);
    std::optional<service::PortTestRequest> request = server.request();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, kind);
    EXPECT_EQ(request->port, share_port);
  }
}

TEST_F(PortCheckTest, CodeOutsideTheTableIsShownNotLookedUp) {
  ScriptedTestServer server(service::build_port_test_reply({0xFFFFFFFFu, client_address}));
  endpoints.port_test = {server.endpoint(), server.endpoint()};
  StartupPortCheckOutcome outcome = run_startup_port_check(server_settings, PortTester(endpoints, short_waits()));
  EXPECT_FALSE(outcome.server_usable);
  EXPECT_EQ(outcome.result_lines, std::vector<std::string>{line("TCP", "알 수 없는 결과(4294967295)")});
}

TEST(PortTestTextTest, EveryCodeHasItsText) {
  struct Case {
    PortTestKind kind;
    uint16_t port;
    uint32_t code;
    const char* expected;
  };
  const Case cases[] = {
      {PortTestKind::Tcp, 9910, 0, "TCP 9910포트: OK 수신"},
      {PortTestKind::Udp, 9910, 1, "UDP 9910포트: 타임아웃"},
      {PortTestKind::Tcp, 1, 2, "TCP 1포트: 잘못된 값"},
      {PortTestKind::Tcp, 65535, 3, "TCP 65535포트: 서버폭주"},
      {PortTestKind::Udp, 80, 4, "UDP 80포트: 서버접속불가"},
      {PortTestKind::Tcp, 9910, 5, "TCP 9910포트: 네트웍에러"},
      {PortTestKind::Tcp, 9910, 6, "TCP 9910포트: 이미 사용중 - 본 프로그램일수도 있음"},
      {PortTestKind::Udp, 9910, 7, "UDP 9910포트: 알 수 없는 결과(7)"},
  };
  for (const Case& c : cases) EXPECT_EQ(port_test_text({c.kind, c.port, c.code, 0}), c.expected);
}

TEST_F(PortCheckTest, StartupCheckWithBothPortsReachableMakesTheServerUsable) {
  StartupPortCheckOutcome outcome = run_startup_port_check(server_settings, PortTester(endpoints));
  EXPECT_TRUE(outcome.server_usable);
  EXPECT_TRUE(settings.server_usable);
  EXPECT_EQ(outcome.external_address, client_address);
  EXPECT_EQ(settings.external_address, client_address);
  EXPECT_EQ(outcome.result_lines, (std::vector<std::string>{line("TCP", "OK 수신"), line("UDP", "OK 수신")}));
  EXPECT_TRUE(outcome.udp_warning.empty());
  EXPECT_NE(logged().find(line("TCP", "OK 수신")), std::string::npos);
  EXPECT_NE(logged().find(line("UDP", "OK 수신")), std::string::npos);
}

TEST_F(PortCheckTest, StartupCheckWithThePortTakenRunsWithoutServing) {
  settings.server_usable = true;
  platform::UniqueFd other_program(platform::make_tcp_listener(client_address, share_port, 5));
  ASSERT_TRUE(other_program.valid());
  StartupPortCheckOutcome outcome = run_startup_port_check(server_settings, PortTester(endpoints, short_waits()));
  EXPECT_FALSE(outcome.server_usable);
  EXPECT_FALSE(settings.server_usable);
  EXPECT_EQ(settings.external_address, 0u);
  EXPECT_EQ(outcome.result_lines, std::vector<std::string>{"TCP " + std::to_string(share_port) + "포트: 이미 사용중 - 본 프로그램일수도 있음"});
  EXPECT_TRUE(outcome.udp_warning.empty());
  EXPECT_NE(logged().find(outcome.result_lines[0]), std::string::npos);
}

TEST_F(PortCheckTest, StartupCheckWithoutTheServiceSaysWhyAndSkipsUdp) {
  settings.server_usable = true;
  endpoints.port_test = {nowhere(), nowhere()};
  StartupPortCheckOutcome outcome = run_startup_port_check(server_settings, PortTester(endpoints, short_waits()));
  EXPECT_FALSE(outcome.server_usable);
  EXPECT_FALSE(settings.server_usable);
  EXPECT_EQ(outcome.result_lines, std::vector<std::string>{line("TCP", "서버접속불가")});
  EXPECT_TRUE(outcome.udp_warning.empty());
  EXPECT_NE(logged().find(line("TCP", "서버접속불가")), std::string::npos);
  EXPECT_EQ(logged().find("UDP"), std::string::npos);
}

TEST_F(PortCheckTest, StartupCheckWithTcpClosedAtTheServiceIsNotUsable) {
  // The service answers that its connect-back found nothing; the address it saw still counts.
  ScriptedTestServer server(service::build_port_test_reply({kPortTestTimedOut, client_address}));
  endpoints.port_test = {server.endpoint(), server.endpoint()};
  StartupPortCheckOutcome outcome = run_startup_port_check(server_settings, PortTester(endpoints, short_waits()));
  EXPECT_FALSE(outcome.server_usable);
  EXPECT_EQ(outcome.external_address, client_address);
  EXPECT_EQ(outcome.result_lines, std::vector<std::string>{line("TCP", "타임아웃")});
}

// The UDP test meets an endpoint that takes the request but never sends the
// probe, as when a router lets TCP in and drops UDP.
TEST_F(PortCheckTest, InitThreadWithUdpBlockedStaysUsableAndWarnsOnce) {
  platform::UniqueFd no_probe(platform::make_tcp_listener(silent_address, 0, 5));
  endpoints.port_test[1] = {silent_address, platform::local_port(no_probe.get())};
  size_t tests = 0;
  PortTester tester(endpoints, short_waits(), [&tests] { return tests++ == 0 ? size_t{0} : size_t{1}; });

  KeepingTarget front;
  InitThread init(server_settings, tester, front);
  EXPECT_EQ(init.waiting_note(), std::to_string(share_port) + " TCP/UDP 포트를 검사중입니다.\r\n잠시만 기다려주세요.");
  init.join();

  std::vector<core::Message> posted = front.take();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].id, core::UM_INIT_DONE);
  EXPECT_EQ(posted[0].wparam, 1u);
  auto* outcome = dynamic_cast<StartupPortCheckOutcome*>(posted[0].payload.get());
  ASSERT_NE(outcome, nullptr);
  EXPECT_TRUE(outcome->server_usable);
  EXPECT_TRUE(settings.server_usable);
  EXPECT_EQ(outcome->external_address, client_address);
  EXPECT_EQ(outcome->result_lines, (std::vector<std::string>{line("TCP", "OK 수신"), line("UDP", "타임아웃")}));
  EXPECT_EQ(outcome->udp_warning, "UDP " + std::to_string(share_port) +
                                      "포트 검사에 실패하였습니다. \r\n검색에 문제가 발생할 수도 있습니다. \r\n"
                                      "공유기를 사용하신다면 TCP뿐만 아니라 UDP까지 열어 주시기 바랍니다.\r\n\r\n"
                                      "또는 도벨을 재실행해 보시기 바랍니다.");
  EXPECT_NE(logged().find(line("UDP", "타임아웃")), std::string::npos);
}

TEST_F(PortCheckTest, InitThreadReportsAnUnusableServerToo) {
  endpoints.port_test = {nowhere(), nowhere()};
  KeepingTarget front;
  {
    InitThread init(server_settings, PortTester(endpoints, short_waits()), front);
  }
  std::vector<core::Message> posted = front.take();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].id, core::UM_INIT_DONE);
  EXPECT_EQ(posted[0].wparam, 0u);
  auto* outcome = dynamic_cast<StartupPortCheckOutcome*>(posted[0].payload.get());
  ASSERT_NE(outcome, nullptr);
  EXPECT_FALSE(outcome->server_usable);
  EXPECT_TRUE(outcome->udp_warning.empty());
}

}  // namespace
}  // namespace dovel::server
