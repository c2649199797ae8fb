#include "cli/tool_control_command.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/control_channel.h"
#include "base/text.h"
#include "cli/tool_arguments.h"
#include "platform/data_home.h"
#include "platform/deadline.h"
#include "platform/socket.h"
#include "platform/unix_socket.h"

namespace dovel::cli {
namespace {

// A status log of many lines makes a long answer; more than this is not an answer.
constexpr size_t kMaxAnswer = 16 * 1024 * 1024;
constexpr int kAnswerWaitMs = 30000;

// The answer line without its newline; nullopt when none arrives in time.
std::optional<std::string> read_answer(int fd) {
  std::string answer;
  const platform::Deadline deadline = platform::Deadline::after_ms(kAnswerWaitMs);
  char buffer[16384];
  while (answer.size() <= kMaxAnswer) {
    const int remaining = deadline.remaining_ms();
    if (remaining <= 0) return std::nullopt;
    const ssize_t got = platform::receive_some(fd, buffer, sizeof buffer, remaining);
    if (got <= 0) return std::nullopt;
    answer.append(buffer, static_cast<size_t>(got));
    const size_t end = answer.find('\n');
    if (end != std::string::npos) return answer.substr(0, end);
  }
  return std::nullopt;
}

// "--home DIR" comes before the command; the command's own words are passed on
// as they are, also those that begin with "--" (search --ext, search --hash).
std::optional<ToolArguments> control_arguments(const std::vector<std::string>& words) {
  size_t command = 0;
  while (command < words.size() && words[command].starts_with("--")) command += words[command] == "--home" ? 2 : 1;
  command = std::min(command, words.size());
  std::optional<ToolArguments> arguments = read_tool_arguments({words.begin(), words.begin() + static_cast<ptrdiff_t>(command)});
  if (arguments) arguments->operands.insert(arguments->operands.end(), words.begin() + static_cast<ptrdiff_t>(command), words.end());
  return arguments;
}

}  // namespace

int control_command(const std::vector<std::string>& words) {
  std::optional<ToolArguments> arguments = control_arguments(words);
  if (!arguments || arguments->operands.empty()) {
    std::fprintf(stderr, "usage: dovel-tool ctl [--home DIR] COMMAND [WORDS...]\n");
    return 2;
  }
  const std::string line = base::join(arguments->operands, " ");
  if (line.size() >= app::kMaxControlLine || line.find('\n') != std::string::npos) {
    std::fprintf(stderr, "dovel-tool: a command is one line of less than %zu bytes\n", app::kMaxControlLine);
    return 2;
  }
  std::optional<platform::DataHome> home = platform::resolve_data_home(arguments->home);
  if (!home) {
    std::fprintf(stderr, "dovel-tool: no data home: give --home DIR\n");
    return 2;
  }
  const std::filesystem::path socket_path = app::control_socket_path(home->root);
  platform::UniqueFd connection = platform::connect_unix(socket_path);
  if (!connection.valid()) {
    std::fprintf(stderr, "dovel-tool: no doveld answers at %s: %s\n", socket_path.c_str(), std::strerror(errno));
    return 1;
  }
  const std::string sent = line + "\n";
  if (platform::send_all(connection.get(), sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) {
    std::fprintf(stderr, "dovel-tool: the command could not be sent: %s\n", std::strerror(errno));
    return 1;
  }
  std::optional<std::string> answer = read_answer(connection.get());
  if (!answer) {
    std::fprintf(stderr, "dovel-tool: doveld gave no answer\n");
    return 1;
  }
  std::printf("%s\n", answer->c_str());
  // Every answer names its outcome first.
  return answer->starts_with("{\"ok\":true") ? 0 : 1;
}

}  // namespace dovel::cli
