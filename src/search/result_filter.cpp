#include "search/result_filter.h"

#include "base/text.h"
#include "settings/shared_folder.h"

namespace dovel::search {
namespace {

std::string_view extension_of(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view stem_of(std::string_view name) { return name.substr(0, name.rfind('.')); }

bool listed(const wire::ResultRecord& record, const browse::ContentLists& lists) {
  if (lists.forbidden_name(record.name)) return true;
  if (record.is_file()) {
    const std::string_view extension = extension_of(record.name);
    if (!extension.empty() && lists.forbidden_extension(base::ascii_lower(extension))) return true;
    if (lists.restricted_file_name(stem_of(record.name))) return true;
  } else if (lists.restricted_folder_name(record.name)) {
    return true;
  }
  return !record.hash.empty() && lists.forbidden_file(record.hash);
}

}  // namespace

std::optional<std::string> shown_name(const wire::ResultRecord& record, const ResultRules& rules) {
  if ((record.right & settings::SHARE_ADULT) != 0 && !rules.adult) return std::nullopt;
  if (rules.transfer_flag) return record.name;
  if (listed(record, *rules.lists)) return std::nullopt;
  return rules.lists->masked(record.name);
}

}  // namespace dovel::search
