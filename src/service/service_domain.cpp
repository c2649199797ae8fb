#include "service/service_domain.h"

#include "base/text.h"

namespace dovel::service {

std::string service_domain(std::string_view web_base) {
  std::string_view rest = web_base;
  if (size_t scheme = rest.find("://"); scheme != std::string_view::npos) rest.remove_prefix(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    size_t close = rest.find(']');
    return close == std::string_view::npos ? std::string() : base::ascii_lower(rest.substr(1, close - 1));
  }
  return base::ascii_lower(rest.substr(0, rest.find(':')));
}

bool mentions_service_domain(std::string_view address, std::string_view web_base) {
  const std::string domain = service_domain(web_base);
  return !domain.empty() && base::ascii_lower(address).find(domain) != std::string::npos;
}

}  // namespace dovel::service
