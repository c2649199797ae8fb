#include "search/fake_service_server.h"

#include <sys/socket.h>

#include <chrono>

#include "platform/deadline.h"
#include "service/service_socket.h"
#include "util/little_endian.h"

namespace dovel::search::test {
namespace {

constexpr int kPollMs = 50;
constexpr int kRequestMs = 5000;

std::optional<service::Frame> read_request(int fd) {
  const platform::Deadline deadline = platform::Deadline::after_ms(kRequestMs);
  std::string plain(service::kFramePlainSize, '\0');
  if (service::receive_exact(fd, plain.data(), plain.size(), kRequestMs, deadline) != static_cast<int>(plain.size())) return std::nullopt;
  const std::optional<size_t> length = service::frame_body_length(plain);
  if (!length) return std::nullopt;
  std::string body(*length, '\0');
  if (service::receive_exact(fd, body.data(), body.size(), kRequestMs, deadline) != static_cast<int>(body.size())) return std::nullopt;
  return service::read_frame_body(body);
}

}  // namespace

std::string long_prefixed(std::string_view body) {
  std::string bytes;
  util::append_u32(bytes, static_cast<uint32_t>(body.size()));
  bytes += body;
  return bytes;
}

FakeServiceServer::FakeServiceServer(platform::Ipv4 address) : listener_(platform::make_tcp_listener(address, 0, 16)) {
  endpoint_ = {address, platform::local_port(listener_.get())};
  thread_ = std::thread([this] { serve(); });
}

FakeServiceServer::~FakeServiceServer() {
  stopping_ = true;
  release();
  thread_.join();
}

void FakeServiceServer::answer(std::string bytes, After after) {
  std::lock_guard guard(lock_);
  answer_ = std::move(bytes);
  after_ = after;
}

void FakeServiceServer::answer_peers(const std::vector<service::ServerAddress>& peers) { answer(long_prefixed(service::build_peer_list(peers))); }

void FakeServiceServer::hold_answers() {
  std::lock_guard guard(lock_);
  held_ = true;
}

void FakeServiceServer::release() {
  {
    std::lock_guard guard(lock_);
    held_ = false;
  }
  released_.notify_all();
}

std::vector<service::Frame> FakeServiceServer::requests() const {
  std::lock_guard guard(lock_);
  return requests_;
}

void FakeServiceServer::serve() {
  while (!stopping_) {
    if (platform::wait_readable(listener_.get(), kPollMs) != platform::WaitResult::Ready) continue;
    platform::UniqueFd connection(::accept(listener_.get(), nullptr, nullptr));
    if (!connection.valid()) continue;
    ++connections_;
    handle(connection.get());
  }
}

void FakeServiceServer::handle(int fd) {
  std::optional<service::Frame> request = read_request(fd);
  if (!request) return;
  {
    std::lock_guard guard(lock_);
    requests_.push_back(*request);
  }
  if (!wait_for_release()) return;
  std::string answer;
  After after;
  {
    std::lock_guard guard(lock_);
    answer = answer_;
    after = after_;
  }
  if (!answer.empty() && platform::send_all(fd, answer.data(), answer.size()) < 0) return;
  if (after == After::Close) return;
  // Held until the other side closes or the test ends.
  char byte;
  while (!stopping_) {
    const platform::WaitResult ready = platform::wait_readable(fd, kPollMs);
    if (ready == platform::WaitResult::Error) return;
    if (ready == platform::WaitResult::Ready && ::recv(fd, &byte, 1, 0) <= 0) return;
  }
}

bool FakeServiceServer::wait_for_release() {
  std::unique_lock guard(lock_);
  released_.wait(guard, [this] { return !held_ || stopping_; });
  return !stopping_;
}

}  // namespace dovel::search::test
