// doveld as a user runs it: a dovel-central on a loopback address of its own,
// the client's data home configured with dovel-tool, and doveld driven through
// its control socket, a second copy and signals.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "service/endpoints.h"
#include "service/server_directory.h"
#include "support/background_program.h"
#include "support/loopback_address.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel {
namespace {

constexpr uint16_t kSharePort = 23456;
constexpr int kWaitMs = 60000;

bool eventually(const std::function<bool()>& condition) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool accepts_connections(platform::Ipv4 address, uint16_t port) {
  platform::UniqueFd socket(platform::create_tcp_socket());
  return platform::connect_tcp(socket.get(), address, port, 1000);
}

class DoveldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(test::run_program({DOVEL_CENTRAL_PATH, "user", "add", "alice", "secret", "--home", central_home()}).exit_code, 0);
    central = std::make_unique<test::BackgroundProgram>(
        std::vector<std::string>{DOVEL_CENTRAL_PATH, "--home", central_home(), "--host", platform::format_ipv4(service_host)},
        folder / "central.out");
    ASSERT_TRUE(central->started());
    ASSERT_TRUE(eventually([this] { return accepts_connections(service_host, 11060); })) << central->output();
  }

  std::string central_home() const { return (folder / "central").string(); }
  std::string client_home() const { return (folder / "client").string(); }

  test::ProgramResult tool(const std::vector<std::string>& words) {
    // "share" names its own sub-command before the options.
    const size_t command_words = words[0] == "share" ? 2 : 1;
    std::vector<std::string> argv = {DOVEL_TOOL_PATH};
    argv.insert(argv.end(), words.begin(), words.begin() + command_words);
    argv.insert(argv.end(), {"--home", client_home()});
    argv.insert(argv.end(), words.begin() + command_words, words.end());
    return test::run_program(argv);
  }

  std::vector<std::string> doveld_command(const std::string& request = {}) const {
    std::vector<std::string> argv = {DOVELD_PATH,  "--home",    client_home(), "--bind",
                                     platform::format_ipv4(client_address), "--service", platform::format_ipv4(service_host)};
    if (!request.empty()) argv.push_back(request);
    return argv;
  }

  void start_doveld() {
    doveld = std::make_unique<test::BackgroundProgram>(doveld_command(), folder / "doveld.out");
    ASSERT_TRUE(doveld->started());
  }

  std::string status() { return tool({"ctl", "status"}).output; }
  std::string log() { return tool({"ctl", "log"}).output; }

  // The entry of alice in the server list of the channel she registered on.
  std::optional<service::ListedServer> listed_alice(int channel) {
    service::ServiceConfig config = service::ServiceConfig::defaults();
    config.host_a = config.host_b = service_host;
    config.bind_address = test::unique_loopback_address();
    auto servers = service::fetch_server_list(config.endpoints(), channel);
    if (!servers) return std::nullopt;
    for (const service::ListedServer& server : *servers) {
      if (server.user_id == "alice") return server;
    }
    return std::nullopt;
  }

  test::TempFolder folder;
  const platform::Ipv4 service_host = test::unique_loopback_address();
  const platform::Ipv4 client_address = test::unique_loopback_address();
  std::unique_ptr<test::BackgroundProgram> central;
  std::unique_ptr<test::BackgroundProgram> doveld;
};

TEST_F(DoveldTest, LogsInSharesRegistersTakesHandoversAndEndsInOrder) {
  folder.write("music/song.mp3", std::string(200000, 's'));
  folder.write("music/list.txt", "one\ntwo\n");
  ASSERT_EQ(tool({"login", "alice", "secret"}).exit_code, 0);
  ASSERT_EQ(tool({"share", "add", "음악", (folder / "music").string()}).exit_code, 0);
  ASSERT_EQ(tool({"set", "SharePort", std::to_string(kSharePort)}).exit_code, 0);
  start_doveld();

  ASSERT_TRUE(eventually([this] {
    const std::string now = status();
    return now.find("\"registered\":true") != std::string::npos && now.find("\"running\":true") != std::string::npos &&
           now.find("\"active\":false") != std::string::npos;
  })) << status() << doveld->output();
  const std::string running = status();
  EXPECT_NE(running.find("\"logged_in\":true"), std::string::npos) << running;
  EXPECT_NE(running.find("\"user_id\":\"alice\""), std::string::npos) << running;
  EXPECT_NE(running.find("\"usable\":true"), std::string::npos) << running;
  EXPECT_TRUE(accepts_connections(client_address, kSharePort));
  EXPECT_NE(log().find("TCP 23456포트: OK 수신"), std::string::npos);

  const size_t channel_at = running.find("\"channel\":") + 10;
  const int channel = std::stoi(running.substr(channel_at));
  std::optional<service::ListedServer> listed;
  ASSERT_TRUE(eventually([&] { return (listed = listed_alice(channel)).has_value(); }));
  EXPECT_EQ(listed->address, client_address);
  EXPECT_EQ(listed->port, kSharePort);
  EXPECT_EQ(listed->shared_files, 2u);

  // A second copy on the same data home hands its request over and ends.
  const test::ProgramResult second = test::run_program(doveld_command("dovel://search/" + util::EncodeWire("음악")));
  EXPECT_EQ(second.exit_code, 0) << second.output << second.errors;
  EXPECT_TRUE(eventually([this] { return log().find("요청을 처리할 수 없습니다.") != std::string::npos; })) << log();
  EXPECT_TRUE(doveld->wait_exit(0) == std::nullopt) << "the first copy goes on running";

  doveld->signal(SIGTERM);
  EXPECT_EQ(doveld->wait_exit(kWaitMs), 0) << doveld->output();
  EXPECT_FALSE(std::filesystem::exists(folder / "client" / "doveld.sock"));
  EXPECT_FALSE(accepts_connections(client_address, kSharePort));
  EXPECT_TRUE(eventually([&] { return !listed_alice(channel).has_value(); })) << "the registration ends with the program";
}

TEST_F(DoveldTest, WithoutAStoredLoginItRunsLoggedOutAndExitsOnCommand) {
  start_doveld();
  ASSERT_TRUE(eventually([this] { return status().find("\"ready\":true") != std::string::npos; })) << doveld->output();
  EXPECT_NE(status().find("\"logged_in\":false"), std::string::npos);
  EXPECT_NE(log().find("저장된 로그인 정보가 없습니다."), std::string::npos) << log();

  // Its settings are its own while it runs: a change now would be written over.
  for (const std::vector<std::string>& change :
       {std::vector<std::string>{"login", "alice", "secret"}, {"set", "SharePort", "4000"}, {"share", "remove", "기본공유폴더"}}) {
    const test::ProgramResult busy = tool(change);
    EXPECT_EQ(busy.exit_code, 1) << change[0];
    EXPECT_NE(busy.errors.find("is running"), std::string::npos) << busy.errors;
  }

  const test::ProgramResult refused = tool({"ctl", "request", "not-a-request"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.output.find("\"ok\":false"), std::string::npos);

  EXPECT_EQ(tool({"ctl", "exit"}).exit_code, 0);
  EXPECT_EQ(doveld->wait_exit(kWaitMs), 0) << doveld->output();
}

TEST_F(DoveldTest, CommandLinesThatCannotBeReadAndAbsentPrograms) {
  EXPECT_EQ(test::run_program({DOVELD_PATH, "--bind", "nowhere"}).exit_code, 2);
  EXPECT_EQ(test::run_program({DOVELD_PATH, "--unknown"}).exit_code, 2);
  const test::ProgramResult nobody = tool({"ctl", "status"});
  EXPECT_EQ(nobody.exit_code, 1);
  EXPECT_NE(nobody.errors.find("no doveld answers"), std::string::npos) << nobody.errors;
  EXPECT_EQ(tool({"ctl"}).exit_code, 2);
}

}  // namespace
}  // namespace dovel
