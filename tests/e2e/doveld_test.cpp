// doveld as a user runs it: a dovel-central on a loopback address of its own,
// the client's data home configured with dovel-tool, and doveld driven through
// its control socket, a second copy and signals.
#include <gtest/gtest.h>
#include <httplib.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <signal.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "local_network.h"
#include "service/endpoints.h"
#include "service/server_directory.h"
#include "util/letter_pair.h"

namespace dovel {
namespace {

using test::eventually;

constexpr uint16_t kSharePort = 23456;

class DoveldTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(network.started()) << network.central_output(); }

  // The entry of `user` in the server list of the channel it registered on.
  std::optional<service::ListedServer> listed(const std::string& user, int channel) {
    service::ServiceConfig config = service::ServiceConfig::defaults();
    config.host_a = config.host_b = network.service_host();
    config.bind_address = lister_address;
    auto servers = service::fetch_server_list(config.endpoints(), channel);
    if (!servers) return std::nullopt;
    for (const service::ListedServer& server : *servers) {
      if (server.user_id == user) return server;
    }
    return std::nullopt;
  }

  test::LocalNetwork network;
  // The server lists are asked from one address of the test's own, however often.
  const platform::Ipv4 lister_address = test::unique_loopback_address();
};

TEST_F(DoveldTest, LogsInSharesRegistersTakesHandoversAndEndsInOrder) {
  test::LocalNetwork::Client& alice = network.add_client("a", "alice");
  network.folder().write("music/song.mp3", std::string(200000, 's'));
  network.folder().write("music/list.txt", "one\ntwo\n");
  ASSERT_EQ(network.tool(alice, {"share", "add", "음악", (network.folder() / "music").string()}).exit_code, 0);
  ASSERT_EQ(network.tool(alice, {"set", "SharePort", std::to_string(kSharePort)}).exit_code, 0);
  ASSERT_TRUE(network.start_and_register(alice)) << network.status(alice) << alice.doveld->output();

  const std::string running = network.status(alice);
  EXPECT_NE(running.find("\"logged_in\":true"), std::string::npos) << running;
  EXPECT_NE(running.find("\"user_id\":\"alice\""), std::string::npos) << running;
  EXPECT_NE(running.find("\"usable\":true"), std::string::npos) << running;
  EXPECT_TRUE(test::accepts_connections(alice.address, kSharePort));
  EXPECT_NE(network.log(alice).find("TCP 23456포트: OK 수신"), std::string::npos);

  const size_t channel_at = running.find("\"channel\":") + 10;
  const int channel = std::stoi(running.substr(channel_at));
  std::optional<service::ListedServer> entry;
  ASSERT_TRUE(eventually([&] { return (entry = listed("alice", channel)).has_value(); }));
  EXPECT_EQ(entry->address, alice.address);
  EXPECT_EQ(entry->port, kSharePort);
  EXPECT_EQ(entry->shared_files, 2u);

  // A second copy on the same data home hands its request over and ends; the first searches.
  const test::ProgramResult second = test::run_program(network.doveld_command(alice, "dovel://search/" + util::EncodeWire("음악")));
  EXPECT_EQ(second.exit_code, 0) << second.output << second.errors;
  EXPECT_TRUE(eventually([&] { return network.tool(alice, {"ctl", "results"}).exit_code == 0; })) << network.log(alice);
  EXPECT_TRUE(alice.doveld->wait_exit(0) == std::nullopt) << "the first copy goes on running";

  alice.doveld->signal(SIGTERM);
  EXPECT_EQ(alice.doveld->wait_exit(test::kNetworkWaitMs), 0) << alice.doveld->output();
  EXPECT_FALSE(std::filesystem::exists(alice.home / "doveld.sock"));
  EXPECT_FALSE(test::accepts_connections(alice.address, kSharePort));
  EXPECT_TRUE(eventually([&] { return !listed("alice", channel).has_value(); })) << "the registration ends with the program";
}

// The service goes away for half a minute and comes back: the client keeps its
// ID and password through the failed tries and, on its relogin timer, logs in
// again, registers and is listed, all without a restart.
TEST_F(DoveldTest, ComesBackByItselfWhenTheServiceReturns) {
  test::LocalNetwork::Client& alice = network.add_client("a", "alice");
  ASSERT_TRUE(network.start_and_register(alice)) << network.status(alice) << alice.doveld->output();

  ASSERT_TRUE(network.stop_central());
  ASSERT_TRUE(eventually([&] { return network.status(alice).find("\"connected\":false") != std::string::npos; }));
  // How long the service stays away, not a wait for something to happen.
  std::this_thread::sleep_for(std::chrono::seconds(30));
  const std::string away = network.status(alice);
  EXPECT_NE(away.find("\"registered\":false"), std::string::npos) << away;
  EXPECT_NE(away.find("\"running\":true"), std::string::npos) << "the share server keeps serving: " << away;

  network.start_central();
  ASSERT_TRUE(network.started()) << network.central_output();
  // The relogin timer runs every two minutes.
  constexpr std::chrono::seconds kReloginWait(200);
  EXPECT_TRUE(eventually(
      [&] {
        const std::string now = network.status(alice);
        return now.find("\"connected\":true") != std::string::npos && now.find("\"registered\":true") != std::string::npos;
      },
      kReloginWait))
      << network.status(alice) << network.log(alice);
  const std::string back = network.status(alice);
  const size_t channel_at = back.find("\"channel\":") + 10;
  const int channel = std::stoi(back.substr(channel_at));
  EXPECT_TRUE(eventually([&] { return listed("alice", channel).has_value(); })) << back;
  EXPECT_TRUE(alice.doveld->wait_exit(0) == std::nullopt) << "the same program all along";
}

// How many lines of the service's request log hold `entry`.
size_t count_of(const std::string& log, const std::string& entry) {
  size_t count = 0;
  for (size_t at = log.find(entry); at != std::string::npos; at = log.find(entry, at + entry.size())) ++count;
  return count;
}

// The service drops the registration and the announcement but keeps the
// session: the client notices both and, on its next refreshes, registers and
// announces again.
TEST_F(DoveldTest, RegistersAndAnnouncesAgainWhenTheServiceDropsThem) {
  test::LocalNetwork::Client& alice = network.add_client("a", "alice");
  ASSERT_TRUE(network.start_and_register(alice)) << network.status(alice) << alice.doveld->output();
  ASSERT_TRUE(eventually([&] { return count_of(network.central_requests(), "\tannounce\t21 ") == 1; })) << network.central_requests();
  ASSERT_EQ(count_of(network.central_requests(), "\tregister\t38 alice"), 1u);

  httplib::Client web(platform::format_ipv4(network.service_host()), 11080);
  httplib::Result ended = web.Post("/admin/end-registration", httplib::Params{{"address", platform::format_ipv4(alice.address)}});
  ASSERT_TRUE(ended);
  ASSERT_EQ(ended->body, "ended 2 connections\n");

  // The refresh runs every five seconds; a minute is room enough on a loaded machine.
  EXPECT_TRUE(eventually([&] {
    const std::string log = network.central_requests();
    return count_of(log, "\tregister\t38 alice") == 2 && count_of(log, "\tannounce\t21 ") == 2;
  })) << network.central_requests() << network.log(alice);
  const std::string now = network.status(alice);
  EXPECT_NE(now.find("\"registered\":true"), std::string::npos) << now;
  EXPECT_NE(now.find("\"file_index\":true"), std::string::npos) << now;
  const size_t channel_at = now.find("\"channel\":") + 10;
  EXPECT_TRUE(eventually([&] { return listed("alice", std::stoi(now.substr(channel_at))).has_value(); })) << now;
}

TEST_F(DoveldTest, WithoutAStoredLoginItRunsLoggedOutAndExitsOnCommand) {
  test::LocalNetwork::Client& nobody = network.add_client("n", "");
  network.start(nobody);
  ASSERT_TRUE(eventually([&] { return network.status(nobody).find("\"ready\":true") != std::string::npos; }))
      << nobody.doveld->output();
  EXPECT_NE(network.status(nobody).find("\"logged_in\":false"), std::string::npos);
  EXPECT_NE(network.log(nobody).find("저장된 로그인 정보가 없습니다."), std::string::npos) << network.log(nobody);

  // Its settings are its own while it runs: a change now would be written over.
  for (const std::vector<std::string>& change :
       {std::vector<std::string>{"login", "alice", "secret"}, {"set", "SharePort", "4000"}, {"share", "remove", "기본공유폴더"}}) {
    const test::ProgramResult busy = network.tool(nobody, change);
    EXPECT_EQ(busy.exit_code, 1) << change[0];
    EXPECT_NE(busy.errors.find("is running"), std::string::npos) << busy.errors;
  }

  const test::ProgramResult refused = network.tool(nobody, {"ctl", "request", "not-a-request"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.output.find("\"ok\":false"), std::string::npos);

  EXPECT_EQ(network.tool(nobody, {"ctl", "exit"}).exit_code, 0);
  EXPECT_EQ(nobody.doveld->wait_exit(test::kNetworkWaitMs), 0) << nobody.doveld->output();
}

// An IPv4 address of this machine outside 127.0.0.0/8, if it has one.
std::optional<platform::Ipv4> network_address_of_this_machine() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return std::nullopt;
  std::optional<platform::Ipv4> found;
  for (const ifaddrs* entry = list; entry != nullptr && !found; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    const platform::Ipv4 address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
    if (!platform::is_loopback_ipv4(address)) found = address;
  }
  ::freeifaddrs(list);
  return found;
}

// A port nothing listens on, on any address, just now.
uint16_t free_port_everywhere() {
  platform::UniqueFd probe(platform::make_tcp_listener(0, 0, 1));
  return platform::local_port(probe.get());
}

// Connects, sends the text and closes, as the launcher does.
bool send_to_launcher_channel(platform::Ipv4 address, uint16_t port, const std::string& text) {
  platform::UniqueFd socket(platform::create_tcp_socket());
  return platform::connect_tcp(socket.get(), address, port, test::kNetworkWaitMs) &&
         platform::send_all(socket.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Whoever reaches the launcher channel can make the client log in or download:
// bound to an address of the network, the client still keeps the channel on loopback.
TEST_F(DoveldTest, TheLauncherChannelStaysOnLoopbackWhenTheClientBindsToTheNetwork) {
  const std::optional<platform::Ipv4> network_address = network_address_of_this_machine();
  if (!network_address) GTEST_SKIP() << "no address outside 127.0.0.0/8 here; the address choice has its own test";
  test::LocalNetwork::Client& client = network.add_client("l", "");
  const uint16_t launcher_port = free_port_everywhere();
  ASSERT_NE(launcher_port, 0);
  network.folder().write(client.home.filename().string() + "/service.conf", "launcher_port = " + std::to_string(launcher_port) + "\n");
  client.doveld = std::make_unique<test::BackgroundProgram>(
      std::vector<std::string>{DOVELD_PATH, "--home", client.home.string(), "--bind", platform::format_ipv4(*network_address), "--service",
                               platform::format_ipv4(network.service_host())},
      client.home.string() + ".out");
  ASSERT_TRUE(eventually([&] { return network.status(client).find("\"ready\":true") != std::string::npos; }))
      << client.doveld->output();

  EXPECT_FALSE(test::accepts_connections(*network_address, launcher_port)) << "not on the network address";
  const platform::Ipv4 loopback = *platform::parse_ipv4("127.0.0.1");
  // What reaches it there is carried to the hub, which refuses text that is not UTF-8.
  ASSERT_TRUE(send_to_launcher_channel(loopback, launcher_port, "dovel://search/\xb3\xeb\xb7\xa1"));
  EXPECT_TRUE(eventually([&] { return network.log(client).find("UTF-8이 아닌 요청은 받지 않습니다.") != std::string::npos; }))
      << network.log(client);

  EXPECT_EQ(network.tool(client, {"ctl", "exit"}).exit_code, 0);
  EXPECT_EQ(client.doveld->wait_exit(test::kNetworkWaitMs), 0) << client.doveld->output();
}

TEST_F(DoveldTest, CommandLinesThatCannotBeReadAndAbsentPrograms) {
  test::LocalNetwork::Client& idle = network.add_client("i", "");
  EXPECT_EQ(test::run_program({DOVELD_PATH, "--bind", "nowhere"}).exit_code, 2);
  EXPECT_EQ(test::run_program({DOVELD_PATH, "--unknown"}).exit_code, 2);
  const test::ProgramResult nobody = network.tool(idle, {"ctl", "status"});
  EXPECT_EQ(nobody.exit_code, 1);
  EXPECT_NE(nobody.errors.find("no doveld answers"), std::string::npos) << nobody.errors;
  EXPECT_EQ(network.tool(idle, {"ctl"}).exit_code, 2);
}

}  // namespace
}  // namespace dovel
