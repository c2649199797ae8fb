#pragma once

#include <chrono>

#include "app/control_channel.h"
#include "browse/remote_browser.h"

namespace dovel::app {

inline constexpr std::chrono::milliseconds kBrowseAnswerWait{30000};

// The browsing commands of the control socket, each answered with the listing
// it led to (or the reason it did not):
//   browse TARGET     a user ID, or ADDRESS:PORT
//   cd PATH           a folder or share of the current listing; "a\b" goes down
//                     step by step, ".." up, a leading "\" starts from the top
//   password TEXT     the folder password for the next protected share
//   get NAME...       queues files of the current folder, as the browse window
//                     does ("a|b" for several, or names separated by blanks)
void add_browse_control_commands(ControlTarget& target, browse::RemoteBrowser& browser,
                         std::chrono::milliseconds wait = kBrowseAnswerWait);

}  // namespace dovel::app
