// Control requests per second: 50 browsing sessions on loopback, each changing
// folders and listing them as fast as the server answers.
// Usage: dovel-bench-control_requests [SECONDS]   (default 5)
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/deadline.h"
#include "server/local_server.h"
#include "service/frame.h"
#include "support/share_server_home.h"
#include "util/little_endian.h"
#include "util/log_files.h"

namespace {

using namespace dovel;

constexpr int kSessions = 50;
constexpr int kFolders = 5;
constexpr int kFilesPerFolder = 100;

bool read_exact(int fd, std::string& out, size_t count) {
  out.assign(count, '\0');
  size_t got = 0;
  while (got < count) {
    ssize_t n = platform::receive_some(fd, out.data() + got, count - got, 10000);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

// The next frame that is not a keep-alive.
bool read_frame(int fd, std::string& payload) {
  std::string word;
  do {
    if (!read_exact(fd, word, 4)) return false;
  } while ((util::read_u32(word.data()) ^ service::kScrambleKey) == 0);
  return read_exact(fd, payload, util::read_u32(word.data()) ^ service::kScrambleKey);
}

bool request(int fd, const std::string& text, std::string& answer) {
  std::string frame = wire::build_peer_frame(text);
  return platform::send_all(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()) && read_frame(fd, answer);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  test::ShareServerHome home({.owner = {"owner", 1, "bench", "a", "b"}, .shares = {{"Bench", settings::SHARE_READ}}});
  for (int folder = 0; folder < kFolders; ++folder) {
    for (int file = 0; file < kFilesPerFolder; ++file) {
      home.temp.write("shares/Bench/folder" + std::to_string(folder) + "/file" + std::to_string(file) + ".txt", "x");
    }
  }
  util::ConfigureLogFiles(home.folder, platform::system_clock());
  server::LocalServer server(home.context, [](server::ShareServerContext&, server::DataConnectionList&, std::shared_ptr<server::DataConnection>) {});
  if (!server.start_share_server(0)) return 1;

  std::atomic<long> answered{0};
  std::atomic<bool> running{true};
  std::vector<std::thread> sessions;
  for (int s = 0; s < kSessions; ++s) {
    sessions.emplace_back([&, s] {
      platform::UniqueFd fd(platform::create_tcp_socket());
      if (!platform::connect_tcp(fd.get(), *platform::parse_ipv4("127.0.0.1"), server.port(), 5000)) return;
      const char kind = '"';
      platform::send_all(fd.get(), &kind, 1);
      std::string answer;
      if (!read_exact(fd.get(), answer, 5)) return;
      for (int greeting = 0; greeting < 4; ++greeting) read_frame(fd.get(), answer);
      int step = s;
      while (running) {
        std::string folder = "\\Bench\\folder" + std::to_string(step++ % kFolders);
        if (!request(fd.get(), "C" + folder, answer) || !request(fd.get(), "L", answer)) return;
        answered += 2;
      }
    });
  }
  auto started = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  running = false;
  const long done = answered;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  for (std::thread& session_thread : sessions) session_thread.join();
  server.stop_share_server(false);
  std::printf("control requests: %d sessions, folders of %d files: %ld answered in %.1f s = %.0f requests/s\n", kSessions, kFilesPerFolder, done,
              elapsed, done / elapsed);
  return 0;
}
