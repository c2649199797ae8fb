#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/message.h"
#include "service/endpoints.h"
#include "service/held_connection.h"
#include "service/registration_messages.h"

namespace dovel::service {

// The channel names, by index.
inline constexpr std::array<std::string_view, 3> kChannelNames = {"루비", "토파즈", "다이아몬드"};

// The share server's registration with one of the three channels. The
// connection stays open while registered; its end reaches the hub as
// UM_REGISTRATION_CLOSED. Calls block their caller.
class RegistrationClient {
 public:
  // `pick_channel` gives the first channel to try (0..2): random in the program, fixed in tests.
  RegistrationClient(ServiceEndpoints endpoints, core::MessageTarget* hub, std::function<int()> pick_channel);
  RegistrationClient(const RegistrationClient&) = delete;
  RegistrationClient& operator=(const RegistrationClient&) = delete;

  // Tries the channels in turn from a picked one, each connection tried twice,
  // until one registers (38); the result of the last one tried otherwise.
  int register_server(const RegistrationRecord& record);
  bool registered() const;
  int channel() const;  // -1 when not registered
  // Ends the registration from this side (no UM_REGISTRATION_CLOSED).
  void close();

  // The counters of a refresh and of every keep-alive: 'B' and '>'.
  bool send_counters(const Counters& counters, uint32_t peak_speed);
  // Shows or hides the server in the lists; true when the service changed it.
  bool set_visibility(bool shown);
  // A new title (1..50 bytes, already masked); false when there is none to send.
  bool send_title(std::string_view title);
  bool send_ultra_turbo(bool on);

 private:
  const ServiceEndpoints endpoints_;
  core::MessageTarget* hub_;
  std::function<int()> pick_channel_;
  HeldConnection connection_;
  std::atomic<int> channel_ = -1;
};

// The status line of a registration result ("" for 37, which is shown in a box instead).
std::string registration_result_text(int result, int channel);

}  // namespace dovel::service
