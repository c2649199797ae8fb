#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace dovel::app {

// The two start-up checks fetch small documents from the service's update host.
// That host is the service's web host: `web_base` of service.conf, where the
// stand-in serves them too, so no key of its own is needed.

// Fetches one whole document (its bytes as they came); nullopt on any failure.
// Injected so that tests need no server.
using DocumentFetch = std::function<std::optional<std::string>(const std::string& url)>;

// A start never waits on the update host without a limit.
inline constexpr int kUpdateHostTimeoutMs = 10000;
// The status file and the update list are a few hundred bytes; anything much
// larger is not one of them.
inline constexpr size_t kMaxUpdateHostDocumentBytes = 256 * 1024;

// HTTP GET taking at most `timeout_ms` from the connect to the last byte
// (util::HttpGetWithin), bodies up to kMaxUpdateHostDocumentBytes.
DocumentFetch HttpDocumentFetch(int timeout_ms = kUpdateHostTimeoutMs);

struct UpdateHost {
  std::string base;  // "http://host:port"
  DocumentFetch fetch;
};

// The web host of service.conf, fetched over HTTP with the 10 s limit.
UpdateHost WebUpdateHost(std::string_view web_base);

// Host base + "/dovel/update": the updater's first argument.
std::string UpdateBaseUrl(std::string_view host_base);
// The update base URL without trailing "/", then "/update.xml".
std::string UpdateListUrl(std::string_view update_base_url);
// Host base + "/dovel/server.xml?d=" + the tick count, which keeps caches out.
std::string StatusFileUrl(std::string_view host_base, platform::Tick tick);

}  // namespace dovel::app
