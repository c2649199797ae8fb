#include "download/leftover_question.h"

#include "base/string_printf.h"
#include "download/download_names.h"
#include "util/format.h"

namespace dovel::download {

std::string leftover_files_question(const std::vector<LeftoverFile>& leftovers) {
  if (leftovers.empty()) return {};
  std::string text =
      "임시폴더에 정리되지 않은 파일들이 있습니다.\r\n"
      "이는 보통 다운로드완료시 다른 프로그램이 해당파일을 잡고 있어 임시폴더에서 다운폴더로 옮기지 못한 경우가 대부분입니다.\r\n\r\n";
  for (size_t index = 0; index < leftovers.size() && index < kMostLeftoversNamed; ++index) {
    text += base::string_printf("%s(%s)\r\n", printable_name(leftovers[index].name).c_str(), util::FormatNumber(leftovers[index].size).c_str());
  }
  if (leftovers.size() > kMostLeftoversNamed) text += base::string_printf("... 외 %zu개\r\n", leftovers.size() - kMostLeftoversNamed);
  text += "\r\n탐색기로 확인하시겠습니까?";
  return text;
}

}  // namespace dovel::download
