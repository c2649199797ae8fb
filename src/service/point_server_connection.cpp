#include "service/point_server_connection.h"

#include <random>

#include "service/service_socket.h"

namespace dovel::service {
namespace {

size_t random_start(size_t count) {
  static thread_local std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<size_t>(0, count - 1)(generator);
}

}  // namespace

platform::UniqueFd connect_to_point_server(const ServiceEndpoints& endpoints, int connect_ms) {
  const size_t count = endpoints.point.size();
  const size_t start = random_start(count);
  for (size_t attempt = 0; attempt < count; ++attempt) {
    int fd = kInvalidSocket;
    if (connect_to_service(fd, endpoints, endpoints.point[(start + attempt) % count], connect_ms)) return platform::UniqueFd(fd);
  }
  return platform::UniqueFd();
}

}  // namespace dovel::service
