#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <unordered_map>
#include <utility>

namespace dovel::server {

// At most `capacity` entries by key; a new key in a full table takes the place
// of the entry used longest ago. Finding, adding and pushing out each cost the
// same whatever the size, so that a flood of new keys holds nobody up. Not
// thread-safe: its owner locks.
template <typename Key, typename Value>
class RecentTable {
 public:
  explicit RecentTable(size_t capacity) : capacity_(capacity > 0 ? capacity : 1) { index_.reserve(capacity_); }

  // The entry for `key`, now the one used last; `make()` makes a missing one.
  // The flag says whether it was made now.
  template <typename Make>
  std::pair<Value&, bool> use(const Key& key, Make&& make) {
    if (auto found = index_.find(key); found != index_.end()) {
      order_.splice(order_.begin(), order_, found->second);
      return {found->second->second, false};
    }
    Value made = make();
    if (index_.size() >= capacity_) {
      // The oldest node is taken over rather than freed and made again.
      auto oldest = std::prev(order_.end());
      index_.erase(oldest->first);
      order_.splice(order_.begin(), order_, oldest);
      order_.front() = {key, std::move(made)};
    } else {
      order_.emplace_front(key, std::move(made));
    }
    index_.emplace(key, order_.begin());
    return {order_.front().second, true};
  }

  bool contains(const Key& key) const { return index_.count(key) != 0; }
  size_t size() const { return index_.size(); }

 private:
  using Entries = std::list<std::pair<Key, Value>>;

  const size_t capacity_;
  Entries order_;  // the one used last first
  std::unordered_map<Key, typename Entries::iterator> index_;
};

}  // namespace dovel::server
