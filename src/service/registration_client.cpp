#include "service/registration_client.h"

#include "base/string_printf.h"
#include "core/message_ids.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"

namespace dovel::service {
namespace {

constexpr int kConnectMs = 5000;
constexpr int kReplyReadMs = 5000;
constexpr int kReplyMs = 10000;

ReplyTiming reply_timing() { return {kReplyReadMs, platform::Deadline::after_ms(kReplyMs)}; }

}  // namespace

RegistrationClient::RegistrationClient(ServiceEndpoints endpoints, core::MessageTarget* hub, std::function<int()> pick_channel)
    : endpoints_(std::move(endpoints)), hub_(hub), pick_channel_(std::move(pick_channel)) {}

void RegistrationClient::close() {
  connection_.close();
  channel_ = -1;
}

bool RegistrationClient::registered() const { return connection_.open(); }

int RegistrationClient::channel() const { return registered() ? channel_.load() : -1; }

int RegistrationClient::register_server(const RegistrationRecord& record) {
  close();
  std::optional<std::string> payload = build_registration_record(record);
  if (!payload) return kRegisterDatabaseError;
  const int first = ((pick_channel_ ? pick_channel_() : 0) % 3 + 3) % 3;
  int result = kRegisterNoConnection;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int channel = (first + attempt) % 3;
    const Endpoint& endpoint = endpoints_.registration[static_cast<size_t>(channel)];
    int fd = kInvalidSocket;
    if (!connect_to_service(fd, endpoints_, endpoint, kConnectMs) &&
        !connect_to_service(fd, endpoints_, endpoint, kConnectMs)) {
      result = kRegisterNoConnection;
      continue;
    }
    platform::UniqueFd connection(fd);
    std::optional<std::string> body;
    if (send_frame(fd, kRegisterType, *payload) >= 0) body = read_long_prefixed_reply(fd, kMaxRegistrationReply, reply_timing());
    std::optional<int> answer = body ? parse_result_reply(*body, kRegisterType) : std::nullopt;
    result = answer.value_or(kRegisterNetworkError);
    if (result != kRegisterOk) continue;
    channel_ = channel;
    connection_.hold(std::move(connection), [this](int error) {
      if (hub_ != nullptr) hub_->post({core::UM_REGISTRATION_CLOSED, static_cast<uint64_t>(error), 0, nullptr});
    });
    return result;
  }
  return result;
}

bool RegistrationClient::send_counters(const Counters& counters, uint32_t peak_speed) {
  return connection_.send(kCountersType, build_counters(counters)) && connection_.send(kPeakSpeedType, build_peak_speed(peak_speed));
}

bool RegistrationClient::set_visibility(bool shown) {
  std::optional<std::string> body = connection_.request(kVisibilityType, build_switch(shown), [](int fd) {
    return read_long_prefixed_reply(fd, kMaxRegistrationReply, reply_timing());
  });
  return body && parse_result_reply(*body, kVisibilityType) == 1;
}

bool RegistrationClient::send_title(std::string_view title) {
  std::optional<std::string> payload = build_title_payload(title);
  return payload && connection_.send(kTitleType, *payload);
}

bool RegistrationClient::send_ultra_turbo(bool on) { return connection_.send(kUltraTurboType, build_switch(on)); }

std::string registration_result_text(int result, int channel) {
  switch (result) {
    case kRegisterNetworkError: return "서버등록실패: 네트워크 에러가 발생하였습니다.";
    case kRegisterAlreadyRegistered: return "서버등록실패: 이미 등록되어 사용중입니다..";
    case kRegisterChannelFull: return "서버등록실패: 사용자가 초과하였습니다. 잠시후 재시도 하세요.";
    case kRegisterChannelLimit: return "";
    case kRegisterOk:
      return base::string_printf("[%s] 서버로 등록을 하였습니다.",
                                 channel >= 0 && channel < 3 ? std::string(kChannelNames[static_cast<size_t>(channel)]).c_str() : "");
    case kRegisterDatabaseError: return "서버등록실패: DB에러가 발생하였습니다.";
    case kRegisterNoConnection: return "서버등록실패: 등록서버로 접속할 수 없습니다.";
    default: return "서버등록실패: 알수 없는 에러가 발생하였습니다.";
  }
}

}  // namespace dovel::service
