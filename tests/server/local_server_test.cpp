#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/ioctl.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <thread>

#include "core/message_ids.h"
#include "server/data_thread.h"
#include "server/search_responder.h"
#include "server/server_fixture.h"
#include "server/server_status.h"
#include "share/file_hash.h"
#include "share/hash_run.h"
#include "support/eventually.h"
#include "support/fake_clock.h"
#include "support/first_file_gate.h"
#include "util/last_error.h"

namespace dovel::server {
namespace {

using test::eventually;
using namespace std::chrono_literals;

std::string value16(uint16_t value) { return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }

// The `n`th of many peers' addresses, each holding as few connections as one address may.
std::string crowd_address(size_t n, size_t per_address) { return "127.0.9." + std::to_string(1 + n / per_address); }

class LocalServerTest : public ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    set_shares({{"Public", settings::SHARE_READ}});
  }

  // A hashing run of its own as the server's hashing, held at its first file
  // (its walk holding the database) until `gate` opens.
  std::unique_ptr<share::HashRunner> start_held_run(test::FirstFileGate& gate) {
    auto runner = std::make_unique<share::HashRunner>(
        share::HashRunContext{&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, gate.callback()});
    context.hashing = runner.get();
    runner->start_hash_run(0);
    gate.wait_until_entered();
    return runner;
  }
};

TEST_F(LocalServerTest, FiftyControlConnectionsAndNoMore) {
  start_server();
  std::deque<test::TestPeer> peers;
  for (size_t i = 0; i < LocalServer::kMaxControlConnections; ++i) peers.push_back(browse(crowd_address(i, LocalServer::kMaxControlConnectionsPerAddress)));
  auto refused = test::TestPeer::connect(server->port(), wire::kControlKind, "127.0.0.1", "127.0.8.1");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->read_raw(4), "OVER");
  EXPECT_TRUE(refused->closed_within());
  EXPECT_TRUE(eventually([&] { return monitor.peer_rows().size() == 50; }));

  peers.pop_front();  // one leaves: a place is free again
  ASSERT_TRUE(eventually([&] { return server->control_count() < 50; }));
  browse("127.0.8.1");
}

TEST_F(LocalServerTest, OneAddressHoldsOnlyItsShareOfTheConnections) {
  settings.update([](settings::StoredSettings& values) { values.max_upload = 20; });
  start_server();
  std::vector<test::TestPeer> held;
  for (size_t i = 0; i < LocalServer::kMaxControlConnectionsPerAddress; ++i) held.push_back(browse("127.0.7.1"));
  auto control = test::TestPeer::connect(server->port(), wire::kControlKind, "127.0.0.1", "127.0.7.1");
  ASSERT_TRUE(control);
  EXPECT_EQ(control->read_raw(4), "OVER");
  EXPECT_TRUE(control->closed_within());
  for (size_t i = 0; i < LocalServer::kMaxDataConnectionsPerAddress; ++i) {
    auto data = test::TestPeer::connect(server->port(), wire::kDataKind, "127.0.0.1", "127.0.7.1");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->read_raw(2), value16(1)) << i;
    held.push_back(std::move(*data));
  }
  auto data = test::TestPeer::connect(server->port(), wire::kDataKind, "127.0.0.1", "127.0.7.1");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->read_raw(2), value16(3));
  // Another address is served as if the first were not there.
  browse("127.0.7.2");
  auto other_data = test::TestPeer::connect(server->port(), wire::kDataKind, "127.0.0.1", "127.0.7.2");
  ASSERT_TRUE(other_data);
  EXPECT_EQ(other_data->read_raw(2), value16(1));
}

TEST_F(LocalServerTest, ARefusalReachesAPeerThatKeepsSending) {
  start_server();
  std::vector<test::TestPeer> held;
  for (size_t i = 0; i < LocalServer::kMaxControlConnections; ++i) held.push_back(browse(crowd_address(i, LocalServer::kMaxControlConnectionsPerAddress)));
  // The peer does not wait for the answer: its requests are already on the way when the refusal is sent.
  auto eager = test::TestPeer::connect_silent(server->port());
  ASSERT_TRUE(eager);
  ASSERT_TRUE(eager->send_raw(std::string(1, static_cast<char>(wire::kControlKind)) + std::string(64 * 1024, 'D')));
  EXPECT_EQ(eager->read_raw(4), "OVER");
  // An orderly end, not a reset: some peers' systems throw away what they had received when a reset comes.
  ASSERT_EQ(platform::wait_readable(eager->fd(), 10000), platform::WaitResult::Ready);
  char byte = 0;
  const ssize_t end = ::recv(eager->fd(), &byte, 1, 0);
  EXPECT_EQ(end, 0) << std::strerror(errno);
}

TEST_F(LocalServerTest, DataConnectionsAboveMaxUploadPlusTen) {
  settings.update([](settings::StoredSettings& values) { values.max_upload = 2; });
  start_server();
  std::vector<test::TestPeer> held;
  for (size_t i = 0; i < 12; ++i) {
    auto peer = test::TestPeer::connect(server->port(), wire::kDataKind, "127.0.0.1", crowd_address(i, LocalServer::kMaxDataConnectionsPerAddress));
    ASSERT_TRUE(peer);
    ASSERT_EQ(peer->read_raw(2), value16(1)) << i;
    held.push_back(std::move(*peer));
  }
  auto refused = test::TestPeer::connect(server->port(), wire::kDataKind);
  EXPECT_EQ(refused->read_raw(2), value16(3));
  EXPECT_TRUE(refused->closed_within());
}

TEST_F(LocalServerTest, DataConnectionsDuringHashingAndWhilePaused) {
  start_server();
  meter.power_off_after_transfers = true;
  auto powering_off = test::TestPeer::connect(server->port(), wire::kDataKind);
  EXPECT_EQ(powering_off->read_raw(2), value16(10));
  meter.power_off_after_transfers = false;

  monitor.set_new_uploads_paused(true);
  auto paused = test::TestPeer::connect(server->port(), wire::kDataKind);
  EXPECT_EQ(paused->read_raw(2), value16(10));
  auto control = test::TestPeer::connect(server->port(), wire::kControlKind);
  EXPECT_EQ(control->read_control_answer(), std::string("X_UP\x0b", 5)) << "browsing still works, with the pause shown";
  monitor.set_new_uploads_paused(false);

  for (int i = 0; i < 300; ++i) temp.write("shares/Public/f" + std::to_string(i) + ".txt", "x");
  auto browsing = browse();
  test::FirstFileGate gate;
  std::unique_ptr<share::HashRunner> busy = start_held_run(gate);
  auto during_run = test::TestPeer::connect(server->port(), wire::kDataKind);
  EXPECT_EQ(during_run->read_raw(2), value16(2));
  EXPECT_EQ(ask(browsing, "Ha.txt|1"), "B") << "hash requests wait for the run";
  gate.release();
  context.hashing = &this->hashing;
}

TEST_F(LocalServerTest, ChatNeedsMemosAndARunner) {
  start_server();
  settings.update([](settings::StoredSettings& values) { values.allow_memo = false; });
  auto no_memos = test::TestPeer::connect(server->port(), wire::kChatKind);
  EXPECT_EQ(no_memos->read_raw(4), "NOOO");

  settings.update([](settings::StoredSettings& values) { values.allow_memo = true; });
  std::atomic<int> served{0};
  server->set_chat_runner([&served](std::shared_ptr<wire::PeerSocket> socket) {
    ++served;
    char byte;
    while (::recv(socket->fd(), &byte, 1, 0) > 0) {
    }
  });
  std::vector<test::TestPeer> chats;
  for (size_t i = 0; i < LocalServer::kMaxChatConnections; ++i) {
    auto chat = test::TestPeer::connect(server->port(), wire::kChatKind);
    ASSERT_EQ(chat->read_raw(4), "OKKK");
    chats.push_back(std::move(*chat));
  }
  auto over = test::TestPeer::connect(server->port(), wire::kChatKind);
  EXPECT_EQ(over->read_raw(4), "OVER");
  EXPECT_TRUE(eventually([&] { return served == 10; }));
}

TEST_F(LocalServerTest, SideChannelsAreLimitedAndUnknownKindsClosed) {
  start_server();
  std::vector<test::TestPeer> sides;
  for (size_t i = 0; i < LocalServer::kMaxSideConnections; ++i) {
    auto side = test::TestPeer::connect(server->port(), wire::kSideChannelKind);
    ASSERT_EQ(side->read_raw(4), "OKKK");
    sides.push_back(std::move(*side));
  }
  auto over = test::TestPeer::connect(server->port(), wire::kSideChannelKind);
  EXPECT_EQ(over->read_raw(4), "OVER");
  auto unknown = test::TestPeer::connect(server->port(), 'x');
  EXPECT_TRUE(unknown->closed_within());
  EXPECT_EQ(unknown->read_raw(1, 100), "");
}

TEST_F(LocalServerTest, SilentSocketsAreClosedAndTheirNumberIsBounded) {
  start_server({}, PendingLimits{4, 300});
  auto silent = test::TestPeer::connect_silent(server->port());
  ASSERT_TRUE(silent);
  EXPECT_TRUE(silent->closed_within()) << "no kind byte before the deadline";

  start_server({}, PendingLimits{4, 60000});
  std::vector<test::TestPeer> crowd;
  for (int i = 0; i < 6; ++i) crowd.push_back(*test::TestPeer::connect_silent(server->port()));
  EXPECT_TRUE(crowd[0].closed_within()) << "the oldest waiting socket makes room";
  EXPECT_TRUE(crowd[1].closed_within());
  browse();
}

TEST_F(LocalServerTest, StatusBroadcastAndKeepAlive) {
  start_server();
  auto peer = browse();
  meter.running_uploads = 15;
  meter.upload_speed = 2048;
  settings.upload_speed_limit = 1024000;
  server->broadcast_status();
  EXPECT_EQ(peer.read_frame(), std::string("210\a10\a2.00\a1000") + '\0') << "running uploads never shown above the most";
  server->send_keep_alives();
  EXPECT_EQ(peer.read_raw(4), std::string("\xa4\xc7\x21\x5e", 4)) << "an empty frame: the bare key";
}

// The timer thread's sends, on a clock only the test moves.
class LocalServerTimerTest : public LocalServerTest {
 protected:
  void SetUp() override {
    LocalServerTest::SetUp();
    context.clock = &clock;
  }

  test::FakeClock clock;
};

TEST_F(LocalServerTimerTest, StatusEveryFiveSecondsAndKeepAlivesEveryMinuteOfTheContextsClock) {
  start_server();
  ASSERT_TRUE(clock.read_again(1)) << "the timer has taken its start";
  auto peer = browse();
  const std::string status = status_message(context);
  const std::string keep_alive;  // an empty frame
  struct Step {
    platform::Tick at;                // the clock is moved to this
    std::vector<std::string> frames;  // what the peer then gets, in order
  };
  const Step steps[] = {
      {4999, {}},
      {5000, {status}},
      {59999, {status}},  // 54999 ms after the last status, one millisecond short of the minute
      {60000, {keep_alive}},
      {64998, {}},
      {64999, {status}},
      {125000, {status, keep_alive}},
  };
  platform::Tick now = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.at);
    clock.advance_ms(step.at - now);
    now = step.at;
    for (const std::string& frame : step.frames) EXPECT_EQ(peer.read_any_frame(), frame);
    // The timer has read the clock once more after the turn that saw the move.
    ASSERT_TRUE(clock.read_again(2));
    EXPECT_EQ(platform::wait_readable(peer.fd(), 0), platform::WaitResult::Timeout) << "nothing else was sent";
  }
}

TEST_F(LocalServerTest, APeerThatStopsReadingDoesNotHoldTheBroadcast) {
  start_server();
  auto stuck = browse();  // never reads again
  auto reader = browse();
  const std::string big_name(200, 'n');
  for (int i = 0; i < 200; ++i) temp.write("shares/Public/" + big_name + std::to_string(i), "x");
  // Fill the stuck peer's buffers with listings it never reads, until its session
  // can send no more and sits in a send holding the socket's send lock.
  for (int i = 0; i < 400; ++i) stuck.send_frame("C\\Public");
  int queued = -1;
  for (int unchanged = 0, i = 0; unchanged < 20 && i < 2000; ++i) {
    int now = 0;
    ::ioctl(stuck.fd(), FIONREAD, &now);
    unchanged = now == queued ? unchanged + 1 : 0;
    queued = now;
    std::this_thread::sleep_for(5ms);
  }
  auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) server->broadcast_status();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
  EXPECT_TRUE(reader.read_frame().has_value()) << "the others still get their status";
}

TEST_F(LocalServerTest, StoppingEndsEverySessionAndJoins) {
  start_server();
  auto control = browse();
  auto data = test::TestPeer::connect(server->port(), wire::kDataKind);
  ASSERT_EQ(data->read_raw(2), value16(1));
  server->stop_share_server(true);
  EXPECT_FALSE(server->is_running());
  EXPECT_TRUE(control.closed_within());
  EXPECT_TRUE(data->closed_within());
  EXPECT_EQ(server->control_count(), 0u);
  EXPECT_EQ(server->data_count(), 0u);
  EXPECT_TRUE(monitor.peer_rows().empty());
  EXPECT_FALSE(test::TestPeer::connect_silent(server->port()).has_value());
}

// A run's walk holds the database lock for as long as it takes; requests that
// read the database meanwhile must not keep the server from stopping.
TEST_F(LocalServerTest, StoppingDuringAHashingRunWaitsForNoRequest) {
  temp.write("shares/Public/a.txt", "abc");
  start_server();
  auto browsing = browse();
  ask(browsing, "C\\Public");
  test::FirstFileGate gate;
  std::unique_ptr<share::HashRunner> busy = start_held_run(gate);

  // Every kind of request that reads the database, sent while the run holds it.
  ASSERT_TRUE(browsing.send_frame("F0123456789abcdef0123456789abcdef"));
  ASSERT_TRUE(browsing.send_frame("Zsub"));
  auto started_during_run = browse();
  auto side = test::TestPeer::connect(server->port(), wire::kSideChannelKind);
  ASSERT_TRUE(side);
  ASSERT_EQ(side->read_raw(4), "OKKK");
  ASSERT_TRUE(side->send_frame("H|a.txt|3|0"));

  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    server->stop_share_server(false);
    stopped = true;
  });
  EXPECT_TRUE(eventually([&] { return stopped.load(); }, 20s)) << "the stop waited for the run";
  gate.release();
  stopper.join();
  context.hashing = &this->hashing;
}

TEST_F(LocalServerTest, APortInUseIsReported) {
  start_server();
  LocalServer second(context, hold_data_connection);
  EXPECT_FALSE(second.start_share_server(server->port()));
  EXPECT_EQ(util::LastErrorText(), std::to_string(server->port()) + "포트를 이미 다른프로그램(Dovel포함)이 사용중입니다.");
}

TEST_F(LocalServerTest, MonitorCommandsReachTheConnections) {
  start_server();
  auto peer = browse();
  ASSERT_TRUE(eventually([&] { return monitor.peer_rows().size() == 1; }));
  EXPECT_TRUE(server->disconnect_control(monitor.peer_rows()[0].id));
  EXPECT_TRUE(peer.closed_within());
  EXPECT_TRUE(eventually([&] { return monitor.peer_rows().empty(); }));
  EXPECT_FALSE(server->disconnect_control(999999));
}

TEST_F(LocalServerTest, ADownloadThroughTheServer) {
  std::string content;
  for (int i = 0; i < 100000; ++i) content += static_cast<char>(i * 31 % 251);
  temp.write("shares/Public/data.bin", content);
  share::HashRun run({&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, nullptr, {}}, 0);
  run.Run();
  const std::string hash = *share::sampled_md5_of_file(share_folder("Public") / "data.bin");
  start_server([](ShareServerContext& serving, DataConnectionList& list, std::shared_ptr<DataConnection> connection) {
    serve_data_connection(serving, list, std::move(connection));
  });

  auto peer = test::TestPeer::connect(server->port(), wire::kDataKind);
  ASSERT_TRUE(peer);
  ASSERT_EQ(peer->read_raw(2), value16(1));
  peer->send_frame("0|0||taker|3|" + hash + "|100000|1000|61000|1|10.0.0.9|9910||data.bin|0|nick|dovel|0");
  EXPECT_EQ(peer->read_raw(5), std::string("\x01\x00\x01\x00\x00", 5));
  const std::string block = peer->read_raw(2160);
  ASSERT_EQ(block.size(), 2160u);
  EXPECT_EQ(block.substr(2124, 32), hash);
  EXPECT_EQ(peer->read_raw(60000), content.substr(1000, 60000));
  EXPECT_TRUE(peer->closed_within());
  EXPECT_TRUE(eventually([&] { return server->data_count() == 0 && meter.running_uploads == 0; }));
}

TEST_F(LocalServerTest, TheSearchResponderListensOnTheSharePortNumber) {
  wire::DroppedSearchResults results;
  NoListSync lists;
  SearchResponder responder(context, service::ServiceEndpoints::defaults(), results, lists);
  // The TCP port is picked free; its UDP twin may be another test's, then try another.
  bool started = false;
  for (int attempt = 0; attempt < 20 && !started; ++attempt) {
    start_server();
    server->set_search_responder(&responder);
    started = server->start_search_responder();
  }
  ASSERT_TRUE(started);
  EXPECT_EQ(responder.port(), server->port());
  const std::string log = test::read_file(util::ProcessLog()->file_for(util::kSystemLog, platform::system_clock().local_now()));
  EXPECT_NE(log.find("검색서버가 시작되었습니다 - [UDP " + std::to_string(server->port()) + " Port]"), std::string::npos);

  // A server whose UDP port number is taken reports the system error.
  SearchResponder other(context, service::ServiceEndpoints::defaults(), results, lists);
  LocalServer second(context, hold_data_connection);
  second.set_search_responder(&other);
  ASSERT_TRUE(second.start_share_server(0));
  platform::UniqueFd squatter(platform::create_udp_socket());
  sockaddr_in taken{};
  taken.sin_family = AF_INET;
  taken.sin_addr.s_addr = context.bind_address;
  taken.sin_port = htons(second.port());
  // Whoever holds the number, the start fails the same way.
  ::bind(squatter.get(), reinterpret_cast<const sockaddr*>(&taken), sizeof taken);
  EXPECT_FALSE(second.start_search_responder());
  const std::string after = test::read_file(util::ProcessLog()->file_for(util::kSystemLog, platform::system_clock().local_now()));
  EXPECT_NE(after.find("검색 UDP서버 시작에러 - 포트: " + std::to_string(second.port()) + ", 에러: 0x00000062"), std::string::npos) << after;
  server->stop_search_responder();
  EXPECT_EQ(responder.port(), 0);
  server.reset();  // before the responder it points to
}

TEST_F(LocalServerTest, ConnectWorkerRunsTheDownloadsRequests) {
  start_server();
  std::atomic<int> handled{0};
  server->set_connect_handler([&handled](core::Message& message) {
    if (message.id == core::TM_CONNECT_REQUEST) ++handled;
  });
  server->connect_worker().post({core::TM_CONNECT_REQUEST, 0, 0, nullptr});
  server->connect_worker().post({core::TM_CONNECT_REQUEST, 0, 0, nullptr});
  EXPECT_TRUE(eventually([&] { return handled == 2; }));
}

}  // namespace
}  // namespace dovel::server
