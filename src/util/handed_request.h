#pragma once

#include <optional>
#include <string_view>

#include "util/launch_request.h"

namespace dovel::util {

// A request text that came from outside this copy: the command line, a second
// copy, the launcher channel or the control socket. Only valid UTF-8 goes on to
// the parser; a text refused either way is told in the system log.
std::optional<CLaunchRequest> ReadHandedRequest(std::string_view text);

}  // namespace dovel::util
