#include "platform/unix_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dovel::platform {
namespace {

bool address_of(const std::filesystem::path& path, sockaddr_un& address) {
  if (!fits_unix_socket_path(path)) {
    errno = ENAMETOOLONG;
    return false;
  }
  address = {};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
  return true;
}

}  // namespace

bool fits_unix_socket_path(const std::filesystem::path& path) {
  return !path.empty() && path.native().size() < sizeof(sockaddr_un{}.sun_path);
}

UniqueFd listen_unix(const std::filesystem::path& path, int backlog) {
  sockaddr_un address;
  if (!address_of(path, address)) return UniqueFd();
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return fd;
  ::unlink(path.c_str());
  // Owner-only before it listens: until then nobody can connect.
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::chmod(path.c_str(), 0600) != 0 ||
      ::listen(fd.get(), backlog) != 0) {
    return UniqueFd();
  }
  return fd;
}

UniqueFd connect_unix(const std::filesystem::path& path) {
  sockaddr_un address;
  if (!address_of(path, address)) return UniqueFd();
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return fd;
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return UniqueFd();
  return fd;
}

std::optional<uid_t> peer_user(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
  return credentials.uid;
}

}  // namespace dovel::platform
