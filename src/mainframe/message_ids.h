#pragma once

#include "mainframe/message.h"

namespace dovel::mainframe {

// A hashing run ended: wparam = its mode, lparam = 1 unless it was cancelled.
inline constexpr MessageId UM_HASH_DONE = 0x0B23;

}  // namespace dovel::mainframe
