#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "app/listener_thread.h"
#include "core/message.h"
#include "mainframe/main_frame.h"
#include "mainframe/status_log.h"
#include "platform/socket.h"

namespace dovel::app {

inline constexpr size_t kMaxControlLine = 8192;
inline constexpr size_t kMaxControlClients = 8;
inline constexpr int kControlIdleMs = 60000;

// Where the headless program of a data home listens for control commands.
inline std::filesystem::path control_socket_path(const std::filesystem::path& data_home) {
  return data_home / "doveld.sock";
}

// A further command (browsing, downloads): takes the text after its name and
// answers one JSON line. It runs on the control socket's thread and may wait,
// boundedly, for what it asked of the program.
using ControlCommand = std::function<std::string(std::string_view argument)>;

// What the control commands act on.
struct ControlTarget {
  std::function<mainframe::HubStatus()> status;
  const mainframe::StatusLog* log = nullptr;
  core::MessageTarget* hub = nullptr;
  std::map<std::string, ControlCommand, std::less<>> commands;
};

// The answer that refuses a command: {"ok":false,"error":ERROR}.
std::string control_failure(std::string_view error);

// The answer (one JSON line, without its newline) to one command line:
//   status          the login, the share server, the counters, hashing, running uploads
//   request URL     carries out a dovel:// request
//   log [POSITION]  the status log's lines from POSITION (default 0) on
//   visible on|off  shows or hides this server in the server lists (while registered)
//   exit            the orderly exit
// and the further commands of the target.
std::string control_answer(std::string_view line, const ControlTarget& target);

// The headless program's control socket: a Unix-domain socket in the data home
// that only its user may use; one command per line, one JSON line per answer.
class ControlChannel {
 public:
  explicit ControlChannel(ControlTarget target) : target_(std::move(target)) {}
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // False (errno) when the socket cannot be made.
  bool start(const std::filesystem::path& socket_path);
  void stop();

 private:
  void run(int listener, int wake);

  ControlTarget target_;
  std::filesystem::path path_;
  ListenerThread thread_;
};

}  // namespace dovel::app
