#include "download/connect_worker.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include "core/message_ids.h"
#include "download/download_records.h"
#include "platform/deadline.h"
#include "service/service_socket.h"
#include "util/little_endian.h"
#include "wire/connection_kind.h"

namespace dovel::download {
namespace {

platform::UniqueFd connect_to(const Source& source, const ConnectEnvironment& environment) {
  platform::UniqueFd socket(platform::create_tcp_socket());
  if (!socket.valid()) return {};
  if (environment.bind_address != 0) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = environment.bind_address;
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return {};
  }
  // The receive buffer is set before the connection exists: shrunk afterwards,
  // Linux stalls the sender for its window probes (about 200 ms each time).
  int receive_buffer = kDataReceiveBuffer;
  ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  if (!platform::connect_tcp(socket.get(), source.address, source.port, environment.connect_ms)) return {};
  return socket;
}

// The source's user may have moved: their server's new address, when there is one.
std::optional<Source> moved_source(const Source& source, const ConnectEnvironment& environment) {
  if (environment.locator == nullptr || source.peer_id.empty()) return std::nullopt;
  std::optional<Source> found = environment.locator->locate(source.peer_id);
  if (!found || found->same_server(source)) return std::nullopt;
  found->peer_id = source.peer_id;
  return found;
}

// The kind byte out, the server's word back.
int greet(int socket, const ConnectEnvironment& environment) {
  const char kind = static_cast<char>(wire::kDataKind);
  if (platform::send_all(socket, &kind, 1) != 1) return kStatusNoAnswer;
  char word[2];
  const platform::Deadline deadline = platform::Deadline::after_ms(environment.answer_ms);
  if (service::receive_exact(socket, word, sizeof word, environment.answer_ms, deadline) != 2) return kStatusNoAnswer;
  return util::read_u16(word);
}

}  // namespace

void connect_attempt(ConnectAttempt& attempt, const ConnectEnvironment& environment) {
  platform::UniqueFd socket = connect_to(attempt.source, environment);
  if (!socket.valid()) {
    if (std::optional<Source> moved = moved_source(attempt.source, environment)) {
      if (environment.info != nullptr) update_source_address(*environment.info, moved->peer_id, moved->address, moved->port);
      attempt.source = *moved;
      socket = connect_to(attempt.source, environment);
    }
  }
  if (!socket.valid()) {
    attempt.status = kStatusUnreachable;
    return;
  }
  const int word = greet(socket.get(), environment);
  if (word != kSendTheRequest) {
    attempt.status = word;
    return;
  }
  attempt.status = 0;
  attempt.socket = std::move(socket);
}

void handle_connect_request(core::Message& message) {
  if (message.id != core::TM_CONNECT_REQUEST) return;
  auto* request = dynamic_cast<ConnectRequest*>(message.payload.get());
  if (request == nullptr || !request->run || !request->attempt) return;
  if (request->run->closed()) return;
  connect_attempt(*request->attempt, request->environment);
  request->run->hand_over(std::move(request->attempt));
}

}  // namespace dovel::download
