#include "support/loopback_address.h"

#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace dovel::test {

platform::Ipv4 unique_loopback_address() {
  static std::atomic<unsigned> calls{0};
  const unsigned n = calls++;
  if (n >= 250) throw std::runtime_error("no loopback address left for this process");
  const unsigned slot = static_cast<unsigned>(::getpid()) % 62500;
  const std::string dotted =
      "127." + std::to_string(1 + slot / 250) + "." + std::to_string(1 + slot % 250) + "." + std::to_string(1 + n);
  return *platform::parse_ipv4(dotted);
}

}  // namespace dovel::test
