#include "central/web_pages.h"

namespace dovel::central {
namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n";

// A text as the value of a double-quoted attribute. Line breaks are written as
// references so that a parser hands them back instead of folding them to blanks.
std::string attribute_value(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\r': escaped += "&#13;"; break;
      case '\n': escaped += "&#10;"; break;
      case '\t': escaped += "&#9;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string attribute(const char* name, const std::string& value) { return std::string(" ") + name + "=\"" + attribute_value(value) + "\""; }

}  // namespace

std::string status_file(const StatusFileFields& fields) {
  return std::string(kXmlDeclaration) + "<dovel>\n" +
         "  <config" + attribute("magic", fields.magic) + attribute("psub", fields.psub) + "/>\n" +
         "  <status" + attribute("checking", fields.checking) + attribute("message", fields.message) + attribute("endtime", fields.endtime) + "/>\n" +
         "</dovel>\n";
}

std::string update_list(const std::vector<UpdateListEntry>& files) {
  std::string list = std::string(kXmlDeclaration) + "<update>\n";
  for (const UpdateListEntry& file : files) {
    list += "  <file" + attribute("name", file.name) + attribute("version", file.version);
    if (!file.check_size.empty()) list += attribute("check_size", file.check_size);
    list += "/>\n";
  }
  return list + "</update>\n";
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
