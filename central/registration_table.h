#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/socket.h"

namespace dovel::central {

inline constexpr size_t kChannels = 3;

// A share server registered on a channel.
struct Registration {
  std::string user_id;  // lower case
  platform::Ipv4 address = 0;
  uint16_t port = 0;
  bool shown = true;
  bool ultra_turbo = false;
  uint32_t shared_mib = 0;
  uint32_t shared_files = 0;
  uint32_t peak_speed = 0;
  std::string title;
  platform::LocalDateTime opened;
  uint64_t order = 0;  // registrations are listed in the order they came
};

// The registrations of the three channels. An ID holds at most one
// registration per channel; each channel takes at most `capacity`.
class RegistrationTable {
 public:
  explicit RegistrationTable(size_t capacity) : capacity_(capacity) {}

  enum class Outcome { Registered, AlreadyRegistered, Full };
  Outcome add(size_t channel, Registration registration);
  void remove(size_t channel, std::string_view user_id);
  // Applies `change` to the ID's registration on the channel; false when it has none.
  template <typename Change>
  bool update(size_t channel, std::string_view user_id, Change change) {
    std::lock_guard guard(lock_);
    auto found = channels_[channel].find(user_id);
    if (found == channels_[channel].end()) return false;
    change(found->second);
    return true;
  }

  // The channel's registrations in the order they came.
  std::vector<Registration> channel(size_t channel) const;
  // The ID's registration on the lowest channel that has one.
  std::optional<Registration> find(std::string_view user_id) const;

 private:
  const size_t capacity_;
  mutable std::mutex lock_;
  uint64_t next_order_ = 0;
  std::array<std::map<std::string, Registration, std::less<>>, kChannels> channels_;
};

}  // namespace dovel::central
