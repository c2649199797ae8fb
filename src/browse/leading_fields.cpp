#include "browse/leading_fields.h"

namespace dovel::browse {

std::vector<std::string_view> leading_fields(std::string_view text, char separator, size_t most) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (fields.size() < most) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      fields.push_back(text.substr(start));
      break;
    }
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

}  // namespace dovel::browse
