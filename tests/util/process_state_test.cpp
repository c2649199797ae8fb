// The process-wide texts: the last error and the current user ID.
#include <gtest/gtest.h>

#include <string>

#include "util/current_user.h"
#include "util/last_error.h"

namespace dovel::util {
namespace {

TEST(LastError, KeepsAtMost511BytesOnACharacterBoundary) {
  SetLastErrorText("%s", std::string(600, 'x').c_str());
  EXPECT_EQ(LastErrorText(), std::string(511, 'x'));

  // 170 Korean characters are 510 bytes; one more would end at byte 513.
  std::string korean;
  for (int i = 0; i < 171; ++i) korean += "가";
  SetLastErrorText("%s", korean.c_str());
  EXPECT_EQ(LastErrorText().size(), 510u);

  SetLastErrorText("%d번째 공유이름이 없습니다.", 2);
  EXPECT_EQ(LastErrorText(), "2번째 공유이름이 없습니다.");
}

TEST(CurrentUser, StartsAsGuestAndFollowsLogin) {
  EXPECT_EQ(CurrentUserId(), kGuestUserId);
  EXPECT_TRUE(IsGuest());
  SetCurrentUserId("mimi");
  EXPECT_EQ(CurrentUserId(), "mimi");
  EXPECT_FALSE(IsGuest());
  SetCurrentUserId(kGuestUserId);
  EXPECT_TRUE(IsGuest());
}

}  // namespace
}  // namespace dovel::util
