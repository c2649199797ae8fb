#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>

#include "central/outbox.h"

namespace dovel::central {

// The search relay's tickets: each names the connection that waits for the
// results of one search. A ticket is never 0 and unique while its connection lives.
class RelayTickets {
 public:
  // nullopt when every ticket is taken.
  std::optional<uint16_t> issue(std::shared_ptr<Outbox> connection);
  void release(uint16_t ticket);

  enum class Forward { Queued, UnknownTicket, ClientBehind };
  Forward forward(uint16_t ticket, std::string frame);

 private:
  std::mutex lock_;
  std::mt19937 random_{std::random_device{}()};
  std::map<uint16_t, std::shared_ptr<Outbox>> tickets_;
};

}  // namespace dovel::central
