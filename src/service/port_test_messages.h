#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace dovel::service {

inline constexpr uint16_t kPortTestType = 'w';
inline constexpr size_t kPortTestReplySize = 15;

enum class PortTestKind : uint8_t { Tcp = 0, Udp = 1 };

struct PortTestRequest {
  PortTestKind kind = PortTestKind::Tcp;
  uint16_t port = 0;
  uint32_t tick = 0;
};
std::string build_port_test_request(const PortTestRequest& request);
std::optional<PortTestRequest> parse_port_test_request(std::string_view payload);

struct PortTestReply {
  uint32_t code = 0;
  platform::Ipv4 address = 0;
};
std::string build_port_test_reply(const PortTestReply& reply);
std::optional<PortTestReply> parse_port_test_reply(std::string_view reply);

}  // namespace dovel::service
