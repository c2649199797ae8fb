#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dovel::ui {

// The whole fetch of the page takes at most this long, and the page at most this many bytes.
inline constexpr int kRecommendationLimitMs = 5000;
inline constexpr size_t kRecommendationMaxBytes = 256 * 1024;

// The service's recommendation page for a keyword, relative to the web host:
// "/app/recommend_dovel.html?q_keyword=" and the keyword's CP949 form URL-encoded
// (its UTF-8 form when it has none).
std::string recommendation_page_path(std::string_view keyword);

// A page body as UTF-8: kept when it is UTF-8 already, else read as CP949 (the
// service's pages); "" when it is neither.
std::string page_text_utf8(std::string_view body);

// The recommendation page for a keyword from the web host, as UTF-8 text; ""
// when it could not be fetched in time or is too large. Blocks: for the side
// pane's worker (SearchCommands::fetch_page).
std::string fetch_recommendation_page(std::string_view web_base, std::string_view keyword);

}  // namespace dovel::ui
