#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace dovel::download {

// The first 10 MiB of every file are free; a download that has not reached
// 11 MiB in all charges nothing.
inline constexpr int64_t kFreeMegabytes = 10;
inline constexpr int64_t kChargeableFrom = 11LL * 1048576;

// The megabytes one data connection is charged: it fetched from `piece_start`
// up to `received_end` (exclusive); `item_received` is what the whole item
// holds. floor(received_end / 1 MiB) - max(10, floor(piece_start / 1 MiB)),
// never negative.
int64_t charged_megabytes(int64_t piece_start, int64_t received_end, int64_t item_received);

// What a run owes the serving owners, handed over when its last connection ended.
struct RunCharges {
  std::map<std::string, int64_t> megabytes_by_token;   // the owner's auth_token_b -> MiB
  std::map<std::string, std::string> owners;           // the owner's user ID -> auth_token_a
};

}  // namespace dovel::download
