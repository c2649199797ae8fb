#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "download/received_ranges.h"
#include "download/download_item.h"
#include "platform/socket.h"

namespace dovel::download {

// One data connection on its way from the request to the run: the connect
// worker fills in the socket or the reason there is none.
struct ConnectAttempt {
  ConnectionId id = kNoConnection;
  Source source;
  platform::UniqueFd socket;  // connected, the server waiting for the request
  int status = 0;             // why there is no socket: the server's word or a local code
};

// The control events of one run, served by the run's single poll together with
// its sockets: a wake-up (stop, connections ready, anything else worth a look)
// and the queue of connections the connect worker finished. Shared between the
// run, the connect worker and whoever cancels the run.
class RunSignals {
 public:
  RunSignals();
  RunSignals(const RunSignals&) = delete;
  RunSignals& operator=(const RunSignals&) = delete;

  bool valid() const { return event_.valid(); }
  // The descriptor the run polls; readable after a wake-up.
  int event_fd() const { return event_.get(); }

  void wake();
  // Clears the wake-up before the run looks at what woke it.
  void drain();

  // From the connect worker: the attempt joins the ready queue and the run wakes;
  // once the run has ended it is dropped (its socket closes).
  void hand_over(std::unique_ptr<ConnectAttempt> attempt);
  std::vector<std::unique_ptr<ConnectAttempt>> take_ready();
  // The run ended: later attempts are not wanted.
  void close();
  bool closed() const;

 private:
  platform::UniqueFd event_;
  mutable std::mutex lock_;
  std::deque<std::unique_ptr<ConnectAttempt>> ready_;
  bool closed_ = false;
};

}  // namespace dovel::download
