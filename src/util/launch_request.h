#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace dovel::util {

enum class RequestKind : uint32_t {
  None = 0,
  Server = 1,
  File = 2,
  Search = 3,
  SearchText = 4,
  SearchHash = 5,
  DownloadHash = 6,
  Login = 7,
};

inline constexpr size_t kMaxRequestHashes = 50;

// A parsed dovel:// request. Texts are UTF-8; the parts that travel encoded are
// decoded from their CP949 form.
struct CLaunchRequest {
  RequestKind kind = RequestKind::None;
  std::string raw;              // the request text as received
  platform::Ipv4 address = 0;   // network order, 0 = none
  uint32_t port = 0;
  std::string user_id;          // the server's user ID
  std::string hash;             // FileHash (file, download by hash); the search words (search)
  std::string name;             // file name
  int64_t size = 0;
  std::string search_text;      // words of search_text and search_hash
  std::vector<std::string> hash_list;
  std::string login_id;
  std::string password;

  // Accepts the request and replaces every field with it; on refusal (false) the
  // record is left exactly as it was. The text comes from web pages and other
  // programs: every token is counted before it is used.
  bool Parse(std::string_view text);
  void Reset();
};

}  // namespace dovel::util
