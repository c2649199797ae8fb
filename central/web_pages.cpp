#include "central/web_pages.h"

namespace dovel::central {

std::string status_file() {
  return "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
         "<dovel>\n"
         "  <config magic=\"0\" psub=\"0\"/>\n"
         "  <status checking=\"0\" message=\"\" endtime=\"\"/>\n"
         "</dovel>\n";
}

std::string update_list() {
  return "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
         "<update>\n"
         "</update>\n";
}

std::string warning_status(const std::optional<Account>& account) {
  if (!account) return "0\x06" "0\x06";
  return std::to_string(account->warning_level) + '\x06' + std::to_string(account->suspension_kind) + '\x06' + account->warning_text;
}

std::string placeholder_page() {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\"><title>Dovel</title></head>"
         "<body><p>도벨 로컬 서비스 (dovel-central)</p></body></html>";
}

std::string empty_page() {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\"></head><body></body></html>";
}

}  // namespace dovel::central
