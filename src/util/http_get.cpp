#include "util/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "base/text.h"

namespace dovel::util {
namespace {

void initialise_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Body {
  std::string* out;
  size_t limit;
  size_t received = 0;
};

size_t append_block(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<Body*>(user);
  size_t length = size * count;
  if (body->received + length > body->limit) return 0;  // aborts the transfer
  body->out->append(data, length);
  body->received += length;
  return length;
}

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

constexpr long kWholeRequestCapMs = 120000;

}  // namespace

std::string ResolveWebUrl(std::string_view web_base, std::string_view url) {
  if (base::starts_with_ascii_nocase(url, "http://") || base::starts_with_ascii_nocase(url, "https://")) return std::string(url);
  return std::string(web_base) + std::string(url);
}

namespace {

// Time limits of one request; a negative connect limit leaves the library's defaults.
struct RequestLimits {
  long connect_ms = -1;
  long stall_seconds = 0;
  long whole_ms = kWholeRequestCapMs;
};

RequestLimits per_step_limits(int timeout_ms) {
  RequestLimits limits;
  if (timeout_ms >= 0) {
    limits.connect_ms = std::max(timeout_ms, 1);
    limits.stall_seconds = std::max(1L, (static_cast<long>(timeout_ms) + 999) / 1000);
    limits.whole_ms = std::min(kWholeRequestCapMs, std::max(4L * timeout_ms, 10000L));
  }
  return limits;
}

bool get(std::string_view web_base, std::string_view url, std::string& out, size_t max_bytes, const RequestLimits& limits) {
  initialise_curl_once();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) return false;
  std::string address = ResolveWebUrl(web_base, url);
  std::string user_agent = "User-Agent: " + std::string(kUserAgent);
  std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, user_agent.c_str()));
  if (!headers) return false;
  curl_slist_append(headers.get(), "Cache-Control: no-cache");
  curl_slist_append(headers.get(), "Pragma: no-cache");

  std::string body_text;
  Body body{&body_text, max_bytes};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_PROXY, "");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, append_block);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  if (limits.connect_ms >= 0) {
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limits.connect_ms);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds);
  }
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.whole_ms);

  if (curl_easy_perform(handle) != CURLE_OK) return false;
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status <= 0 || status >= 400) return false;
  out += body_text;
  return true;
}

}  // namespace

bool HttpGet(std::string_view web_base, int timeout_ms, std::string_view url, std::string& out, size_t max_bytes) {
  return get(web_base, url, out, max_bytes, per_step_limits(timeout_ms));
}

bool HttpGetWithin(std::string_view web_base, int limit_ms, std::string_view url, std::string& out, size_t max_bytes) {
  const long limit = std::max(limit_ms, 1);
  return get(web_base, url, out, max_bytes, RequestLimits{limit, std::max(1L, (limit + 999) / 1000), limit});
}

}  // namespace dovel::util
