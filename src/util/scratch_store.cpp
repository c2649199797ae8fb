#include "util/scratch_store.h"

#include "base/string_printf.h"

namespace dovel::util {

ScratchStore::ScratchStore(const platform::Clock& clock) : clock_(clock) {}

void ScratchStore::Put(std::string_view key, std::string_view value) {
  std::lock_guard lock(lock_);
  platform::Tick now = clock_.tick();
  auto found = entries_.find(key);
  if (found != entries_.end()) {
    found->second.stored_at = now;
    return;
  }
  entries_.emplace(std::string(key), Entry{std::string(value), now});
}

std::optional<std::string> ScratchStore::Take(std::string_view key) {
  std::lock_guard lock(lock_);
  auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  std::string value = std::move(found->second.value);
  entries_.erase(found);
  return value;
}

void ScratchStore::Remove(std::string_view key) {
  std::lock_guard lock(lock_);
  auto found = entries_.find(key);
  if (found != entries_.end()) entries_.erase(found);
}

void ScratchStore::Expire() {
  std::lock_guard lock(lock_);
  platform::Tick now = clock_.tick();
  std::erase_if(entries_, [now](const auto& entry) { return platform::ticks_between(entry.second.stored_at, now) > kLifetimeMs; });
}

void ScratchStore::Clear() {
  std::lock_guard lock(lock_);
  entries_.clear();
}

size_t ScratchStore::size() const {
  std::lock_guard lock(lock_);
  return entries_.size();
}

std::string ScratchKey(std::string_view file_name, std::string_view size_text, platform::Ipv4 address, uint16_t port) {
  std::string name(file_name);
  std::string size(size_text);
  return base::string_printf("%s\x1f%s\x1f%u\x1f%u", name.c_str(), size.c_str(), address, static_cast<unsigned>(port));
}

}  // namespace dovel::util
