#include "download/add_request.h"

namespace dovel::download {

bool is_usable_source(const Source& source) {
  if (source.address == 0 || source.port == 0 || source.peer_id.size() > kMaxPeerIdBytes) return false;
  for (char c : source.peer_id) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace dovel::download
