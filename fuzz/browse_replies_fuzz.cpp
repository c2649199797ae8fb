// A share server's replies to a browsing client: listings and reply bodies are
// read without over-reading, and every row kept is one plain name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "browse/listing.h"
#include "browse/peer_pages.h"
#include "browse/session_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::browse;
  if (size < 1 || size > 200000) return 0;
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 6) {
    case 0:
    case 1: {
      ListingRules rules;
      rules.magic = (data[0] & 0x10) != 0;
      rules.transfer_flag = (data[0] & 0x20) != 0;
      if (auto page = parse_listing(body, rules)) {
        for (const ListingRow& row : page->rows) {
          if (row.name.empty() || row.name.find('/') != std::string::npos) std::abort();
          if (row.name == ".." && row.kind != kParentKind && row.kind != kBackRowKind) std::abort();
        }
      }
      break;
    }
    case 2:
      parse_server_status(body);
      break;
    case 3:
      parse_peer_identity(body);
      break;
    case 4:
      if (auto intro = parse_peer_intro(body)) peer_intro_of(*intro, "http://service.example:11080", (data[0] & 0x10) != 0);
      break;
    default:
      if (auto reply = parse_file_hash_reply(body)) {
        if (reply->name == ".." || reply->name.find('/') != std::string::npos || reply->name.find('\\') != std::string::npos) std::abort();
      }
      break;
  }
  return 0;
}
