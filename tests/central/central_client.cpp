#include "central/central_client.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/deadline.h"
#include "service/frame.h"
#include "service/service_socket.h"

namespace dovel::central::test {
namespace {

service::ReplyTiming timing() { return {kReplyTimeoutMs, platform::Deadline::after_ms(kReplyTimeoutMs)}; }

}  // namespace

std::optional<CentralClient> CentralClient::connect(platform::Ipv4 local, const service::Endpoint& to) {
  platform::UniqueFd fd(platform::create_tcp_socket());
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = local;
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) return std::nullopt;
  if (!platform::connect_tcp(fd.get(), to.address, to.port, kReplyTimeoutMs)) return std::nullopt;
  return CentralClient(std::move(fd));
}

bool CentralClient::send_frame(uint16_t type, std::string_view payload) { return service::send_frame(fd_.get(), type, payload) >= 0; }

bool CentralClient::send_raw(std::string_view bytes) {
  return platform::send_all(fd_.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::optional<std::string> CentralClient::read_short_reply() { return service::read_short_prefixed_reply(fd_.get(), timing()); }

std::optional<std::string> CentralClient::read_long_reply() {
  return service::read_long_prefixed_reply(fd_.get(), service::kMaxServerListReply, timing());
}

std::optional<std::string> CentralClient::read_fixed_reply(size_t count) { return service::read_fixed_reply(fd_.get(), count, timing()); }

std::optional<service::TypedReply> CentralClient::read_typed_reply() { return service::read_typed_reply(fd_.get(), timing()); }

std::optional<service::Push> CentralClient::next_push() {
  std::optional<std::string> body = read_short_reply();
  return body ? service::parse_push_body(*body) : std::nullopt;
}

std::optional<service::Push> CentralClient::next_push(uint16_t type) {
  while (std::optional<service::Push> push = next_push()) {
    if (push->type == type) return push;
  }
  return std::nullopt;
}

CentralClient::End CentralClient::wait_for_end(int timeout_ms) {
  const auto deadline = platform::Deadline::after_ms(timeout_ms);
  char scratch[4096];
  while (!deadline.expired()) {
    if (platform::wait_readable(fd_.get(), deadline.remaining_ms()) != platform::WaitResult::Ready) break;
    ssize_t got = ::recv(fd_.get(), scratch, sizeof scratch, 0);
    if (got == 0) return End::Orderly;
    if (got < 0 && errno != EINTR) return errno == ECONNRESET ? End::Reset : End::StillOpen;
  }
  return End::StillOpen;
}

}  // namespace dovel::central::test
