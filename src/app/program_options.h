#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace dovel::app {

// The command line both clients take: the desktop one and the headless one.
struct ProgramOptions {
  std::optional<std::string> home;
  std::optional<platform::Ipv4> bind_address;
  std::optional<platform::Ipv4> service_host;
  std::string request;  // a dovel:// request, "" for none
  bool help = false;
};

// The usage line of `program` and what each option means.
std::string program_usage(std::string_view program);

// nullopt, with `error` saying why, for a command line that cannot be used.
std::optional<ProgramOptions> read_program_options(const std::vector<std::string>& arguments, std::string& error);

}  // namespace dovel::app
