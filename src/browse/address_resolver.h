#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "service/endpoints.h"
#include "service/registration_messages.h"

namespace dovel::browse {

// The hub's list of servers online, asked before the service.
class OnlineServers {
 public:
  virtual ~OnlineServers() = default;
  virtual std::optional<service::ServerAddress> find_user(std::string_view user_id) const = 0;
};

// Asks the service where a user's share server is (may block for seconds,
// unless `stop`, when given, is stopped first).
using AddressLookup = std::function<std::optional<service::ServerAddress>(const std::string& user_id, platform::StopSignal* stop)>;

// The service's address look-up servers, tried once each from a random one.
AddressLookup service_address_lookup(service::ServiceEndpoints endpoints, std::function<int()> random);

// Resolves user IDs to share-server addresses for one browser: first its own
// cache, then the servers online, then the service. A successful answer is
// kept with its time; an entry younger than 30 s answers without asking again.
// Thread-safe; `resolve` may block while the service answers.
class AddressResolver {
 public:
  static constexpr platform::Tick kReuseMs = 30000;

  AddressResolver(const platform::Clock& clock, const OnlineServers* online, AddressLookup lookup);

  // The cached address when it was found at most 30 s ago.
  std::optional<service::ServerAddress> recent(std::string_view user_id) const;
  // The address of the user's server (cache, online list, service); nullopt
  // when the ID is empty, nobody knows it or `stop` ended the look-up.
  std::optional<service::ServerAddress> resolve(const std::string& user_id, platform::StopSignal* stop = nullptr);

 private:
  struct Entry {
    service::ServerAddress address;
    platform::Tick found_at = 0;
  };

  const platform::Clock& clock_;
  const OnlineServers* online_;
  AddressLookup lookup_;
  mutable std::mutex lock_;
  std::map<std::string, Entry, std::less<>> cache_;
};

}  // namespace dovel::browse
