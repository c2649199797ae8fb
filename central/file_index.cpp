#include "central/file_index.h"

namespace dovel::central {

void FileIndex::announce(uint64_t holder, const service::Source& source, const std::vector<std::string>& hashes) {
  const SourceKey key{source.address, source.port};
  std::lock_guard guard(lock_);
  // A holder announces for one address and port at a time.
  withdraw_locked(holder);
  if (auto previous = by_source_.find(key); previous != by_source_.end()) forget_locked(previous);
  Announced announced{holder, next_order_++, hashes};
  for (const std::string& hash : announced.hashes) by_hash_[hash].insert({announced.order, key});
  by_source_.emplace(key, std::move(announced));
  by_holder_[holder] = key;
}

void FileIndex::withdraw(uint64_t holder) {
  std::lock_guard guard(lock_);
  withdraw_locked(holder);
}

void FileIndex::withdraw_locked(uint64_t holder) {
  auto held = by_holder_.find(holder);
  if (held == by_holder_.end()) return;
  forget_locked(by_source_.find(held->second));
}

std::vector<service::Source> FileIndex::sources(std::string_view hash, size_t limit) const {
  std::vector<service::Source> found;
  std::lock_guard guard(lock_);
  auto entry = by_hash_.find(hash);
  if (entry == by_hash_.end()) return found;
  for (const auto& [order, key] : entry->second) {
    if (found.size() >= limit) break;
    found.push_back({key.first, key.second});
  }
  return found;
}

void FileIndex::forget_locked(std::map<SourceKey, Announced>::iterator entry) {
  for (const std::string& hash : entry->second.hashes) {
    auto sources = by_hash_.find(hash);
    if (sources == by_hash_.end()) continue;
    sources->second.erase({entry->second.order, entry->first});
    if (sources->second.empty()) by_hash_.erase(sources);
  }
  by_holder_.erase(entry->second.holder);
  by_source_.erase(entry);
}

}  // namespace dovel::central
