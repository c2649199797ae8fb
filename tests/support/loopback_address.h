#pragma once

#include "platform/socket.h"

namespace dovel::test {

// A loopback address of its own for each call, so that tests running in
// parallel (each in its own process) can bind the same ports without meeting:
// 127.(1 + s / 250).(1 + s % 250).(1 + n) with s = pid % 62500, for the n-th call
// of this process (at most 250 calls). Processes that run at the same time have
// nearby pids, so they never share the slot s.
platform::Ipv4 unique_loopback_address();

}  // namespace dovel::test
