#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dovel::util {

inline constexpr std::string_view kUserAgent = "Dovel Build 11672";
inline constexpr size_t kDefaultHttpBodyLimit = 32 * 1024 * 1024;

// GET of a page with the program's user agent, bypassing caches and proxies.
// A URL that does not start with "http://" or "https://" is taken relative to
// `web_base` (the service's web host). `timeout_ms` bounds the connect and each
// stall of the transfer (-1: library defaults); the whole request never takes
// longer than a few of those. The body is appended to `out` byte for byte.
// True when the status is below 400 and the body, at most `max_bytes`, arrived.
bool HttpGet(std::string_view web_base, int timeout_ms, std::string_view url, std::string& out, size_t max_bytes = kDefaultHttpBodyLimit);

// HttpGet whose whole request, from the connect to the last byte, takes at most
// `limit_ms`: for documents the start-up waits for.
bool HttpGetWithin(std::string_view web_base, int limit_ms, std::string_view url, std::string& out,
                   size_t max_bytes = kDefaultHttpBodyLimit);

// The URL HttpGet fetches for `url`.
std::string ResolveWebUrl(std::string_view web_base, std::string_view url);

}  // namespace dovel::util
