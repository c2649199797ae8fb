#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "service/endpoints.h"
#include "service/registration_messages.h"

namespace dovel::search {

// The search servers are the three registration channels.
inline constexpr size_t kSearchServers = 3;
// A peer list reply announces at most this many bytes.
inline constexpr uint32_t kMaxPeerListReply = 2097152;
// Lists younger than this are used as they are.
inline constexpr platform::Tick kPeerListsFreshMs = 5000;

using PeerList = std::vector<service::ServerAddress>;
using PeerListSet = std::array<PeerList, kSearchServers>;

// Asks search server `server` (0..2) for its list of online share servers:
// frame '<' with "!", a u32 length (0 is an empty list, more than 2,097,152 a
// failure), then the body in pieces of at most 2048 bytes, each waited for at
// most 5000 ms. nullopt when the list could not be had.
std::optional<PeerList> fetch_peer_list(const service::ServiceEndpoints& endpoints, size_t server, platform::StopSignal& stop);

// The three lists between searches, under the list lock. Each list is kept
// starting at a random entry and wrapping around, so that the servers early in
// the service's lists are not always asked first.
class PeerLists {
 public:
  using Fetch = std::function<std::optional<PeerList>(size_t server)>;

  PeerLists(const platform::Clock& clock, std::function<uint32_t()> random);

  // The lists, each fetched again first when they are older than 5000 ms (or
  // were never fetched). A list that cannot be fetched stays as it was; a
  // refresh cut short by the stop does not count as one.
  PeerListSet current(const Fetch& fetch, const platform::StopSignal& stop);
  PeerListSet snapshot() const;

 private:
  bool fresh() const;

  const platform::Clock& clock_;
  std::function<uint32_t()> random_;
  mutable std::mutex lock_;  // the list lock
  PeerListSet lists_;
  std::optional<platform::Tick> fetched_at_;
};

}  // namespace dovel::search
