#pragma once

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "support/background_program.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace dovel::test {

inline constexpr int kNetworkWaitMs = 60000;

inline bool accepts_connections(platform::Ipv4 address, uint16_t port) {
  platform::UniqueFd socket(platform::create_tcp_socket());
  return platform::connect_tcp(socket.get(), address, port, 1000);
}

// A network of programs on loopback, each on an address of its own: one
// dovel-central and the doveld clients a test adds, configured with dovel-tool
// as a user would. Everything lives in one temporary folder.
class LocalNetwork {
 public:
  struct Client {
    std::string user;
    platform::Ipv4 address = 0;
    std::filesystem::path home;
    std::unique_ptr<BackgroundProgram> doveld;
  };

  // Starts the central service; check started() before going on.
  LocalNetwork() { start_central(); }

  // Ends the central service in order (SIGTERM); true when it exited 0.
  bool stop_central() {
    central_->signal(SIGTERM);
    return central_->wait_exit(kNetworkWaitMs) == 0;
  }
  // Starts it again on the same home and address, as after a restart.
  void start_central() {
    central_ = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{DOVEL_CENTRAL_PATH, "--home", central_home(), "--host", platform::format_ipv4(service_host_)},
        folder_ / ("central-" + std::to_string(++central_runs_) + ".out"));
  }

  bool started() { return central_->started() && eventually([this] { return accepts_connections(service_host_, 11060); }); }
  std::string central_output() const { return central_->output(); }
  // The service's request log: one line per exchange, tab-separated.
  std::string central_requests() const { return read_file(folder_ / "central" / "requests.log"); }
  platform::Ipv4 service_host() const { return service_host_; }
  const TempFolder& folder() const { return folder_; }

  // An account for `user` on the service and a data home logged in with it; an
  // empty user gives a data home without a login.
  Client& add_client(const std::string& name, const std::string& user) {
    Client& client = clients_[name];
    client.user = user;
    client.address = unique_loopback_address();
    client.home = folder_ / ("client-" + name);
    if (!user.empty()) {
      run_program({DOVEL_CENTRAL_PATH, "user", "add", user, "secret", "--home", central_home()});
      tool(client, {"login", user, "secret"});
    }
    return client;
  }

  // dovel-tool with the client's data home ("share" names its sub-command first).
  ProgramResult tool(const Client& client, const std::vector<std::string>& words) {
    const size_t command_words = words[0] == "share" ? 2 : 1;
    std::vector<std::string> argv = {DOVEL_TOOL_PATH};
    argv.insert(argv.end(), words.begin(), words.begin() + command_words);
    argv.insert(argv.end(), {"--home", client.home.string()});
    argv.insert(argv.end(), words.begin() + command_words, words.end());
    return run_program(argv);
  }

  std::vector<std::string> doveld_command(const Client& client, const std::string& request = {}) const {
    std::vector<std::string> argv = {DOVELD_PATH, "--home", client.home.string(), "--bind", platform::format_ipv4(client.address),
                                     "--service", platform::format_ipv4(service_host_)};
    if (!request.empty()) argv.push_back(request);
    return argv;
  }

  void start(Client& client) {
    client.doveld = std::make_unique<BackgroundProgram>(doveld_command(client), client.home.string() + ".out");
  }

  // Starts the client and waits until it serves and is registered.
  bool start_and_register(Client& client) {
    start(client);
    return client.doveld->started() && eventually([&] {
             const std::string now = status(client);
             return now.find("\"registered\":true") != std::string::npos && now.find("\"running\":true") != std::string::npos &&
                    now.find("\"active\":false") != std::string::npos;
           });
  }

  std::string status(const Client& client) { return tool(client, {"ctl", "status"}).output; }
  std::string log(const Client& client) { return tool(client, {"ctl", "log"}).output; }

 private:
  std::string central_home() const { return (folder_ / "central").string(); }

  TempFolder folder_;
  const platform::Ipv4 service_host_ = unique_loopback_address();
  std::unique_ptr<BackgroundProgram> central_;
  int central_runs_ = 0;
  std::map<std::string, Client> clients_;
};

}  // namespace dovel::test
