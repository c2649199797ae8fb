#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>


namespace dovel::browse {

// The entry that empties the history when chosen; always last.
inline constexpr std::string_view kClearHistoryEntry = "-모두삭제-";
inline constexpr size_t kMaxHistoryIds = 20;
// The stored form joins the IDs by the byte 0x03.
inline constexpr char kHistorySeparator = '\x03';

// The user IDs explored, newest first, at most 20. Thread-safe.
class AddressHistory {
 public:
  // Puts the ID at the top (an earlier entry of it, in any ASCII case, goes);
  // the oldest beyond 20 drop out. Empty IDs and the clear entry are ignored.
  void add(std::string_view user_id);
  void clear();
  // The IDs, newest first.
  std::vector<std::string> ids() const;
  // What the history box shows: the IDs and "-모두삭제-" last.
  std::vector<std::string> entries() const;

  // The stored form and back; load ignores empty parts and keeps at most 20.
  std::string stored_text() const;
  void load_text(std::string_view text);

 private:
  mutable std::mutex lock_;
  std::vector<std::string> ids_;
};

}  // namespace dovel::browse
