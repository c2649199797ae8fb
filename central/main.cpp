// dovel-central: the stand-in central service, or its accounts command line.

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "central/account_commands.h"
#include "central/central_service.h"
#include "central/command_line.h"
#include "central/service_conf.h"
#include "platform/socket.h"

namespace {

using dovel::central::Command;

int serve(const Command& command) {
  // Every thread started from here on inherits the blocked signals; this one
  // takes them with sigwait, so a stop request is handled in order, outside any handler.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  dovel::platform::ignore_sigpipe();

  std::filesystem::create_directories(command.home);
  dovel::central::PreparedServiceConf prepared = dovel::central::prepare_service_conf(command.home, command.host);
  for (const std::string& problem : prepared.problems) std::cerr << "dovel-central: " << problem << '\n';
  if (!prepared.config) return 1;
  if (prepared.written) std::cout << "dovel-central: wrote " << (command.home / "service.conf").string() << " for clients to copy\n";

  dovel::central::CentralConfig config;
  config.home = command.home;
  config.service = *prepared.config;
  config.open_signup = command.open_signup;
  config.status_file = command.status_file;
  if (command.channel_capacity) config.limits.channel_capacity = *command.channel_capacity;
  dovel::central::CentralService central(config);
  std::string error;
  if (!central.start(&error)) {
    std::cerr << "dovel-central: " << error << '\n';
    return 1;
  }
  std::cout << "dovel-central: serving on " << dovel::platform::format_ipv4(config.service.host_a) << " and "
            << dovel::platform::format_ipv4(config.service.host_b) << ", web host " << config.service.web_base << std::endl;
  int received = 0;
  sigwait(&stop_signals, &received);
  std::cout << "dovel-central: stopping" << std::endl;
  central.stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << dovel::central::kUsage;
    return 0;
  }
  dovel::central::CommandLine line = dovel::central::parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.command) {
    std::cerr << "dovel-central: " << line.error << '\n' << dovel::central::kUsage;
    return 2;
  }
  if (line.command->kind != Command::Kind::Serve) return dovel::central::run_account_command(*line.command, std::cout, std::cerr);
  try {
    return serve(*line.command);
  } catch (const std::exception& error) {
    std::cerr << "dovel-central: " << error.what() << '\n';
    return 1;
  }
}
