#include "central/connection_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "central/connection_loop.h"

namespace dovel::central {
namespace {

constexpr int kBacklog = 128;
constexpr int kBackOffMs = 100;

}  // namespace

ConnectionServer::ConnectionServer(RoleContext role, service::Endpoint at, HandlerFactory make_handler)
    : role_(std::move(role)), at_(at), make_handler_(std::move(make_handler)) {}

ConnectionServer::~ConnectionServer() { join(); }

bool ConnectionServer::start() {
  listener_.reset(platform::make_tcp_listener(at_.address, at_.port, kBacklog));
  if (!listener_.valid()) return false;
  acceptor_ = std::thread([this] { accept_loop(); });
  return true;
}

void ConnectionServer::join() {
  if (acceptor_.joinable()) acceptor_.join();
  std::list<Worker> workers;
  {
    std::lock_guard guard(workers_lock_);
    workers.splice(workers.end(), workers_);
  }
  for (Worker& worker : workers) worker.thread.join();
  listener_.reset();
}

void ConnectionServer::accept_loop() {
  while (true) {
    pollfd entries[2] = {{listener_.get(), POLLIN, 0}, {role_.stop.fd(), POLLIN, 0}};
    int ready = ::poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || entries[1].revents != 0) return;
    sockaddr_in from{};
    socklen_t size = sizeof from;
    platform::UniqueFd fd(::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&from), &size, SOCK_CLOEXEC));
    if (!fd.valid()) {
      // Out of descriptors or memory: the pending connection stays readable, so
      // give the others time to end instead of spinning on it.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        pollfd stop{role_.stop.fd(), POLLIN, 0};
        ::poll(&stop, 1, kBackOffMs);
      }
      continue;
    }
    service::Endpoint peer{from.sin_addr.s_addr, ntohs(from.sin_port)};
    reap_finished();
    std::lock_guard guard(workers_lock_);
    if (workers_.size() >= role_.limits.max_connections) {
      role_.log.write(role_.role, platform::format_ipv4(peer.address) + ":" + std::to_string(peer.port), "-", "too many connections, closed");
      continue;
    }
    Worker& worker = workers_.emplace_back();
    worker.thread = std::thread([this, fd = std::move(fd), peer, &worker]() mutable { serve(std::move(fd), peer, worker); });
  }
}

void ConnectionServer::serve(platform::UniqueFd fd, service::Endpoint peer, Worker& worker) {
  {
    Connection connection(std::move(fd), peer, role_);
    std::unique_ptr<ConnectionHandler> handler = make_handler_();
    serve_connection(connection, *handler);
  }
  worker.done = true;
}

void ConnectionServer::reap_finished() {
  std::list<Worker> finished;
  {
    std::lock_guard guard(workers_lock_);
    for (auto it = workers_.begin(); it != workers_.end();) {
      auto next = std::next(it);
      if (it->done) finished.splice(finished.end(), workers_, it);
      it = next;
    }
  }
  for (Worker& worker : finished) worker.thread.join();
}

}  // namespace dovel::central
