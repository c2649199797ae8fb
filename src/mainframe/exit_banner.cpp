#include "mainframe/exit_banner.h"

#include "base/text.h"
#include "platform/spawn.h"
#include "util/http_get.h"

namespace dovel::mainframe {

std::optional<std::string> exit_banner_address(std::string_view answer) {
  const std::string_view address = base::trim(answer);
  if (address.empty() || address.size() > kMaxExitBannerAddress) return std::nullopt;
  if (!base::starts_with_ascii_nocase(address, "http://") && !base::starts_with_ascii_nocase(address, "https://")) return std::nullopt;
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return std::nullopt;
  }
  return std::string(address);
}

std::vector<std::string> exit_banner_arguments(const std::filesystem::path& program, const std::string& address) {
  return {program.string(), "/u:" + address, "/t:0"};
}

void show_exit_banner(const std::string& web_base, const std::filesystem::path& program) {
  if (program.empty()) return;
  std::string answer;
  if (!util::HttpGet(web_base, kExitBannerTimeoutMs, "/client/banner.html?mode=exit", answer, 4 * kMaxExitBannerAddress)) return;
  if (std::optional<std::string> address = exit_banner_address(answer)) {
    platform::spawn_detached(exit_banner_arguments(program, *address));
  }
}

}  // namespace dovel::mainframe
