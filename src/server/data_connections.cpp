#include "server/data_connections.h"

#include <algorithm>
#include <chrono>

#include "base/text.h"

namespace dovel::server {

void DataConnection::set_user_id(std::string user_id) {
  std::lock_guard guard(lock_);
  user_id_ = std::move(user_id);
}

std::string DataConnection::user_id() const {
  std::lock_guard guard(lock_);
  return user_id_;
}

void DataConnectionList::add(std::shared_ptr<DataConnection> connection) {
  std::lock_guard guard(lock_);
  connections_[connection->id] = std::move(connection);
}

void DataConnectionList::remove(uint64_t id) {
  {
    std::lock_guard guard(lock_);
    connections_.erase(id);
  }
  changed_.notify_all();
}

size_t DataConnectionList::count() const {
  std::lock_guard guard(lock_);
  return connections_.size();
}

size_t DataConnectionList::count_with_request() const {
  std::lock_guard guard(lock_);
  return static_cast<size_t>(std::count_if(connections_.begin(), connections_.end(), [](const auto& entry) { return entry.second->request_read.load(); }));
}

size_t DataConnectionList::count_from(platform::Ipv4 remote) const {
  std::lock_guard guard(lock_);
  return static_cast<size_t>(
      std::count_if(connections_.begin(), connections_.end(), [remote](const auto& entry) { return entry.second->socket->remote_address() == remote; }));
}

bool DataConnectionList::has_other_locked(std::string_view user_id, uint64_t self) const {
  if (user_id.empty()) return false;
  for (const auto& [id, connection] : connections_) {
    if (id != self && base::iequals_ascii(connection->user_id(), user_id)) return true;
  }
  return false;
}

bool DataConnectionList::has_other_of_user(std::string_view user_id, uint64_t self) const {
  std::lock_guard guard(lock_);
  return has_other_locked(user_id, self);
}

bool DataConnectionList::wait_until_user_gone(std::string_view user_id, uint64_t self, int timeout_ms) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeout_ms), [&] { return !has_other_locked(user_id, self); });
}

void DataConnectionList::stop_all() {
  std::lock_guard guard(lock_);
  for (auto& [id, connection] : connections_) {
    connection->running = false;
    connection->socket->shutdown();
  }
}

void DataConnectionList::for_each(const std::function<void(DataConnection&)>& visit) const {
  std::lock_guard guard(lock_);
  for (const auto& [id, connection] : connections_) visit(*connection);
}

bool DataConnectionList::close(uint64_t id) {
  std::lock_guard guard(lock_);
  auto found = connections_.find(id);
  if (found == connections_.end()) return false;
  found->second->running = false;
  found->second->socket->shutdown();
  return true;
}

}  // namespace dovel::server
