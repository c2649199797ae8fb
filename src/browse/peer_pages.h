#pragma once

#include <string>
#include <string_view>

#include "browse/session_replies.h"

namespace dovel::browse {

// Letters and digits kept, a blank as "+", every other byte as "%" and two hex digits.
std::string url_encoded(std::string_view bytes);

// The peer's home page on the service's web site: "/client/hompy.html?q_id_userid=%s"
// with the ID in the letter-pair encoding, URL-encoded.
std::string home_page_url(std::string_view web_base, std::string_view peer_id);

// The page text with its active parts disarmed as the browse window did: the
// whole text lower-cased, then for "script", "object", "frame" and "iframe" in
// turn every "<" before the tag name written "&lt" and every "</" "&lt/".
std::string neutralised_intro(std::string_view page);

// The peer's introduction, kept as data: nothing is rendered, run or written
// here; a front shows the address or the page (without scripts).
struct PeerIntro {
  enum class Kind { None, WebAddress, Page };
  Kind kind = Kind::None;
  std::string url;   // WebAddress: "http://" + the address
  std::string page;  // Page: the page text (neutralised when asked)
};

// Kind 1 is a web address, opened unless it points into the service's own
// domain; any other kind is a page, neutralised when `no_script` is set.
PeerIntro peer_intro_of(const PeerIntroReply& reply, std::string_view web_base, bool no_script);

}  // namespace dovel::browse
