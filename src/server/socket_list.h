#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "wire/peer_socket.h"

namespace dovel::server {

// The sockets of one kind of running connection (control, chat, side channel),
// under the list's own lock.
class SocketList {
 public:
  void add(uint64_t id, std::shared_ptr<wire::PeerSocket> socket);
  void remove(uint64_t id);
  size_t count() const;
  // The sockets of connections from `remote`.
  size_t count_from(platform::Ipv4 remote) const;
  std::vector<std::shared_ptr<wire::PeerSocket>> sockets() const;
  std::shared_ptr<wire::PeerSocket> find(uint64_t id) const;
  void shutdown_all();

 private:
  mutable std::mutex lock_;
  std::map<uint64_t, std::shared_ptr<wire::PeerSocket>> sockets_;
};

}  // namespace dovel::server
