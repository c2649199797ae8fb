#include "ui/search/recommend_page.h"

#include <optional>

#include "browse/peer_pages.h"
#include "platform/cp949.h"
#include "util/http_get.h"

namespace dovel::ui {

std::string recommendation_page_path(std::string_view keyword) {
  const std::optional<std::string> cp949 = platform::utf8_to_cp949(keyword);
  return "/app/recommend_dovel.html?q_keyword=" + browse::url_encoded(cp949 ? *cp949 : std::string(keyword));
}

std::string page_text_utf8(std::string_view body) {
  if (platform::is_valid_utf8(body)) return std::string(body);
  return platform::cp949_to_utf8(body).value_or(std::string());
}

std::string fetch_recommendation_page(std::string_view web_base, std::string_view keyword) {
  std::string body;
  if (!util::HttpGetWithin(web_base, kRecommendationLimitMs, recommendation_page_path(keyword), body, kRecommendationMaxBytes)) return {};
  return page_text_utf8(body);
}

}  // namespace dovel::ui
