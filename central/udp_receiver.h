#pragma once

#include <functional>
#include <string_view>
#include <thread>

#include "central/stop_signal.h"
#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::central {

// A bound UDP socket and the thread that hands each datagram to a callback
// until the service stops. A datagram longer than `max_datagram` arrives cut to
// one byte more than that, which is enough for the callback to refuse it.
class UdpReceiver {
 public:
  using Callback = std::function<void(std::string_view datagram, const service::Endpoint& from)>;

  UdpReceiver(service::Endpoint at, size_t max_datagram, const StopSignal& stop);
  ~UdpReceiver();
  UdpReceiver(const UdpReceiver&) = delete;
  UdpReceiver& operator=(const UdpReceiver&) = delete;

  bool bind();
  void start(Callback on_datagram);
  void join();

  // For sending from the bound port.
  int fd() const { return socket_.get(); }

 private:
  void loop();

  service::Endpoint at_;
  size_t max_datagram_;
  const StopSignal& stop_;
  platform::UniqueFd socket_;
  Callback on_datagram_;
  std::thread thread_;
};

// Sends one datagram from `fd` to `to`; false when it could not be sent.
bool send_datagram(int fd, std::string_view datagram, const service::Endpoint& to);

}  // namespace dovel::central
