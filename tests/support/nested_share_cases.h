#pragma once

#include <cstdint>

#include "settings/shared_folder.h"

namespace dovel::test {

// Two shares of a list stored before nesting was refused: the inner one's folder
// lies inside the outer one's. Whether what the inner folder holds is offered
// through each of them: only through a share that lacks no restriction of the other.
struct NestedShareCase {
  const char* what;
  uint32_t outer;
  uint32_t inner;
  bool through_outer;
  bool through_inner;
};

inline constexpr uint32_t kPublicShare = settings::SHARE_READ;
inline constexpr uint32_t kAdultShare = settings::SHARE_READ | settings::SHARE_ADULT;
inline constexpr uint32_t kFriendShare = settings::SHARE_READ | settings::SHARE_FRIEND;
inline constexpr uint32_t kSecretShare = settings::SHARE_READ | settings::SHARE_SECRET;

inline constexpr NestedShareCase kNestedShareCases[] = {
    {"public around secret", kPublicShare, kSecretShare, false, true},
    {"public around friend-only", kPublicShare, kFriendShare, false, true},
    {"public around adult", kPublicShare, kAdultShare, false, true},
    {"secret around public", kSecretShare, kPublicShare, true, false},
    {"friend-only around public", kFriendShare, kPublicShare, true, false},
    {"adult around public", kAdultShare, kPublicShare, true, false},
    {"adult around adult and secret", kAdultShare, kAdultShare | settings::SHARE_SECRET, false, true},
    {"adult around secret: each has what the other lacks", kAdultShare, kSecretShare, false, false},
    {"friend-only around secret", kFriendShare, kSecretShare, false, false},
    {"same flags, public", kPublicShare, kPublicShare, true, true},
    {"same flags, secret", kSecretShare, kSecretShare, true, true},
    {"same flags, adult and friend-only", kAdultShare | settings::SHARE_FRIEND, kAdultShare | settings::SHARE_FRIEND, true, true},
    {"read and write bits restrict nothing", kPublicShare | settings::SHARE_WRITE, 0, true, true},
};

}  // namespace dovel::test
