#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/peer_database.h"
#include "server/share_place.h"
#include "server/share_server_context.h"
#include "server/upload_monitor.h"

namespace dovel::server {

// One hash request ('H', 'K' or 'R') for the session's hash worker.
struct HashJob {
  char letter = 'H';
  std::string request;        // "name|size" as received (CP949)
  std::string relative_path;  // the session's folder inside its share
  settings::ShareIndex index = -1;
  // The shares the peer may see when the request was made; a file is looked for in no other.
  std::vector<settings::ShareIndex> visible_shares;
};

// The browsing protocol of one control connection, without the socket: takes
// the peer's messages and says what to answer. Every path a peer names is
// walked component by component below the share; every share it enters passes
// the adult, friend-only and secret rules first.
class ControlHandler {
 public:
  struct Outcome {
    bool keep_open = true;
    std::vector<std::string> replies;  // payloads in wire form
    std::optional<HashJob> hash_job;
  };

  ControlHandler(ShareServerContext& context, PeerDatabase& database, std::shared_ptr<ConnectedPeer> peer);

  // The frames that open a session: identity, introduction page, status, "5".
  // None when the owner's identity has no wire form: the peer cannot be served.
  std::vector<std::string> greeting() const;
  Outcome handle(std::string_view payload);

  // Answers one hash request with the worker's own database; nullopt when the
  // request is malformed and gets no answer.
  static std::optional<std::string> answer_hash_job(ShareServerContext& context, PeerDatabase& database, const HashJob& job);

  const SharePlace& place() const { return place_; }

 private:
  enum class Access { Granted, Refused, WrongPassword };

  // The introduction page or its address; none when it has no wire form.
  std::optional<std::string> intro_frame() const;
  // The shares the peer may see now, with the folder password the session holds.
  std::vector<settings::ShareIndex> visible_shares() const;

  Outcome change_folder(std::string_view body);
  Outcome change_folder_to(SharePlace target, const std::vector<settings::ShareIndex>& entered, const std::string& password);
  Outcome identify(std::string_view body);
  Outcome find_by_hash(std::string_view body);
  Outcome hash_request(char letter, std::string_view body);
  Outcome list_current();
  Outcome folder_download(std::string_view body);

  Access check_access(settings::ShareIndex index, const std::string& password);
  // The rules for a share the session was placed in without entering it.
  std::optional<std::string> refusal_for_pending_share(const std::string& password);
  std::string listing() const;

  ShareServerContext& context_;
  PeerDatabase& database_;
  std::shared_ptr<ConnectedPeer> peer_;
  std::string peer_id_;
  bool peer_adult_ = false;
  SharePlace place_;
  std::string held_password_;
  bool access_pending_ = false;
};

}  // namespace dovel::server
