#include "util/launch_request.h"

#include "base/text.h"
#include "util/file_hash_text.h"
#include "util/letter_pair.h"

namespace dovel::util {
namespace {

constexpr std::string_view kScheme = "dovel:/";

uint32_t port_of(std::string_view text) {
  auto port = base::parse_uint32(text);
  return port && *port <= 65535 ? *port : 0;
}

// "ID" (encoded) or "address:port" (both encoded, or both plain).
void read_server_source(std::string_view source, CLaunchRequest& request) {
  std::vector<std::string> parts = base::split(source, ':');
  if (parts.size() == 1) {
    request.user_id = DecodeWire(parts[0]);
  } else if (parts.size() == 2) {
    std::string address = DecodeWire(parts[0]);
    std::string port = DecodeWire(parts[1]);
    if (address.empty() && port.empty()) {
      address = parts[0];
      port = parts[1];
    }
    request.address = platform::parse_ipv4(address).value_or(0);
    request.port = port_of(port);
  }
}

// "name:hash:size"; false when a part is missing or the size is not a number.
bool read_file_part(std::string_view file_part, CLaunchRequest& request) {
  std::vector<std::string> parts = base::split(file_part, ':');
  if (parts.size() < 3) return false;
  auto size = base::parse_int64(parts[2]);
  if (!size || *size < 0) return false;
  request.name = parts[0];
  request.hash = parts[1];
  request.size = *size;
  return true;
}

// The login ID and password, encoded together with the byte 0x07 between them.
void read_credentials(std::string_view token, CLaunchRequest& request) {
  std::string decoded = DecodeWire(token);
  size_t separator = decoded.find('\x07');
  request.login_id = decoded.substr(0, separator);
  request.password = separator == std::string::npos ? std::string() : decoded.substr(separator + 1);
}

}  // namespace

void CLaunchRequest::Reset() { *this = CLaunchRequest(); }

bool CLaunchRequest::Parse(std::string_view text) {
  std::string_view trimmed = base::trim(text);
  size_t scheme = base::ascii_lower(trimmed).find(kScheme);
  if (scheme == std::string::npos) return false;

  // From the last "/" of the scheme on, without slashes at either end.
  std::string_view rest = trimmed.substr(scheme + kScheme.size() - 1);
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::vector<std::string> tokens = base::split(rest, '/');
  // tokens[0] is the kind word ("token 1"), tokens[1] its first argument ("token 2").
  if (tokens.size() < 2) return false;

  CLaunchRequest parsed;
  const std::string& word = tokens[0];
  if (base::iequals_ascii(word, "server") || base::iequals_ascii(word, "server_e")) {
    parsed.kind = RequestKind::Server;
    read_server_source(tokens[1], parsed);
  } else if (base::iequals_ascii(word, "file")) {
    parsed.kind = RequestKind::File;
    if (tokens.size() >= 3) read_server_source(tokens[1], parsed);
    if (!read_file_part(tokens.size() >= 3 ? tokens[2] : tokens[1], parsed)) return false;
  } else if (base::iequals_ascii(word, "search")) {
    parsed.kind = RequestKind::Search;
    parsed.hash = tokens[1];
  } else if (base::iequals_ascii(word, "login")) {
    parsed.kind = RequestKind::Login;
    read_credentials(tokens[1], parsed);
  } else if (base::iequals_ascii(word, "download_hash")) {
    if (tokens.size() < 5) return false;
    auto size = base::parse_int64(tokens[4]);
    if (!size || *size < 0) return false;
    parsed.kind = RequestKind::DownloadHash;
    read_credentials(tokens[1], parsed);
    parsed.hash = tokens[2];
    parsed.name = tokens[3];
    parsed.size = *size;
  } else if (base::iequals_ascii(word, "search_text")) {
    if (tokens.size() < 3) return false;
    parsed.kind = RequestKind::SearchText;
    read_credentials(tokens[1], parsed);
    parsed.search_text = tokens[2];
  } else if (base::iequals_ascii(word, "search_hash")) {
    if (tokens.size() < 5) return false;
    std::vector<std::string> hashes = base::split(tokens[4], ',');
    std::string check = DecodeWire(tokens[3]);
    if (check.empty() || check != hashes.front()) return false;
    parsed.kind = RequestKind::SearchHash;
    read_credentials(tokens[1], parsed);
    parsed.search_text = tokens[2];
    for (const std::string& element : hashes) {
      std::string hash = base::ascii_lower(base::trim(element));
      if (is_lower_case_file_hash(hash) && parsed.hash_list.size() < kMaxRequestHashes) parsed.hash_list.push_back(hash);
    }
  }
  parsed.raw = std::string(text);
  *this = std::move(parsed);
  return true;
}

}  // namespace dovel::util
