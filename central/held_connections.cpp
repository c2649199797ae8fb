#include "central/held_connections.h"

namespace dovel::central {

HeldConnections::Id HeldConnections::add(platform::Ipv4 client, const std::shared_ptr<Outbox>& outbox) {
  std::lock_guard guard(lock_);
  const Id id = next_id_++;
  held_.emplace(id, Held{client, outbox});
  return id;
}

void HeldConnections::remove(Id id) {
  std::lock_guard guard(lock_);
  held_.erase(id);
}

size_t HeldConnections::end_from(platform::Ipv4 client) {
  std::lock_guard guard(lock_);
  size_t asked = 0;
  for (const auto& [id, held] : held_) {
    if (held.client != client) continue;
    if (std::shared_ptr<Outbox> outbox = held.outbox.lock()) {
      outbox->request_end();
      ++asked;
    }
  }
  return asked;
}

}  // namespace dovel::central
