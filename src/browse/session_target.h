#pragma once

#include <cstdint>
#include <string>

#include "platform/socket.h"

namespace dovel::browse {

// Where a browse session goes and what it asks for first.
struct SessionTarget {
  platform::Ipv4 address = 0;  // 0: not known yet (resolved from the peer's ID before connecting)
  uint16_t port = 0;
  std::string peer_id;         // as the user knows the peer; may be empty
  std::string start_path;      // folder to list first (local text)
  int share_index = -1;        // share to open first; -1 = the server's root
  std::string focus_file;      // a file to point at in the first listing; empty = none
  bool own_server = false;     // the peer is the user: connect to the own server's address
};

}  // namespace dovel::browse
