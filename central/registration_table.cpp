#include "central/registration_table.h"

#include <algorithm>

#include "base/text.h"

namespace dovel::central {

RegistrationTable::Outcome RegistrationTable::add(size_t channel, Registration registration) {
  std::lock_guard guard(lock_);
  auto& registrations = channels_[channel];
  if (registrations.count(registration.user_id) != 0) return Outcome::AlreadyRegistered;
  if (registrations.size() >= capacity_) return Outcome::Full;
  registration.order = next_order_++;
  std::string id = registration.user_id;
  registrations.emplace(std::move(id), std::move(registration));
  return Outcome::Registered;
}

void RegistrationTable::remove(size_t channel, std::string_view user_id) {
  std::lock_guard guard(lock_);
  auto& registrations = channels_[channel];
  auto found = registrations.find(user_id);
  if (found != registrations.end()) registrations.erase(found);
}

std::vector<Registration> RegistrationTable::channel(size_t channel) const {
  std::vector<Registration> listed;
  {
    std::lock_guard guard(lock_);
    for (const auto& [id, registration] : channels_[channel]) listed.push_back(registration);
  }
  std::sort(listed.begin(), listed.end(), [](const Registration& a, const Registration& b) { return a.order < b.order; });
  return listed;
}

std::optional<Registration> RegistrationTable::find(std::string_view user_id) const {
  std::string id = base::ascii_lower(user_id);
  std::lock_guard guard(lock_);
  for (const auto& registrations : channels_) {
    auto found = registrations.find(id);
    if (found != registrations.end()) return found->second;
  }
  return std::nullopt;
}

}  // namespace dovel::central
