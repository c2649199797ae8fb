#pragma once

#include <functional>
#include <thread>

#include "platform/socket.h"

namespace dovel::app {

// The thread of a local listening socket: it serves the listener until stop(),
// which wakes it through an event descriptor and joins it.
class ListenerThread {
 public:
  // serve(listener, wake): runs until `wake` becomes readable.
  using Serve = std::function<void(int listener, int wake)>;

  ListenerThread() = default;
  ~ListenerThread() { stop(); }
  ListenerThread(const ListenerThread&) = delete;
  ListenerThread& operator=(const ListenerThread&) = delete;

  // False (errno) when the event descriptor cannot be made; the listener is then closed.
  bool start(platform::UniqueFd listener, Serve serve);
  // Wakes and joins the thread; true when one was running.
  bool stop();

 private:
  platform::UniqueFd wake_;
  std::thread thread_;
};

}  // namespace dovel::app
