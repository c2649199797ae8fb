#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "service/endpoints.h"

namespace dovel::central {

// The UDP port tests waiting for their echo. Every test sends its own random
// bytes; the receiver of the port-test socket offers each datagram here, and
// the test whose bytes come back from the address and port it probed is done.
class EchoProbes {
 public:
  // Starts waiting for `bytes` from `from` (before the probe is sent); the probe's number.
  uint64_t expect(const service::Endpoint& from, std::string bytes);
  void offer(std::string_view datagram, const service::Endpoint& from);
  // Waits at most `timeout_ms` (or until stop()); true when the echo came. Ends the probe.
  bool wait(uint64_t probe, int timeout_ms);
  // Wakes every waiting test; nothing waits any longer afterwards.
  void stop();

 private:
  struct Probe {
    service::Endpoint from;
    std::string bytes;
    bool echoed = false;
  };

  std::mutex lock_;
  std::condition_variable changed_;
  bool stopped_ = false;
  uint64_t next_probe_ = 0;
  std::map<uint64_t, Probe> probes_;
};

}  // namespace dovel::central
