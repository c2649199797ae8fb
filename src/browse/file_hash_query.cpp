#include "browse/file_hash_query.h"

#include "base/string_printf.h"
#include "browse/side_channel_request.h"
#include "util/file_hash_text.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr char kHashLetter = 'H';
// The letter, 32 digits and the terminating zero.
constexpr uint32_t kMaxHashAnswer = 34;

}  // namespace

std::optional<std::string> query_file_hash(platform::Ipv4 address, uint16_t port, const FileHashQuery& query, int timeout_ms,
                                           platform::Ipv4 bind_address, platform::StopSignal* stop) {
  const std::optional<std::string> path = wire::field(query.path, "|");
  const std::optional<std::string> name = wire::field(query.file_name, "|");
  if (!path || !name || name->empty() || query.size <= 0 || query.share_index < 0) return std::nullopt;
  const std::string request =
      base::string_printf("%c%s|%s|%lld|%d", kHashLetter, path->c_str(), name->c_str(), static_cast<long long>(query.size), query.share_index);
  std::optional<std::string> answer = side_channel_request(address, port, request, {timeout_ms, kMaxHashAnswer, bind_address, stop});
  if (!answer || answer->empty() || answer->front() != kHashLetter) return std::nullopt;
  return util::lower_case_file_hash(wire::up_to_terminator(std::string_view(*answer).substr(1)));
}

}  // namespace dovel::browse
