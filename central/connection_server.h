#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "central/connection_handler.h"
#include "platform/socket.h"
#include "service/endpoints.h"

namespace dovel::central {

// A TCP listener of one role: one thread accepts, one thread serves each
// connection (at most limits.max_connections at a time; more are closed at once).
class ConnectionServer {
 public:
  ConnectionServer(RoleContext role, service::Endpoint at, HandlerFactory make_handler);
  ~ConnectionServer();
  ConnectionServer(const ConnectionServer&) = delete;
  ConnectionServer& operator=(const ConnectionServer&) = delete;

  // Binds and starts accepting; false when the address cannot be bound.
  bool start();
  // Once the stop signal is raised: waits for the accepting thread and every connection.
  void join();

 private:
  struct Worker {
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void accept_loop();
  void serve(platform::UniqueFd fd, service::Endpoint peer, Worker& worker);
  void reap_finished();

  RoleContext role_;
  service::Endpoint at_;
  HandlerFactory make_handler_;
  platform::UniqueFd listener_;
  std::thread acceptor_;
  std::mutex workers_lock_;
  std::list<Worker> workers_;
};

}  // namespace dovel::central
