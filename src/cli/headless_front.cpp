#include "cli/headless_front.h"

#include "base/text.h"
#include "util/log_files.h"

namespace dovel::cli {
namespace {

void log_text(const std::string& text) {
  for (const std::string& line : base::split(text, '\n')) {
    const std::string_view trimmed = base::trim(line);
    if (!trimmed.empty()) util::LogSystem("%.*s", static_cast<int>(trimmed.size()), trimmed.data());
  }
}

}  // namespace

void HeadlessFront::ask_for_login() {
  util::LogSystem("저장된 로그인 정보가 없습니다. dovel-tool login --home DIR ID PASSWORD 로 저장하세요.");
}

void HeadlessFront::show_server_lists(const service::ServerLists& lists) {
  const std::string header = service::server_list_header(lists);
  util::LogSystem("%s", header.c_str());
}

void HeadlessFront::open_page_window(const std::string& url) { util::LogSystem("%s", url.c_str()); }

void HeadlessFront::show_file_link(const std::string& link) { util::LogSystem("%s", link.c_str()); }

void HeadlessFront::show_service_notice(const std::string& text) { log_text(text); }

void HeadlessFront::notify_download_finished(const std::string& text) { log_text(text); }

void HeadlessFront::show_point_balance(const std::string& lines) { log_text(lines); }

void HeadlessFront::show_point_shortage() { util::LogSystem("포인트부족"); }

bool PolicyPrompt::ask(Question question, const std::string& text) {
  const bool yes = question != Question::SwitchUser;
  log_text(text);
  util::LogSystem("%s", yes ? "예" : "아니오");
  return yes;
}

void PolicyPrompt::tell(const std::string& text) { log_text(text); }

}  // namespace dovel::cli
