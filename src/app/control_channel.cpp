#include "app/control_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "base/text.h"
#include "core/message_ids.h"
#include "platform/deadline.h"
#include "platform/unix_socket.h"
#include "util/json_text.h"
#include "util/launch_request.h"

namespace dovel::app {
namespace {

std::string upload_json(const server::UploadRow& row) {
  return util::JsonObject()
      .add("id", static_cast<uint64_t>(row.id))
      .add("nickname", row.nickname)
      .add("file", row.file_name)
      .add("requested", row.requested)
      .add("sent", row.sent)
      .add("speed", row.speed)
      .add("remaining", row.remaining)
      .text();
}

std::string status_json(const mainframe::HubStatus& status) {
  std::vector<std::string> uploads;
  for (const server::UploadRow& row : status.uploads) uploads.push_back(upload_json(row));
  const std::string share_server = util::JsonObject()
                                       .add("usable", status.server_usable)
                                       .add("running", status.share_server_running)
                                       .add("port", static_cast<int64_t>(status.share_port))
                                       .add("control_connections", static_cast<uint64_t>(status.control_connections))
                                       .text();
  const std::string hashing = util::JsonObject()
                                  .add("active", status.hashing)
                                  .add("folder", status.hash_progress.folder)
                                  .add("file", status.hash_progress.file)
                                  .add("files", static_cast<int64_t>(status.hash_counts.files))
                                  .add("hashed", static_cast<int64_t>(status.hash_counts.hashed))
                                  .text();
  return util::JsonObject()
      .add("ok", true)
      .add("ready", status.ready)
      .add("logged_in", status.logged_in)
      .add("connected", status.connected)
      .add("user_id", status.user_id)
      .add_json("share_server", share_server)
      .add("registered", status.registered)
      .add("server_shown", status.server_shown)
      .add("channel", static_cast<int64_t>(status.channel))
      .add("file_index", status.file_index_open)
      .add_json("hashing", hashing)
      .add("shared_mib", static_cast<int64_t>(status.shared_mib))
      .add("shared_files", static_cast<int64_t>(status.shared_files))
      .add("uploaded_bytes", status.uploaded_bytes)
      .add("downloaded_bytes", status.downloaded_bytes)
      .add("running_uploads", static_cast<int64_t>(status.running_uploads))
      .add("running_downloads", static_cast<int64_t>(status.running_downloads))
      .add_json("uploads", util::json_array(uploads))
      .text();
}

std::string log_json(const mainframe::StatusLog::Lines& lines) {
  std::vector<std::string> quoted;
  for (const std::string& line : lines.lines) quoted.push_back(util::json_quote(line));
  return util::JsonObject()
      .add("ok", true)
      .add("first", lines.first)
      .add("next", lines.next)
      .add_json("lines", util::json_array(quoted))
      .text();
}

// One client of the control socket and the line it is sending.
struct Client {
  explicit Client(platform::UniqueFd connection) : fd(std::move(connection)) {}
  platform::UniqueFd fd;
  std::string pending;
  platform::Deadline idle = platform::Deadline::after_ms(kControlIdleMs);
};

bool answer(int fd, const std::string& json) {
  const std::string line = json + "\n";
  return platform::send_all(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

}  // namespace

std::string control_failure(std::string_view error) { return util::JsonObject().add("ok", false).add("error", error).text(); }

std::string control_answer(std::string_view line, const ControlTarget& target) {
  const std::string_view trimmed = base::trim(line);
  const size_t blank = trimmed.find(' ');
  const std::string_view command = trimmed.substr(0, blank);
  const std::string_view argument = blank == std::string_view::npos ? std::string_view() : base::trim(trimmed.substr(blank + 1));
  if (command == "status" && argument.empty()) return status_json(target.status());
  if (command == "log") {
    uint64_t position = 0;
    if (!argument.empty()) {
      std::optional<uint64_t> parsed = base::parse_uint64(argument);
      if (!parsed) return control_failure("log takes a position: log [POSITION]");
      position = *parsed;
    }
    return log_json(target.log->since(position));
  }
  if (command == "request") {
    util::CLaunchRequest request;
    if (argument.empty() || !request.Parse(argument)) return control_failure("잘못된 요청입니다.");
    target.hub->post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(std::string(argument))});
    return util::JsonObject().add("ok", true).add("kind", static_cast<int64_t>(request.kind)).text();
  }
  if (command == "visible") {
    if (argument != "on" && argument != "off") return control_failure("visible takes on or off");
    target.hub->post({core::UM_SET_SERVER_VISIBILITY, argument == "on" ? 1u : 0u, 0, nullptr});
    return util::JsonObject().add("ok", true).text();
  }
  if (command == "exit" && argument.empty()) {
    target.hub->post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
    return util::JsonObject().add("ok", true).text();
  }
  if (auto further = target.commands.find(command); further != target.commands.end()) return further->second(argument);
  std::string known = "status, request URL, log [POSITION], visible on|off, exit";
  for (const auto& [name, handler] : target.commands) known += ", " + name;
  return control_failure("unknown command; commands: " + known);
}

ControlChannel::~ControlChannel() { stop(); }

bool ControlChannel::start(const std::filesystem::path& socket_path) {
  platform::UniqueFd listener = platform::listen_unix(socket_path, 5);
  if (!listener.valid()) return false;
  path_ = socket_path;
  return thread_.start(std::move(listener), [this](int fd, int wake) { run(fd, wake); });
}

void ControlChannel::stop() {
  if (thread_.stop()) ::unlink(path_.c_str());
}

void ControlChannel::run(int listener, int wake) {
  const uid_t me = ::getuid();
  std::vector<Client> clients;
  while (true) {
    std::vector<pollfd> watched = {{wake, POLLIN, 0}, {listener, POLLIN, 0}};
    int timeout = -1;
    for (const Client& client : clients) {
      watched.push_back({client.fd.get(), POLLIN, 0});
      const int remaining = client.idle.remaining_ms();
      if (timeout < 0 || remaining < timeout) timeout = remaining;
    }
    if (::poll(watched.data(), watched.size(), timeout) < 0) continue;
    if (watched[0].revents != 0) return;
    std::vector<Client> staying;
    for (size_t i = 0; i < clients.size(); ++i) {
      Client& client = clients[i];
      bool keep = !client.idle.expired();
      if (keep && watched[i + 2].revents != 0) {
        char buffer[4096];
        const ssize_t got = ::recv(client.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        keep = got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR));
        if (got > 0) {
          client.pending.append(buffer, static_cast<size_t>(got));
          client.idle = platform::Deadline::after_ms(kControlIdleMs);
          // A line longer than allowed is refused even when its end came with it.
          for (size_t end = client.pending.find('\n'); keep && end != std::string::npos && end <= kMaxControlLine;
               end = client.pending.find('\n')) {
            const std::string line = client.pending.substr(0, end);
            client.pending.erase(0, end + 1);
            keep = answer(client.fd.get(), control_answer(line, target_));
          }
          if (keep && client.pending.size() > kMaxControlLine) {
            answer(client.fd.get(), control_failure("line too long"));
            keep = false;
          }
        }
      }
      if (keep) staying.push_back(std::move(client));
    }
    clients = std::move(staying);
    if (watched[1].revents & POLLIN) {
      platform::UniqueFd accepted(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
      if (accepted.valid() && platform::peer_user(accepted.get()) == me) {
        // A client that stops reading its answers must not hold the channel up.
        const timeval send_limit{5, 0};
        ::setsockopt(accepted.get(), SOL_SOCKET, SO_SNDTIMEO, &send_limit, sizeof send_limit);
        if (clients.size() < kMaxControlClients) {
          clients.emplace_back(std::move(accepted));
        } else {
          answer(accepted.get(), control_failure("too many clients"));
        }
      }
    }
  }
}

}  // namespace dovel::app
