#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/socket.h"

namespace dovel::ui {

// The desktop client's command line: the same options as the headless client.
struct ProgramOptions {
  std::optional<std::string> home;
  std::optional<platform::Ipv4> bind_address;
  std::optional<platform::Ipv4> service_host;
  std::string request;  // a dovel:// request, "" for none
  bool help = false;
};

extern const char* const kProgramUsage;

// nullopt, with `error` saying why, for a command line that cannot be used.
std::optional<ProgramOptions> read_program_options(const std::vector<std::string>& arguments, std::string& error);

}  // namespace dovel::ui
