#include "central/echo_probes.h"

#include <chrono>

namespace dovel::central {

uint64_t EchoProbes::expect(const service::Endpoint& from, std::string bytes) {
  std::lock_guard guard(lock_);
  const uint64_t number = next_probe_++;
  probes_.emplace(number, Probe{from, std::move(bytes)});
  return number;
}

void EchoProbes::offer(std::string_view datagram, const service::Endpoint& from) {
  {
    std::lock_guard guard(lock_);
    for (auto& [number, probe] : probes_) {
      if (probe.from == from && probe.bytes == datagram) probe.echoed = true;
    }
  }
  changed_.notify_all();
}

bool EchoProbes::wait(uint64_t number, int timeout_ms) {
  std::unique_lock guard(lock_);
  Probe& probe = probes_.at(number);
  changed_.wait_for(guard, std::chrono::milliseconds(timeout_ms), [&] { return probe.echoed || stopped_; });
  const bool echoed = probe.echoed;
  probes_.erase(number);
  return echoed;
}

void EchoProbes::stop() {
  {
    std::lock_guard guard(lock_);
    stopped_ = true;
  }
  changed_.notify_all();
}

}  // namespace dovel::central
