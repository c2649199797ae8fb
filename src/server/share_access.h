#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "server/share_server_context.h"

namespace dovel::server {

// Who asks to see a share, as this share server knows them.
struct ShareVisitor {
  bool is_owner = false;    // the peer's user ID is the owner's own, in any letter case
  bool is_friend = false;   // on the owner's friend list
  bool is_blocked = false;  // on the owner's block list
  bool is_adult = false;    // announced adult status
  // The folder password the request carries; none for a way of asking that
  // cannot carry one (a search, the side channel).
  std::optional<std::string_view> password = std::nullopt;
};

enum class ShareAccess { Granted, Blocked, AdultOnly, FriendsOnly, WrongPassword };

// May the visitor see, list, look into or download from a share with these
// flags? The one rule for browsing, folder lists, the side channel, download
// requests and search answers. Checked in this order: a blocked visitor sees
// nothing; an adult share needs adult status; a friend-only share needs the
// owner or a friend; a secret share needs the folder password (an empty
// password never opens it, and neither does no password at all).
ShareAccess decide_share_access(uint32_t share_flags, const ShareVisitor& visitor, std::string_view folder_password);

// The visitor a peer with this user ID is: owner, friend and block list from the context.
ShareVisitor visitor_of(const ShareServerContext& context, std::string_view peer_id, bool is_adult, std::optional<std::string_view> password);

}  // namespace dovel::server
