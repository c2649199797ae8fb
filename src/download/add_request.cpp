#include "download/add_request.h"

namespace dovel::download {
namespace {


bool is_hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool is_usable_source(const Source& source) {
  if (source.address == 0 || source.port == 0 || source.peer_id.size() > kMaxPeerIdBytes) return false;
  for (char c : source.peer_id) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace dovel::download
