#include "app/program_options.h"

namespace dovel::app {

std::string program_usage(std::string_view program) {
  return "usage: " + std::string(program) +
         " [--home DIR] [--bind ADDR] [--service ADDR] [dovel://REQUEST]\n"
         "\n"
         "  --home DIR       the data home (default: $DOVEL_HOME, else the XDG folders)\n"
         "  --bind ADDR      the local address of the share server, the search responder\n"
         "                   and the service connections (the launcher channel too when\n"
         "                   ADDR is in 127.0.0.0/8; otherwise it stays on 127.0.0.1)\n"
         "  --service ADDR   a dovel-central started with --host ADDR, on its default ports\n";
}

std::optional<ProgramOptions> read_program_options(const std::vector<std::string>& arguments, std::string& error) {
  ProgramOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (word == "--help" || word == "-h") {
      options.help = true;
    } else if (word == "--home") {
      if (!has_value || arguments[i + 1].empty()) {
        error = "--home takes a folder";
        return std::nullopt;
      }
      options.home = arguments[++i];
    } else if (word == "--bind" || word == "--service") {
      const std::optional<platform::Ipv4> address = has_value ? platform::parse_ipv4(arguments[++i]) : std::nullopt;
      if (!address) {
        error = word + " takes an IPv4 address";
        return std::nullopt;
      }
      (word == "--bind" ? options.bind_address : options.service_host) = address;
    } else if (word.rfind("dovel:", 0) == 0 && options.request.empty()) {
      options.request = word;
    } else {
      error = "unknown argument " + word;
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace dovel::app
