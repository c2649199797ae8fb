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

// From the service connections to the hub.
inline constexpr MessageId UM_LOGIN_DONE = 0x0808;
// wparam: 0 when the service closed the connection, else the socket error.
inline constexpr MessageId UM_AUTH_CLOSED = 0x0843;
inline constexpr MessageId UM_FILE_INDEX_CLOSED = 0x0844;
inline constexpr MessageId UM_REGISTRATION_CLOSED = 0x3845;
inline constexpr MessageId UM_SERVER_LIST_DONE = 0x5D21;
// The service's pushes on the session (this program's own numbers): a notice and
// a system line (TextPayload, UTF-8), a relayed memo (MemoPayload), the number of
// users online (wparam).
inline constexpr MessageId UM_SERVICE_NOTICE = 0x0870;
inline constexpr MessageId UM_SERVICE_MEMO = 0x0871;
inline constexpr MessageId UM_SERVICE_LINE = 0x0872;
inline constexpr MessageId UM_ONLINE_COUNT = 0x0873;

// Thread messages of message-driven workers.
inline constexpr MessageId TM_CONTROL_HASH_REQUEST = 1929;  // a control session's hash worker
inline constexpr MessageId TM_CONNECT_REQUEST = 0x0523;     // the share server's connect worker

}  // namespace dovel::mainframe
