#pragma once

#include <chrono>
#include <thread>

namespace dovel::test {

// Polls `condition` until it holds or `limit` passes; true when it held.
template <typename Condition>
bool wait_for(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace dovel::test
