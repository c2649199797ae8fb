#include "server/share_access.h"

#include "base/text.h"
#include "settings/shared_folder.h"

namespace dovel::server {

ShareAccess decide_share_access(uint32_t share_flags, const ShareVisitor& visitor, std::string_view folder_password) {
  if (visitor.is_blocked) return ShareAccess::Blocked;
  if ((share_flags & settings::SHARE_ADULT) != 0 && !visitor.is_adult) return ShareAccess::AdultOnly;
  if ((share_flags & settings::SHARE_FRIEND) != 0 && !visitor.is_owner && !visitor.is_friend) return ShareAccess::FriendsOnly;
  if ((share_flags & settings::SHARE_SECRET) != 0 && (!visitor.password || visitor.password->empty() || *visitor.password != folder_password)) {
    return ShareAccess::WrongPassword;
  }
  return ShareAccess::Granted;
}

ShareVisitor visitor_of(const ShareServerContext& context, std::string_view peer_id, bool is_adult, std::optional<std::string_view> password) {
  ShareVisitor visitor;
  const bool named = !peer_id.empty();
  visitor.is_owner = named && context.session != nullptr && base::iequals_ascii(peer_id, context.session->identity().user_id);
  visitor.is_friend = named && context.friends != nullptr && context.friends->contains(peer_id);
  visitor.is_blocked = named && context.blocks != nullptr && context.blocks->contains(peer_id);
  visitor.is_adult = is_adult;
  visitor.password = password;
  return visitor;
}

}  // namespace dovel::server
