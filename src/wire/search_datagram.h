#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "util/file_hash_text.h"

namespace dovel::wire {

// What arrives on the search port: a check byte, a type byte, then the fields of
// that type (integers little-endian, addresses in network order).
enum SearchDatagramType : uint8_t {
  kResultDatagram = 10,
  kKeywordQuery = 11,
  kHashQuery = 12,
  kFriendListChanged = 100,
  kBlockListChanged = 101,
};

// A worker reads at most this much at once; longer datagrams arrive cut.
inline constexpr size_t kMaxReceivedDatagram = 4096;

// Query fields (keyword and hash queries share everything up to offset 96).
inline constexpr size_t kQuerySearcherKey = 2;  // 8 bytes
inline constexpr size_t kQuerySearcherUsable = 10;
inline constexpr size_t kQuerySearchNumber = 11;
inline constexpr size_t kQueryTimeField = 15;
inline constexpr size_t kQueryDestination = 19;
inline constexpr size_t kQueryText = 20;
inline constexpr size_t kQueryTextSize = 50;
inline constexpr size_t kQueryUserId = 71;
inline constexpr size_t kQueryUserIdSize = 15;
inline constexpr size_t kQueryReplyAddress = 87;
inline constexpr size_t kQueryReplyPort = 91;
inline constexpr size_t kQueryAdult = 95;  // the searcher is adult
inline constexpr size_t kKeywordQuerySize = 96;
inline constexpr size_t kQueryHashCount = 96;
inline constexpr size_t kQueryHashes = 97;
inline constexpr size_t kHashTextSize = 32;
inline constexpr size_t kMaxQueryHashes = 50;
// A hash query is sent at its full size, room for 50 hashes.
inline constexpr size_t kHashQueryDatagramSize = 1697;

static_assert(kQuerySearcherKey + 8 == kQuerySearcherUsable && kQuerySearcherUsable + 1 == kQuerySearchNumber);
static_assert(kQuerySearchNumber + 4 == kQueryTimeField && kQueryTimeField + 4 == kQueryDestination && kQueryDestination + 1 == kQueryText);
static_assert(kQueryText + kQueryTextSize + 1 == kQueryUserId, "a zero byte closes the query text");
static_assert(kQueryUserId + kQueryUserIdSize + 1 == kQueryReplyAddress, "a zero byte closes the user ID");
static_assert(kQueryReplyAddress + 4 == kQueryReplyPort && kQueryReplyPort + 4 == kQueryAdult && kQueryAdult + 1 == kKeywordQuerySize);
static_assert(kQueryHashCount == kKeywordQuerySize && kQueryHashCount + 1 == kQueryHashes);
static_assert(kQueryHashes + kMaxQueryHashes * kHashTextSize == kHashQueryDatagramSize);
static_assert(kHashTextSize == util::kFileHashDigits);

// Result fields.
inline constexpr size_t kResultResponderAddress = 2;
inline constexpr size_t kResultResponderPort = 6;
inline constexpr size_t kResultSearcherKey = 10;
inline constexpr size_t kResultSearchNumber = 18;
inline constexpr size_t kResultTimeField = 22;
inline constexpr size_t kResultDestination = 26;
inline constexpr size_t kResultHeaderSize = 27;
inline constexpr size_t kMaxResultDatagram = 1024;

static_assert(kResultResponderAddress + 4 == kResultResponderPort && kResultResponderPort + 4 == kResultSearcherKey);
static_assert(kResultSearcherKey + 8 == kResultSearchNumber && kResultSearchNumber + 4 == kResultTimeField);
static_assert(kResultTimeField + 4 == kResultDestination && kResultDestination + 1 == kResultHeaderSize);
static_assert(kResultHeaderSize < kMaxResultDatagram && kMaxResultDatagram <= kMaxReceivedDatagram);
static_assert(kHashQueryDatagramSize <= kMaxReceivedDatagram);

// The destination code of results meant for the search window.
inline constexpr uint8_t kSearchWindowDestination = 1;

// The type of a datagram whose check byte fits it and that is long enough for
// that type's fixed fields; nullopt for anything else, which is dropped unread.
// A hash query's hashes are checked by its parser.
std::optional<uint8_t> search_datagram_type(std::string_view datagram);

}  // namespace dovel::wire
