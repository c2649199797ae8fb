#include "browse/address_resolver.h"

#include "service/server_directory.h"

namespace dovel::browse {

AddressLookup service_address_lookup(service::ServiceEndpoints endpoints, std::function<int()> random) {
  return [endpoints = std::move(endpoints), random = std::move(random)](const std::string& user_id, platform::StopSignal* stop) {
    const int first = random ? random() % 3 : 0;
    return service::lookup_address(endpoints, user_id, first, stop);
  };
}

AddressResolver::AddressResolver(const platform::Clock& clock, const OnlineServers* online, AddressLookup lookup)
    : clock_(clock), online_(online), lookup_(std::move(lookup)) {}

std::optional<service::ServerAddress> AddressResolver::recent(std::string_view user_id) const {
  std::lock_guard guard(lock_);
  auto found = cache_.find(user_id);
  if (found == cache_.end() || platform::ticks_between(found->second.found_at, clock_.tick()) > kReuseMs) return std::nullopt;
  return found->second.address;
}

std::optional<service::ServerAddress> AddressResolver::resolve(const std::string& user_id, platform::StopSignal* stop) {
  if (user_id.empty()) return std::nullopt;
  if (auto cached = recent(user_id)) return cached;
  std::optional<service::ServerAddress> address;
  if (online_ != nullptr) address = online_->find_user(user_id);
  if (!address && lookup_) address = lookup_(user_id, stop);
  if (!address || (address->address == 0 && address->port == 0)) return std::nullopt;
  std::lock_guard guard(lock_);
  cache_[user_id] = Entry{*address, clock_.tick()};
  return address;
}

}  // namespace dovel::browse
