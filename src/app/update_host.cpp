#include "app/update_host.h"

#include "base/string_printf.h"
#include "util/http_get.h"

namespace dovel::app {
namespace {

std::string_view without_trailing_slashes(std::string_view text) {
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  return text;
}

}  // namespace

DocumentFetch HttpDocumentFetch(int timeout_ms) {
  return [timeout_ms](const std::string& url) -> std::optional<std::string> {
    std::string body;
    if (!util::HttpGetWithin("", timeout_ms, url, body, kMaxUpdateHostDocumentBytes)) return std::nullopt;
    return body;
  };
}

UpdateHost WebUpdateHost(std::string_view web_base) { return UpdateHost{std::string(web_base), HttpDocumentFetch()}; }

std::string UpdateBaseUrl(std::string_view host_base) { return std::string(without_trailing_slashes(host_base)) + "/dovel/update"; }

std::string UpdateListUrl(std::string_view update_base_url) {
  return std::string(without_trailing_slashes(update_base_url)) + "/update.xml";
}

std::string StatusFileUrl(std::string_view host_base, platform::Tick tick) {
  // The tick is written as the signed number it always was ("%d").
  const std::string file_url = std::string(without_trailing_slashes(host_base)) + "/dovel/server.xml";
  return base::string_printf("%s?d=%d", file_url.c_str(), static_cast<int>(tick));
}

}  // namespace dovel::app
