// Upload throughput of one data connection over loopback: the data thread serves
// a 1 GiB file (sparse, so every read comes from memory) to a plain client that
// reads as fast as it can, once with UltraTurbo off (8 KiB chunks, 8 KiB send
// buffer) and once with it on (16 KiB, 64 KiB). For comparison, iperf3 over
// loopback in the same run: the most one TCP connection carries here.
// Loopback speed with small socket buffers swings with scheduling, so each mode
// runs several times: the median and the range are printed.
// Usage: dovel-bench-upload_stream [MIB [RUNS]]   (default 1024 MiB, 3 runs)
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/cp949.h"
#include "platform/socket.h"
#include "platform/spawn.h"
#include "server/data_connections.h"
#include "server/data_thread.h"
#include "server/share_server_context.h"
#include "server/upload_stream.h"
#include "service/frame.h"
#include "support/share_server_home.h"
#include "util/log_files.h"
#include "wire/info_block.h"

namespace {

namespace fs = std::filesystem;
using namespace dovel;
using Clock = std::chrono::steady_clock;

constexpr double kMiB = 1048576.0;

bool read_exactly(int fd, char* buffer, size_t count) {
  size_t got = 0;
  while (got < count) {
    const ssize_t n = platform::receive_some(fd, buffer + got, count - got, 30000);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

// One download of the whole file; MiB/s from the request to the last byte, or nullopt on failure.
std::optional<double> download_once(server::ShareServerContext& context, server::DataConnectionList& list, const std::string& request,
                                    int64_t size) {
  const platform::Ipv4 loopback = *platform::parse_ipv4("127.0.0.1");
  platform::UniqueFd listener(platform::make_tcp_listener(loopback, 0, 1));
  platform::UniqueFd client(platform::create_tcp_socket());
  if (!listener.valid() || !platform::connect_tcp(client.get(), loopback, platform::local_port(listener.get()), 5000)) return std::nullopt;
  auto connection = std::make_shared<server::DataConnection>();
  connection->id = 1;
  connection->socket = std::make_shared<wire::PeerSocket>(platform::UniqueFd(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC)));
  list.add(connection);
  std::thread served([&] { server::serve_data_connection(context, list, connection); });

  std::vector<char> buffer(1 << 20);
  std::optional<double> speed;
  const std::string frame = wire::build_peer_frame(request);
  if (read_exactly(client.get(), buffer.data(), 2) && platform::send_all(client.get(), frame.data(), frame.size()) > 0) {
    const auto start = Clock::now();
    if (read_exactly(client.get(), buffer.data(), 5) && buffer[0] == 1 && read_exactly(client.get(), buffer.data(), wire::kInfoBlockSize)) {
      int64_t received = 0;
      while (received < size) {
        const ssize_t n = platform::receive_some(client.get(), buffer.data(), buffer.size(), 30000);
        if (n <= 0) break;
        received += n;
      }
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      if (received == size) speed = static_cast<double>(size) / kMiB / seconds;
    }
  }
  client.reset();
  served.join();
  return speed;
}

uint16_t free_loopback_port() {
  platform::UniqueFd probe(platform::make_tcp_listener(*platform::parse_ipv4("127.0.0.1"), 0, 1));
  return platform::local_port(probe.get());
}

// The received rate of `iperf3 -J`, in MiB/s, from its "sum_received" summary.
std::optional<double> iperf_received_rate(const std::string& json) {
  const size_t summary = json.find("\"sum_received\"");
  if (summary == std::string::npos) return std::nullopt;
  const size_t key = json.find("\"bits_per_second\"", summary);
  if (key == std::string::npos) return std::nullopt;
  const size_t colon = json.find(':', key);
  if (colon == std::string::npos) return std::nullopt;
  return std::strtod(json.c_str() + colon + 1, nullptr) / 8.0 / kMiB;
}

// iperf3 on loopback: a one-shot server on a free port and a 5-second client.
std::optional<double> iperf3_loopback(const fs::path& work, std::string& note) {
  const std::string port = std::to_string(free_loopback_port());
  const fs::path server_log = work / "iperf3-server.log";
  const fs::path client_log = work / "iperf3-client.json";
  std::optional<pid_t> server = platform::spawn_process({"iperf3", "-s", "-1", "-B", "127.0.0.1", "-p", port, "--logfile", server_log});
  if (!server) {
    note = "iperf3 not found: install it (scripts/setup lists it) for the comparison";
    return std::nullopt;
  }
  // The server needs a moment to listen; the client is retried until it does.
  std::optional<double> rate;
  for (int attempt = 0; attempt < 50 && !rate; ++attempt) {
    fs::remove(client_log);
    std::optional<pid_t> client =
        platform::spawn_process({"iperf3", "-c", "127.0.0.1", "-p", port, "-t", "5", "-J", "--logfile", client_log});
    if (client && platform::wait_process(*client) == 0) {
      std::ifstream file(client_log);
      rate = iperf_received_rate(std::string(std::istreambuf_iterator<char>(file), {}));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  if (!rate) {
    ::kill(*server, SIGTERM);
    note = "iperf3 did not report a rate";
  }
  platform::wait_process(*server);
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t size = static_cast<int64_t>(argc > 1 ? std::atoll(argv[1]) : 1024) * 1048576;
  const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
  platform::ignore_sigpipe();
  test::ShareServerHome home({.owner = {"bench", 5, "벤치", "tokenA", "tokenB"}, .shares = {{"bench", settings::SHARE_READ}}});
  const fs::path work = home.folder;
  test::write_sparse_file(home.share_folder("bench") / "movie.bin", size);
  util::ConfigureLogFiles(work, platform::system_clock());
  const share::FileHash hash = home.hashing.hash_on_demand("", "movie.bin", size, 0, share::any_share);
  server::DataConnectionList list;
  std::vector<std::pair<const char*, double>> medians;
  const std::string request = *platform::utf8_to_cp949("0|0||peer|3|" + hash + "|" + std::to_string(size) + "|0|" + std::to_string(size) +
                                                       "|1|127.0.0.1|9910||movie.bin|0|이웃|dovel|1");

  std::printf("upload of %.0f MiB over loopback, one data connection, %d runs each\n", static_cast<double>(size) / kMiB, runs);
  for (bool ultra_turbo : {false, true}) {
    home.settings.update([&](settings::StoredSettings& values) { values.ultra_turbo = ultra_turbo; });
    std::vector<double> speeds;
    for (int run = 0; run < runs; ++run) {
      if (const std::optional<double> speed = download_once(home.context, list, request, size)) speeds.push_back(*speed);
    }
    const server::UploadChunking chunking = server::upload_chunking(ultra_turbo);
    std::printf("  UltraTurbo %-3s (%5zu-byte chunks, %5d-byte send buffer): ", ultra_turbo ? "on" : "off", chunking.chunk_size,
                chunking.send_buffer);
    if (speeds.size() == static_cast<size_t>(runs)) {
      std::sort(speeds.begin(), speeds.end());
      std::printf("%8.1f MiB/s median (%.1f .. %.1f)\n", speeds[speeds.size() / 2], speeds.front(), speeds.back());
      medians.emplace_back(ultra_turbo ? "on" : "off", speeds[speeds.size() / 2]);
    } else {
      std::printf("failed\n");
    }
  }

  std::string note;
  if (const std::optional<double> rate = iperf3_loopback(work, note)) {
    std::printf("  iperf3, one TCP stream, 5 s:                          %8.1f MiB/s\n", *rate);
    for (const auto& [mode, median] : medians) std::printf("  UltraTurbo %-3s: %.2f of what one TCP stream carries here\n", mode, median / *rate);
  } else {
    std::printf("  iperf3 skipped: %s\n", note.c_str());
  }
  return 0;
}
