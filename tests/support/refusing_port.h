#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/socket.h"
#include "support/loopback_address.h"

namespace dovel::test {

// A port on a loopback address of its own that refuses every connection:
// bound, never listening.
class RefusingPort {
 public:
  RefusingPort() : socket_(platform::create_tcp_socket()) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    EXPECT_EQ(::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    port = platform::local_port(socket_.get());
  }
  const platform::Ipv4 address = unique_loopback_address();
  uint16_t port = 0;

 private:
  platform::UniqueFd socket_;
};

}  // namespace dovel::test
