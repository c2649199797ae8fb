#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "central/outbox.h"
#include "platform/socket.h"

namespace dovel::central {

// The connections that hold a registration or a file-index announcement, by the
// client's address, so that the operator can end them as the service ends any
// connection: in order, after what is queued for them.
class HeldConnections {
 public:
  using Id = uint64_t;

  Id add(platform::Ipv4 client, const std::shared_ptr<Outbox>& outbox);
  void remove(Id id);
  // Asks every held connection from `client` to end; how many were asked.
  size_t end_from(platform::Ipv4 client);

 private:
  struct Held {
    platform::Ipv4 client = 0;
    std::weak_ptr<Outbox> outbox;
  };

  std::mutex lock_;
  Id next_id_ = 1;
  std::map<Id, Held> held_;
};

}  // namespace dovel::central
