#pragma once

#include <string>
#include <string_view>

#include "browse/session_replies.h"
#include "browse/session_target.h"
#include "platform/stop_signal.h"

namespace dovel::browse {

// What a control session tells its owner (the remote browser), called on the
// session's own thread. The owner must not stop or join the session from
// inside these calls.
class SessionEvents {
 public:
  virtual ~SessionEvents() = default;

  // The thread began: the remembered folder password is forgotten.
  virtual void session_started() = 0;
  // Before connecting, on the session's thread: the checks and look-ups that
  // may block (the service connection, the peer's address). May fill in the
  // target's address and port; false ends the session (the reason is told).
  // `stop` is stopped when the owner stops the session: a look-up watches it.
  virtual bool prepare(SessionTarget& target, platform::StopSignal& stop) = 0;
  // The connection is up; the greeting follows.
  virtual void session_connected() = 0;
  // Reply 'L', its body in wire form.
  virtual void listing_arrived(std::string_view wire_body) = 0;
  virtual void status_arrived(const ServerStatusLines& lines) = 0;
  virtual void identity_arrived(const PeerIdentity& identity) = 0;
  virtual void intro_arrived(const PeerIntroReply& intro) = 0;
  // A line for the user: the status view and the system log.
  virtual void system_message(const std::string& text) = 0;
  // Reply 'P': the password was wrong; the remembered one is forgotten.
  virtual void password_refused() = 0;
  // Reply 'X': the folder was refused by the adult or friend-only rule.
  virtual void access_refused() = 0;
  // Reply 'H': queue the file. False when it could not be queued (the session ends).
  virtual bool file_hash_arrived(const FileHashReply& reply) = 0;
  // The session is over (connection closed, refused or stopped).
  virtual void session_ended() = 0;
};

// Reply 'Z', the list of a folder to download, in wire form. The folder
// download comes with its own issue; until then nobody takes the list.
class FolderListSink {
 public:
  virtual ~FolderListSink() = default;
  virtual void folder_list_arrived(std::string_view wire_body) = 0;
};

}  // namespace dovel::browse
