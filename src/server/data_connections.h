#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "wire/peer_socket.h"

namespace dovel::server {

// One data connection as the server's data list sees it.
struct DataConnection {
  uint64_t id = 0;
  std::shared_ptr<wire::PeerSocket> socket;
  std::atomic<bool> running{true};
  // Its request has been read: it counts among the uploads (one still silent does not).
  std::atomic<bool> request_read{false};
  // The requester's user ID, once its request was read; empty before.
  void set_user_id(std::string user_id);
  std::string user_id() const;

 private:
  mutable std::mutex lock_;
  std::string user_id_;
};

// The running data connections of the share server, under the data list's lock.
class DataConnectionList {
 public:
  void add(std::shared_ptr<DataConnection> connection);
  void remove(uint64_t id);
  size_t count() const;
  // The connections whose request has been read.
  size_t count_with_request() const;
  // The connections from `remote`.
  size_t count_from(platform::Ipv4 remote) const;
  // True when another connection (not `self`) serves `user_id` (ASCII case ignored).
  bool has_other_of_user(std::string_view user_id, uint64_t self) const;
  // Waits up to `timeout_ms` for the other connections of `user_id` to end; true when none is left.
  bool wait_until_user_gone(std::string_view user_id, uint64_t self, int timeout_ms);
  // Stops every connection: clears its running flag and shuts its socket down.
  void stop_all();
  void for_each(const std::function<void(DataConnection&)>& visit) const;
  // Shuts the connection down (an orderly end for the peer); false when it is not listed.
  bool close(uint64_t id);

 private:
  bool has_other_locked(std::string_view user_id, uint64_t self) const;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::map<uint64_t, std::shared_ptr<DataConnection>> connections_;
};

}  // namespace dovel::server
