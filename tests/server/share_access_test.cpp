// The one rule that decides whether a peer may see a share, for every way of
// asking: a folder change, a folder list, the side channel, a download, a search.
#include "server/share_access.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "service/service_session.h"
#include "service/user_list_store.h"
#include "settings/shared_folder.h"

namespace dovel::server {
namespace {

using settings::SHARE_ADULT;
using settings::SHARE_FRIEND;
using settings::SHARE_READ;
using settings::SHARE_SECRET;

constexpr std::string_view kFolderPassword = "열쇠";

enum class Who { Owner, Friend, Stranger };

struct Case {
  uint32_t flags;
  Who who;
  bool blocked;
  bool adult;
  std::optional<std::string_view> password;
  ShareAccess expected;
};

ShareVisitor visitor(const Case& c) {
  return {c.who == Who::Owner, c.who == Who::Friend, c.blocked, c.adult, c.password};
}

TEST(ShareAccess, EveryCombinationHasOneAnswer) {
  const std::optional<std::string_view> none;
  const std::optional<std::string_view> right = kFolderPassword;
  const std::optional<std::string_view> wrong = std::string_view("열쇠2");
  const std::optional<std::string_view> empty = std::string_view();
  const Case cases[] = {
      // A plain share is open to everyone who is not blocked.
      {SHARE_READ, Who::Stranger, false, false, none, ShareAccess::Granted},
      {SHARE_READ, Who::Stranger, true, true, right, ShareAccess::Blocked},
      {SHARE_READ, Who::Owner, true, true, none, ShareAccess::Blocked},
      // Adult shares need adult status, whoever asks.
      {SHARE_READ | SHARE_ADULT, Who::Stranger, false, true, none, ShareAccess::Granted},
      {SHARE_READ | SHARE_ADULT, Who::Stranger, false, false, right, ShareAccess::AdultOnly},
      {SHARE_READ | SHARE_ADULT, Who::Owner, false, false, none, ShareAccess::AdultOnly},
      {SHARE_READ | SHARE_ADULT, Who::Friend, false, false, none, ShareAccess::AdultOnly},
      // Friend-only shares: the owner and the owner's friends.
      {SHARE_READ | SHARE_FRIEND, Who::Owner, false, false, none, ShareAccess::Granted},
      {SHARE_READ | SHARE_FRIEND, Who::Friend, false, false, none, ShareAccess::Granted},
      {SHARE_READ | SHARE_FRIEND, Who::Stranger, false, true, right, ShareAccess::FriendsOnly},
      {SHARE_READ | SHARE_FRIEND, Who::Friend, true, true, none, ShareAccess::Blocked},
      {SHARE_READ | SHARE_FRIEND | SHARE_ADULT, Who::Friend, false, false, none, ShareAccess::AdultOnly},
      {SHARE_READ | SHARE_FRIEND | SHARE_ADULT, Who::Friend, false, true, none, ShareAccess::Granted},
      // Secret shares: the folder password, for the owner too.
      {SHARE_READ | SHARE_SECRET, Who::Stranger, false, false, right, ShareAccess::Granted},
      {SHARE_READ | SHARE_SECRET, Who::Stranger, false, false, wrong, ShareAccess::WrongPassword},
      {SHARE_READ | SHARE_SECRET, Who::Stranger, false, false, empty, ShareAccess::WrongPassword},
      {SHARE_READ | SHARE_SECRET, Who::Stranger, false, false, none, ShareAccess::WrongPassword},
      {SHARE_READ | SHARE_SECRET, Who::Owner, false, true, none, ShareAccess::WrongPassword},
      {SHARE_READ | SHARE_SECRET, Who::Friend, false, true, wrong, ShareAccess::WrongPassword},
      {SHARE_READ | SHARE_SECRET | SHARE_ADULT, Who::Stranger, false, false, right, ShareAccess::AdultOnly},
      {SHARE_READ | SHARE_SECRET | SHARE_ADULT, Who::Stranger, false, true, right, ShareAccess::Granted},
      {SHARE_READ | SHARE_SECRET, Who::Stranger, true, false, right, ShareAccess::Blocked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", who " << static_cast<int>(c.who) << ", blocked " << c.blocked << ", adult "
                                    << c.adult << ", password " << (c.password ? std::string(*c.password) : "(none)"));
    EXPECT_EQ(decide_share_access(c.flags, visitor(c), kFolderPassword), c.expected);
  }
}

TEST(ShareAccess, AnEmptyFolderPasswordOpensNothing) {
  EXPECT_EQ(decide_share_access(SHARE_SECRET, {.password = std::string_view()}, ""), ShareAccess::WrongPassword);
}

TEST(ShareAccess, TheVisitorComesFromTheOwnersListsAndIdentity) {
  service::ServiceSession session;
  session.set_identity({"Owner", 5, "label", "a", "b"});
  service::UserListStore friends("buddy");
  service::UserListStore blocks("black");
  friends.set_entries({{"pal", ""}});
  blocks.set_entries({{"pest", ""}});
  ShareServerContext context;
  context.session = &session;
  context.friends = &friends;
  context.blocks = &blocks;

  const ShareVisitor owner = visitor_of(context, "oWNER", true, std::nullopt);
  EXPECT_TRUE(owner.is_owner) << "the ID compares without regard to letter case";
  EXPECT_FALSE(owner.is_friend);
  EXPECT_TRUE(owner.is_adult);
  EXPECT_TRUE(visitor_of(context, "pal", false, std::nullopt).is_friend);
  EXPECT_TRUE(visitor_of(context, "pest", false, std::nullopt).is_blocked);
  const ShareVisitor nobody = visitor_of(context, "", false, std::string_view("pw"));
  EXPECT_FALSE(nobody.is_owner || nobody.is_friend || nobody.is_blocked) << "a peer without an ID is nobody in particular";
  EXPECT_EQ(nobody.password, std::string_view("pw"));
}

}  // namespace
}  // namespace dovel::server
