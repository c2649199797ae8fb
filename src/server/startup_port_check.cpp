#include "server/startup_port_check.h"

#include "base/string_printf.h"
#include "util/log_files.h"

namespace dovel::server {
namespace {

std::string logged_line(const PortTestResult& result) {
  std::string line = port_test_text(result);
  util::LogSystem("%s", line.c_str());
  return line;
}

}  // namespace

uint16_t startup_check_port(const ShareServerSettings& settings) {
  const uint32_t stored = settings.values().share_port;
  return stored <= 65535 ? static_cast<uint16_t>(stored) : 0;
}

std::string port_check_waiting_note(uint16_t port) {
  return base::string_printf("%d TCP/UDP 포트를 검사중입니다.\r\n잠시만 기다려주세요.", static_cast<int>(port));
}

std::string udp_failure_warning(uint16_t port) {
  return base::string_printf(
      "UDP %d포트 검사에 실패하였습니다. \r\n검색에 문제가 발생할 수도 있습니다. \r\n"
      "공유기를 사용하신다면 TCP뿐만 아니라 UDP까지 열어 주시기 바랍니다.\r\n\r\n또는 도벨을 재실행해 보시기 바랍니다.",
      static_cast<int>(port));
}

StartupPortCheckOutcome run_startup_port_check(ShareServerSettings& settings, const PortTester& tester) {
  const uint16_t port = startup_check_port(settings);
  StartupPortCheckOutcome outcome;

  PortTestResult tcp;
  if (tester.port_test(tcp, port, service::PortTestKind::Tcp)) {
    settings.set_server_usable(tcp.code == kPortTestReached);
    settings.set_external_address(tcp.external_address);
  } else {
    settings.set_server_usable(false);
  }
  outcome.result_lines.push_back(logged_line(tcp));

  if (tcp.code == kPortTestReached) {
    PortTestResult udp;
    tester.port_test(udp, port, service::PortTestKind::Udp);
    outcome.result_lines.push_back(logged_line(udp));
    if (udp.code != kPortTestReached && settings.server_usable()) outcome.udp_warning = udp_failure_warning(port);
  }

  outcome.server_usable = settings.server_usable();
  outcome.external_address = settings.external_address();
  return outcome;
}

}  // namespace dovel::server
