#pragma once

#include <memory>

#include "core/message.h"
#include "db/info_database.h"
#include "download/peer_locator.h"
#include "download/run_signals.h"
#include "download/status_codes.h"

namespace dovel::download {

// The word a share server says when it waits for the request of a data connection.
inline constexpr int kSendTheRequest = 1;

// The receive buffer of a data connection, set before it connects (the system
// caps it at its own limit). A 16 KiB window makes every 16 KiB a round of
// wake-ups between the two ends on loopback and a LAN alike; a large one lets
// the 8 KiB receives drain what has arrived in one turn.
inline constexpr int kDataReceiveBuffer = 1048576;

// What the connect worker needs besides the attempt. Every pointer outlives
// the worker's queue.
struct ConnectEnvironment {
  platform::Ipv4 bind_address = 0;  // connections leave from it (0: any)
  int connect_ms = 5000;
  int answer_ms = 5000;
  PeerLocator* locator = nullptr;   // none: a source that does not answer stays unreachable
  db::InfoDatabase* info = nullptr; // where a moved source's new address is kept
};

// The payload of TM_CONNECT_REQUEST.
struct ConnectRequest : core::MessagePayload {
  std::shared_ptr<RunSignals> run;
  std::unique_ptr<ConnectAttempt> attempt;
  ConnectEnvironment environment;
};

// Sets one data connection up, on the calling thread: connect within the time,
// send the kind byte, read the server's 16-bit word, which must be 1. When the
// source does not answer, its user's server is looked up again and, when it
// moved, the stored sources follow and the new address is tried once.
void connect_attempt(ConnectAttempt& attempt, const ConnectEnvironment& environment);

// The connect worker's handler (LocalServer::set_connect_handler): carries out
// a TM_CONNECT_REQUEST and hands the attempt to its run; a run that has ended
// is skipped.
void handle_connect_request(core::Message& message);

}  // namespace dovel::download
