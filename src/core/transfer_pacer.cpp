#include "core/transfer_pacer.h"

namespace dovel::core {

uint64_t TransferPacer::wait_after(uint64_t bytes, uint64_t limit, uint64_t now_ns) {
  if (limit == 0 || limit >= kNoSpeedLimit) return 0;
  const auto share_ns = static_cast<uint64_t>(static_cast<unsigned __int128>(bytes) * 1'000'000'000u / limit);
  std::lock_guard guard(lock_);
  if (booked_until_ns_ < now_ns) booked_until_ns_ = now_ns;
  booked_until_ns_ += share_ns;
  return booked_until_ns_ - now_ns;
}

}  // namespace dovel::core
