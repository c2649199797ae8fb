#include "server/socket_list.h"

#include <algorithm>

namespace dovel::server {

void SocketList::add(uint64_t id, std::shared_ptr<wire::PeerSocket> socket) {
  std::lock_guard guard(lock_);
  sockets_[id] = std::move(socket);
}

void SocketList::remove(uint64_t id) {
  std::lock_guard guard(lock_);
  sockets_.erase(id);
}

size_t SocketList::count() const {
  std::lock_guard guard(lock_);
  return sockets_.size();
}

size_t SocketList::count_from(platform::Ipv4 remote) const {
  std::lock_guard guard(lock_);
  return static_cast<size_t>(std::count_if(sockets_.begin(), sockets_.end(), [remote](const auto& entry) { return entry.second->remote_address() == remote; }));
}

std::vector<std::shared_ptr<wire::PeerSocket>> SocketList::sockets() const {
  std::lock_guard guard(lock_);
  std::vector<std::shared_ptr<wire::PeerSocket>> result;
  for (const auto& [id, socket] : sockets_) result.push_back(socket);
  return result;
}

std::shared_ptr<wire::PeerSocket> SocketList::find(uint64_t id) const {
  std::lock_guard guard(lock_);
  auto found = sockets_.find(id);
  return found == sockets_.end() ? nullptr : found->second;
}

void SocketList::shutdown_all() {
  std::lock_guard guard(lock_);
  for (auto& [id, socket] : sockets_) socket->shutdown();
}

}  // namespace dovel::server
