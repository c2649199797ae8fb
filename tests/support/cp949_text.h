#pragma once

#include <string>
#include <string_view>

#include "platform/cp949.h"

namespace dovel::test {

// The CP949 form of a text the test knows to have one, as a peer or the service sends it.
inline std::string cp949(std::string_view utf8) { return platform::utf8_to_cp949(utf8).value(); }

}  // namespace dovel::test
