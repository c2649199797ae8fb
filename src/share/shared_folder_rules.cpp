#include "share/shared_folder_rules.h"

#include <algorithm>

#include "base/string_printf.h"
#include "share/shareable_name.h"
#include "util/file_utils.h"

namespace dovel::share {
namespace {

// A folder shared twice, or one shared folder inside another, would offer what
// the inner one holds under the outer one's access rules as well.
std::optional<std::string> check_nested_folders(const std::vector<settings::SharedFolder>& rows) {
  for (size_t first = 0; first < rows.size(); ++first) {
    for (size_t second = first + 1; second < rows.size(); ++second) {
      const int first_number = static_cast<int>(first + 1);
      const int second_number = static_cast<int>(second + 1);
      const std::string& a = rows[first].path;
      const std::string& b = rows[second].path;
      if (util::SameFolder(a, b)) {
        return base::string_printf("공유폴더 %d번째 폴더와 %d번째 폴더가 같습니다.\r\n\r\n같은 폴더를 두 번 공유할 수 없습니다. 다르게 설정해주십시요.",
                                   first_number, second_number);
      }
      const bool second_inside = util::FolderInside(b, a);
      if (second_inside || util::FolderInside(a, b)) {
        return base::string_printf("공유폴더 %d번째 폴더가 %d번째 폴더 안에 있습니다.\r\n\r\n공유폴더 안에 다른 공유폴더를 둘 수 없습니다. 다르게 설정해주십시요.",
                                   second_inside ? second_number : first_number, second_inside ? first_number : second_number);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> check_shared_folder_entry(const settings::SharedFolder& entry, const std::vector<settings::SharedFolder>& rows, EntryMode mode) {
  if (entry.name.empty()) return "공유이름이 비었습니다.";
  if (entry.path.empty()) return "폴더를 선택하지 않았습니다.";
  if (util::SameFolder(entry.path, "/")) return "윈도우 루트폴더는 사용하실수 없습니다.";
  if (!util::FolderExists(entry.path)) return "선택한 폴더가 존재하지 않습니다.";
  if (entry.name == "..") return "공유이름으로 ..을 사용할 수 없습니다.";
  // The stored list separates its fields with ';', and peers see the name.
  if (entry.name.find(';') != std::string::npos || entry.path.find(';') != std::string::npos) {
    return "공유이름과 공유폴더에는 ';'를 쓸 수 없습니다.";
  }
  if (!is_shareable_name(entry.name)) return "공유이름에 쓸 수 없는 글자가 있습니다.";
  if ((entry.flags & settings::SHARE_FRIEND) && (entry.flags & settings::SHARE_SECRET)) return "친구폴더와 비밀폴더는 함께 지정할 수 없습니다.";
  if (mode == EntryMode::Add) {
    auto same_name = [&](const settings::SharedFolder& row) { return row.name == entry.name; };
    auto same_folder = [&](const settings::SharedFolder& row) { return util::SameFolder(row.path, entry.path); };
    if (std::any_of(rows.begin(), rows.end(), same_name)) return "같은 이름이 이미 존재합니다.";
    if (std::any_of(rows.begin(), rows.end(), same_folder)) return "같은 폴더가 이미 존재합니다.";
  }
  return std::nullopt;
}

std::optional<std::string> check_shared_folder_list(const std::vector<settings::SharedFolder>& rows, std::string_view down_path,
                                                    std::string_view folder_pass) {
  bool has_secret = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (util::SameFolder(rows[i].path, down_path)) {
      return base::string_printf("다운폴더와 공유폴더 %d번째 폴더와 같습니다.\r\n\r\n다운폴더와 공유폴더는 같아서는 안됩니다. 다르게 설정해주십시요.",
                                 static_cast<int>(i + 1));
    }
    has_secret |= (rows[i].flags & settings::SHARE_SECRET) != 0;
  }
  if (std::optional<std::string> nesting = check_nested_folders(rows)) return nesting;
  if (has_secret && folder_pass.empty()) return "비밀폴더가 있습니다. 비밀폴더를 위한 암호를 설정해 주세요.";
  return std::nullopt;
}

bool modification_needs_rehash(const settings::SharedFolder& before, const settings::SharedFolder& after) {
  constexpr uint32_t kRestricting = settings::SHARE_FRIEND | settings::SHARE_SECRET;
  return !util::SameFolder(before.path, after.path) || (before.flags & kRestricting) != (after.flags & kRestricting);
}

std::string ShareFlagsText(uint32_t flags) {
  std::string text;
  if (flags & settings::SHARE_ADULT) text += "성인";
  if (flags & settings::SHARE_FRIEND) text += "/친구";
  if (flags & settings::SHARE_SECRET) text += "/비밀";
  size_t start = text.find_first_not_of('/');
  return start == std::string::npos ? std::string() : text.substr(start);
}

}  // namespace dovel::share
