#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/socket.h"

namespace dovel::util {

// A short-lived keyed memory: a window remembers a value for a pending action
// (the sub-folder chosen for a download) and takes it back when the action
// arrives. Entries older than a minute are dropped by Expire.
class ScratchStore {
 public:
  static constexpr platform::Tick kLifetimeMs = 60000;

  explicit ScratchStore(const platform::Clock& clock = platform::system_clock());

  // A new key stores the value; an existing key only renews its time (the value stays).
  void Put(std::string_view key, std::string_view value);
  // Returns and removes the value.
  std::optional<std::string> Take(std::string_view key);
  void Remove(std::string_view key);
  void Expire();
  void Clear();
  size_t size() const;

 private:
  struct Entry {
    std::string value;
    platform::Tick stored_at;
  };
  const platform::Clock& clock_;
  mutable std::mutex lock_;
  std::map<std::string, Entry, std::less<>> entries_;
};

// The key of a pending download: file name, size text, peer address and port,
// with a separator between the parts so that two different downloads never share one.
std::string ScratchKey(std::string_view file_name, std::string_view size_text, platform::Ipv4 address, uint16_t port);

}  // namespace dovel::util
