#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "service/file_index_messages.h"

namespace dovel::central {

// Which share servers announced which large files. One index serves the three
// file-index servers, so a lookup on any of them finds every source. An
// announcement belongs to the connection (`holder`) that made it and goes with it.
class FileIndex {
 public:
  // A number that names one announcing connection.
  uint64_t new_holder() { return next_holder_++; }

  // Replaces what the same address and port announced before, on any connection.
  void announce(uint64_t holder, const service::Source& source, const std::vector<std::string>& hashes);
  // Forgets what the holder announced (unless a later announcement replaced it).
  void withdraw(uint64_t holder);
  // At most `limit` sources of the hash, in the order they were announced.
  std::vector<service::Source> sources(std::string_view hash, size_t limit) const;

 private:
  using SourceKey = std::pair<uint32_t, uint16_t>;  // address, port
  struct Announced {
    uint64_t holder = 0;
    uint64_t order = 0;
    std::vector<std::string> hashes;
  };

  void withdraw_locked(uint64_t holder);
  void forget_locked(std::map<SourceKey, Announced>::iterator entry);

  std::atomic<uint64_t> next_holder_{1};
  mutable std::mutex lock_;
  uint64_t next_order_ = 0;
  std::map<SourceKey, Announced> by_source_;
  std::map<uint64_t, SourceKey> by_holder_;
  std::map<std::string, std::set<std::pair<uint64_t, SourceKey>>, std::less<>> by_hash_;  // (order, source)
};

}  // namespace dovel::central
