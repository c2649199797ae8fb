#pragma once

#include <cstdint>
#include <string>

namespace dovel::settings {

// Bits of a shared folder's flags.
enum ShareFlags : uint32_t {
  SHARE_READ = 1,
  SHARE_WRITE = 2,
  SHARE_ADULT = 4,
  SHARE_FRIEND = 8,
  SHARE_SECRET = 16,
};

// 0-based position in the shared-folder list; sent on the wire and stored with every file row.
using ShareIndex = int32_t;

// One shared folder: the name peers see, the folder on this machine and its flags.
struct SharedFolder {
  std::string name;
  std::string path;
  uint32_t flags = 0;
  bool operator==(const SharedFolder&) const = default;
};

}  // namespace dovel::settings
