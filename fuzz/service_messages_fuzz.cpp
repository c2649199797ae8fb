// Service messages: whatever a client or the service sends, every reader ends
// without over-reading, and what a reader accepts builds back into a message
// that reads the same way again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "service/auth_messages.h"
#include "service/file_index_messages.h"
#include "service/paid_content_messages.h"
#include "service/point_messages.h"
#include "service/port_test_messages.h"
#include "service/registration_messages.h"
#include "service/relay_messages.h"
#include "service/report_messages.h"

namespace {

using namespace dovel::service;

// build(parse(x)) is a fixed point: reading it again and building gives the same bytes.
template <typename Parse, typename Build>
void expect_stable(std::string_view input, Parse parse, Build build) {
  auto first = parse(input);
  if (!first) return;
  std::optional<std::string> built = build(*first);
  if (!built) return;
  auto second = parse(*built);
  if (!second) std::abort();
  std::optional<std::string> rebuilt = build(*second);
  if (!rebuilt || *rebuilt != *built) std::abort();
}

template <typename T>
std::optional<std::string> always(T text) {
  return std::optional<std::string>(std::move(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 70000) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 20) {
    case 0:
      expect_stable(input, parse_login_request, build_login_request);
      break;
    case 1:
      expect_stable(input, parse_registration_record, build_registration_record);
      break;
    case 2:
      expect_stable(input, parse_announcement,
                    [](const Announcement& a) { return always(build_announcement(a.port, a.hashes)); });
      break;
    case 3:
      expect_stable(input, parse_ticket_request,
                    [](const TicketRequest& t) { return always(build_ticket_request(t.address, t.share_port)); });
      break;
    case 4:
      expect_stable(input, parse_port_test_request,
                    [](const PortTestRequest& r) { return always(build_port_test_request(r)); });
      break;
    case 5:
      expect_stable(input, parse_download_report, build_download_report);
      break;
    case 6:
      expect_stable(input, parse_counters, [](const Counters& c) { return always(build_counters(c)); });
      break;
    case 7:
      expect_stable(input, parse_chat_message, build_chat_message);
      break;
    case 8:
      expect_stable(input, parse_id_request, [](const std::string& id) { return build_id_request(id); });
      break;
    case 9:
      expect_stable(input, parse_login_reply, [](const LoginReply& r) { return always(build_login_reply(r)); });
      break;
    case 10:
      expect_stable(input, parse_server_list,
                    [](const std::vector<ListedServer>& s) { return always(build_server_list(s)); });
      break;
    case 11:
      expect_stable(input, parse_peer_list,
                    [](const std::vector<ServerAddress>& p) { return always(build_peer_list(p)); });
      break;
    case 12:
      expect_stable(input, parse_source_lookup, [](const std::string& h) { return build_source_lookup(h); });
      break;
    case 13:
      parse_source_reply(input);
      parse_push_body(input);
      break;
    case 14:
      expect_stable(input, parse_title_payload, [](const std::string& t) { return build_title_payload(t); });
      break;
    case 16:
      expect_stable(input, parse_allowance_request, build_allowance_request);
      parse_allowance_reply(input);
      break;
    case 17:
      expect_stable(input, parse_content_request, build_content_request);
      expect_stable(input, parse_content_answer, build_content_answer);
      break;
    case 18:
      expect_stable(input, parse_false_report_request, [](const std::string& h) { return build_false_report_request(h); });
      parse_false_report_reply(input);
      break;
    default:
      parse_address_reply(input);
      parse_port_test_reply(input);
      parse_online_count_reply(input);
      parse_peak_speed(input);
      parse_switch(input);
      split_relayed_memo(input);
      break;
  }
  return 0;
}
