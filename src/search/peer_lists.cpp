#include "search/peer_lists.h"

#include <algorithm>

#include "platform/deadline.h"
#include "search/service_link.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::search {
namespace {

constexpr size_t kReadPiece = 2048;
// However the server trickles, the whole list comes within this.
constexpr int kWholeListMs = 30000;

std::optional<std::string> read_list_body(int fd) {
  const platform::Deadline deadline = platform::Deadline::after_ms(kWholeListMs);
  uint8_t prefix[4];
  if (service::receive_exact(fd, prefix, sizeof prefix, kServiceWaitMs, deadline) != sizeof prefix) return std::nullopt;
  const uint32_t length = util::read_u32(prefix);
  if (length > kMaxPeerListReply) return std::nullopt;
  std::string body;
  while (body.size() < length) {
    const size_t piece = std::min<size_t>(kReadPiece, length - body.size());
    const size_t had = body.size();
    body.resize(had + piece);
    if (service::receive_exact(fd, body.data() + had, piece, kServiceWaitMs, deadline) != static_cast<int>(piece)) return std::nullopt;
  }
  return body;
}

}  // namespace

std::optional<PeerList> fetch_peer_list(const service::ServiceEndpoints& endpoints, size_t server, platform::StopSignal& stop) {
  if (server >= kSearchServers) return std::nullopt;
  std::unique_ptr<platform::WatchedSocket> socket = connect_search_service(endpoints, endpoints.registration[server], stop);
  if (!socket || service::send_frame(socket->get(), service::kPeerListType, service::kPeerListRequest) < 0) return std::nullopt;
  std::optional<std::string> body = read_list_body(socket->get());
  if (!body) return std::nullopt;
  if (body->empty()) return PeerList{};
  return service::parse_peer_list(*body);
}

PeerLists::PeerLists(const platform::Clock& clock, std::function<uint32_t()> random) : clock_(clock), random_(std::move(random)) {}

PeerListSet PeerLists::current(const Fetch& fetch, const platform::StopSignal& stop) {
  if (!fresh()) {
    std::array<std::optional<PeerList>, kSearchServers> fetched;
    for (size_t server = 0; server < kSearchServers && !stop.stopped(); ++server) fetched[server] = fetch(server);
    std::lock_guard guard(lock_);
    for (size_t server = 0; server < kSearchServers; ++server) {
      PeerList& list = lists_[server];
      if (!fetched[server]) continue;
      list = std::move(*fetched[server]);
      if (!list.empty()) std::rotate(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(random_() % list.size()), list.end());
    }
    if (!stop.stopped()) fetched_at_ = clock_.tick();
  }
  return snapshot();
}

PeerListSet PeerLists::snapshot() const {
  std::lock_guard guard(lock_);
  return lists_;
}

bool PeerLists::fresh() const {
  std::lock_guard guard(lock_);
  return fetched_at_ && platform::ticks_between(*fetched_at_, clock_.tick()) < kPeerListsFreshMs;
}

}  // namespace dovel::search
