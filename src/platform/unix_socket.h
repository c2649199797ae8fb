#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/socket.h"

namespace dovel::platform {

// Whether a path fits a Unix-domain socket address (107 bytes and the NUL).
bool fits_unix_socket_path(const std::filesystem::path& path);

// A listening Unix-domain stream socket at `path` that only this user may use;
// whatever file was there is replaced (the caller holds the lock that makes it
// the only server of that path). Invalid on failure, with errno set.
UniqueFd listen_unix(const std::filesystem::path& path, int backlog);

// A connection to the socket at `path`; invalid when nobody listens there.
UniqueFd connect_unix(const std::filesystem::path& path);

// The user on the other end of a Unix-domain connection.
std::optional<uid_t> peer_user(int fd);

}  // namespace dovel::platform
