#include "service/server_directory.h"

#include <sys/socket.h>

#include "base/string_printf.h"
#include "platform/cp949.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"
#include "util/format.h"

namespace dovel::service {
namespace {

constexpr int kConnectMs = 5000;
constexpr int kListReadMs = 5000;
constexpr int kListMs = 30000;
constexpr int kLookupReadMs = 8000;
constexpr int kLookupMs = 16000;
constexpr uint32_t kMaxAddressReply = 100;

}  // namespace

std::optional<std::vector<ListedServer>> fetch_server_list(const ServiceEndpoints& endpoints, int channel) {
  if (channel < 0 || channel > 2) return std::nullopt;
  const Endpoint& endpoint = endpoints.registration[static_cast<size_t>(channel)];
  int fd = kInvalidSocket;
  if (!connect_to_service(fd, endpoints, endpoint, kConnectMs)) return std::nullopt;
  platform::UniqueFd connection(fd);
  if (send_frame(fd, kServerListType, "") < 0) return std::nullopt;
  std::optional<std::string> body = read_long_prefixed_reply(fd, kMaxServerListReply, {kListReadMs, platform::Deadline::after_ms(kListMs)});
  if (!body) return std::nullopt;
  return parse_server_list(*body);
}

ChannelTotals totals_of(const std::vector<ListedServer>& servers) {
  ChannelTotals totals;
  for (const ListedServer& server : servers) {
    ++totals.servers;
    totals.shared_mib += server.shared_mib;
    totals.files += server.shared_files;
  }
  return totals;
}

std::string server_list_header(const ServerLists& lists) {
  ChannelTotals all;
  for (const auto& channel : lists.channels) {
    if (!channel) continue;
    ChannelTotals totals = totals_of(*channel);
    all.servers += totals.servers;
    all.shared_mib += totals.shared_mib;
    all.files += totals.files;
  }
  return base::string_printf("User(%s) :: Server(%s) :: %s TB :: %s Files", util::FormatNumber(lists.online_users.value_or(0)).c_str(),
                             util::FormatNumber(static_cast<int64_t>(all.servers)).c_str(),
                             util::FormatNumber(static_cast<int64_t>(all.shared_mib / 1024 / 1024)).c_str(),
                             util::FormatNumber(static_cast<int64_t>(all.files)).c_str());
}

std::optional<ServerAddress> lookup_address(const ServiceEndpoints& endpoints, const std::string& user_id, int first,
                                            platform::StopSignal* stop) {
  auto id = platform::utf8_to_cp949(user_id);
  if (!id || id->empty()) return std::nullopt;
  std::string payload = *id;
  payload += '\0';
  platform::StopSignal never_stopped;
  platform::StopSignal& watch = stop != nullptr ? *stop : never_stopped;
  for (int attempt = 0; attempt < 3 && !watch.stopped(); ++attempt) {
    const Endpoint& endpoint = endpoints.registration[static_cast<size_t>(((first + attempt) % 3 + 3) % 3)];
    // Watched before the connect, so that a stop also ends the wait for it.
    platform::WatchedSocket socket(watch, platform::create_tcp_socket());
    if (!socket.valid() || !bind_to_client_address(socket.get(), endpoints) ||
        !platform::connect_tcp(socket.get(), endpoint.address, endpoint.port, kConnectMs) || watch.stopped()) {
      continue;
    }
    if (send_frame(socket.get(), kAddressLookupType, payload) < 0) continue;
    std::optional<std::string> body =
        read_long_prefixed_reply(socket.get(), kMaxAddressReply, {kLookupReadMs, platform::Deadline::after_ms(kLookupMs)});
    if (!body || watch.stopped()) continue;
    if (std::optional<ServerAddress> server = parse_address_reply(*body)) return server;
  }
  return std::nullopt;
}

}  // namespace dovel::service
