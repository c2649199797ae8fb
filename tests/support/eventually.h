#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace dovel::test {

// Asks `condition` again and again until it holds or `limit` has passed; true
// when it held. Tests wait on what another thread or process does this way,
// never on a fixed sleep: the first looks come quickly, later ones less often,
// so a loaded machine only makes the wait longer, never the test wrong.
inline bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  std::chrono::milliseconds pause(1);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= give_up) return condition();
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace dovel::test
