#include "browse/peer_pages.h"

#include "base/text.h"
#include "service/service_domain.h"
#include "util/letter_pair.h"

namespace dovel::browse {
namespace {

constexpr const char* kHomePage = "/client/hompy.html?q_id_userid=";
constexpr const char* kActiveTags[] = {"script", "object", "frame", "iframe"};

// Every `from` replaced by `to` in one pass (a page may be megabytes long).
std::string replaced(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  result.reserve(text.size());
  size_t position = 0;
  for (size_t found; (found = text.find(from, position)) != std::string_view::npos; position = found + from.size()) {
    result.append(text, position, found - position);
    result.append(to);
  }
  result.append(text, position);
  return result;
}

bool is_alphanumeric(unsigned char byte) { return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'); }

}  // namespace

std::string url_encoded(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (is_alphanumeric(byte)) {
      encoded += c;
    } else if (c == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string home_page_url(std::string_view web_base, std::string_view peer_id) {
  return std::string(web_base) + kHomePage + url_encoded(util::EncodeWire(peer_id));
}

std::string neutralised_intro(std::string_view page) {
  std::string text = base::ascii_lower(page);
  for (const char* tag : kActiveTags) {
    text = replaced(text, std::string("<") + tag, std::string("&lt") + tag);
    text = replaced(text, std::string("</") + tag, std::string("&lt/") + tag);
  }
  return text;
}

PeerIntro peer_intro_of(const PeerIntroReply& reply, std::string_view web_base, bool no_script) {
  PeerIntro intro;
  if (reply.kind == 1) {
    if (!reply.text.empty() && !service::mentions_service_domain(reply.text, web_base)) {
      intro.kind = PeerIntro::Kind::WebAddress;
      intro.url = "http://" + reply.text;
    }
    return intro;
  }
  intro.kind = PeerIntro::Kind::Page;
  intro.page = no_script ? neutralised_intro(reply.text) : reply.text;
  return intro;
}

}  // namespace dovel::browse
