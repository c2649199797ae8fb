#pragma once

#include <string>

namespace dovel::download {

// What the download queue asks of the rest of the program. Called without the
// queue's lock held, from the threads that call the queue and (the download
// folder and the limit) from the queue's own event thread; none of these may
// wait on the network.
class QueueHost {
 public:
  virtual ~QueueHost() = default;
  // The download folder of the settings, read under the settings lock.
  virtual std::string download_folder() const = 0;
  // "SelLimitDownSameTime" (0 = no limit).
  virtual int simultaneous_limit_setting() const = 0;
  // Whether the user is logged in with the service connection up. When not,
  // the host makes its one reconnect attempt (in the background) and answers
  // false: the request that asked is refused.
  virtual bool service_ready() = 0;
  // The conditions of the automatic retry other than the connect worker: the
  // automatic-shutdown box is clear, "AutoRetryStopDown" is on, the service
  // connection is up, and the registration connection is up when the share
  // server passed the port check.
  virtual bool retry_allowed() const = 0;
  // Brings the download list to the front (an add that asked for it).
  virtual void show_downloads() = 0;
};

}  // namespace dovel::download
