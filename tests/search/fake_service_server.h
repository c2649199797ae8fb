#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "service/endpoints.h"
#include "service/frame.h"
#include "service/registration_messages.h"

namespace dovel::search::test {

// A search server or relay of the service as a test scripts it, on a loopback
// address of the test's and a free port. Each connection (one at a time) gets
// its request frame read, then the scripted answer, then is closed or held.
class FakeServiceServer {
 public:
  enum class After { Close, Hold };

  explicit FakeServiceServer(platform::Ipv4 address);
  ~FakeServiceServer();
  FakeServiceServer(const FakeServiceServer&) = delete;
  FakeServiceServer& operator=(const FakeServiceServer&) = delete;

  service::Endpoint endpoint() const { return endpoint_; }

  // The bytes written after the request; `after` what then becomes of the connection.
  void answer(std::string bytes, After after = After::Close);
  // A peer list reply: the u32 length and the body of the entries.
  void answer_peers(const std::vector<service::ServerAddress>& peers);
  // Answers only once release() was called (until then the request waits).
  void hold_answers();
  void release();

  int connections() const { return connections_; }
  std::vector<service::Frame> requests() const;

 private:
  void serve();
  void handle(int fd);
  bool wait_for_release();

  platform::UniqueFd listener_;
  service::Endpoint endpoint_;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex lock_;
  std::condition_variable released_;
  std::string answer_;
  After after_ = After::Close;
  bool held_ = false;
  std::vector<service::Frame> requests_;
  std::thread thread_;
};

// The bytes of a long-prefixed reply around `body`.
std::string long_prefixed(std::string_view body);

}  // namespace dovel::search::test
