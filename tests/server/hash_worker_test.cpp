// A session's hash worker: a bounded queue, and a peer that stops reading ends the session.
#include "server/hash_worker.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <future>
#include <thread>

#include "support/eventually.h"

namespace dovel::server {
namespace {

using test::eventually;

HashJob job(std::string request) {
  HashJob made;
  made.request = std::move(request);
  return made;
}

struct SocketPair {
  SocketPair() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    server = std::make_shared<wire::PeerSocket>(platform::UniqueFd(fds[0]));
    peer = platform::UniqueFd(fds[1]);
  }
  std::shared_ptr<wire::PeerSocket> server;
  platform::UniqueFd peer;
};

TEST(HashWorkerTest, APeerAskingFasterThanTheWorkerAnswersWaitsForRoom) {
  SocketPair sockets;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> answered{0};
  HashWorker worker(sockets.server, [&](const HashJob&) {
    released.wait();
    ++answered;
    return std::optional<std::string>();
  }, 4);

  std::atomic<int> posted{0};
  std::thread session([&] {
    for (int i = 0; i < 100000; ++i) {
      if (!worker.post(job("x|1"))) return;
      ++posted;
    }
  });
  // One job is being answered and four wait; the fifth post waits for room.
  ASSERT_TRUE(eventually([&] { return posted == 4; }));
  EXPECT_FALSE(eventually([&] { return posted > 4; }, std::chrono::milliseconds(300))) << "the session is held, not the queue grown";
  EXPECT_LE(worker.waiting(), 4u);
  release.set_value();
  session.join();
  EXPECT_EQ(posted, 100000);
  EXPECT_TRUE(eventually([&] { return worker.waiting() == 0; }));
}

TEST(HashWorkerTest, AShutDownSocketEndsTheWaitForRoom) {
  SocketPair sockets;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  HashWorker worker(sockets.server, [&](const HashJob&) {
    released.wait();
    return std::optional<std::string>();
  }, 1);
  ASSERT_TRUE(worker.post(job("x|1")));
  std::future<bool> blocked = std::async(std::launch::async, [&] { return worker.post(job("y|1")); });
  EXPECT_EQ(blocked.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  sockets.server->shutdown();
  EXPECT_FALSE(blocked.get()) << "the session is over";
  release.set_value();
}

TEST(HashWorkerTest, AReplyThatCannotBeSentEndsTheSession) {
  SocketPair sockets;
  int small = 4096;
  ::setsockopt(sockets.server->fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  // The peer never reads: the replies fill its buffer, and the first that does not fit in time ends it all.
  HashWorker worker(sockets.server, [](const HashJob&) { return std::optional<std::string>(std::string(1000, '1')); }, 4, 100);
  for (int i = 0; i < 10000 && worker.post(job("x|1")); ++i) {
  }
  EXPECT_TRUE(eventually([&] { return sockets.server->is_shut_down(); }));
  EXPECT_FALSE(worker.post(job("x|1")));
}

}  // namespace
}  // namespace dovel::server
