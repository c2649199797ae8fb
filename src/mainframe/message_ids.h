#pragma once

#include "mainframe/message.h"

namespace dovel::mainframe {

// A hashing run ended: wparam = its mode, lparam = 1 unless it was cancelled.
inline constexpr MessageId UM_HASH_DONE = 0x0B23;

// To the upload monitor, from the share server's connection threads; the payload
// describes the upload or the peer (see server/upload_monitor.h).
inline constexpr MessageId UM_UPLOAD_STARTED = 0x0955;
inline constexpr MessageId UM_UPLOAD_ENDED = 0x0956;
inline constexpr MessageId UM_PEER_CONNECTED = 0x0960;
inline constexpr MessageId UM_PEER_DISCONNECTED = 0x0961;

// Thread messages of message-driven workers.
inline constexpr MessageId TM_CONTROL_HASH_REQUEST = 1929;  // a control session's hash worker
inline constexpr MessageId TM_CONNECT_REQUEST = 0x0523;     // the share server's connect worker

}  // namespace dovel::mainframe
