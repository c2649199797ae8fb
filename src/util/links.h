#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace dovel::util {

// The dovel:// links the program hands to the clipboard and to chat texts.

// "dovel://file/NAME:HASH:SIZE" (download list).
std::string FileLink(std::string_view name, std::string_view hash, int64_t size);
// "dovel://file/NAME:HASH:SIZE" with the size as shown, its "," removed (search results).
std::string FileLinkFromSizeText(std::string_view name, std::string_view hash, std::string_view size_text);
// "dovel://file/SOURCE/NAME:HASH:SIZE" with the fields of a peer's reply.
std::string FileLinkWithSource(std::string_view source, std::string_view name, std::string_view hash, std::string_view size_text);
// "dovel://server_e/ADDRESS:PORT", both parts encoded.
std::string ServerLink(platform::Ipv4 address, uint16_t port);
// "dovel://server_e/ID" with the user ID encoded (links inside chat texts).
std::string ServerLinkForUser(std::string_view user_id);

}  // namespace dovel::util
