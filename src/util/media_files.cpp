#include "util/media_files.h"

#include "base/text.h"

namespace dovel::util {

const std::set<std::string, std::less<>>& MediaExtensions() {
  static const std::set<std::string, std::less<>> extensions = {
      "avi", "svi", "asf", "mpg", "mpeg", "asx", "wmv", "ra",  "mp4", "wma", "divx", "wm", "wmp", "wvx",
      "mpe", "m1v", "m2v", "dat", "vob",  "ogm", "mkv", "ifo", "mp3", "ogg", "mov",  "tp", "trp", "ts"};
  return extensions;
}

bool IsMediaFile(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  return MediaExtensions().count(base::ascii_lower(name.substr(dot + 1))) > 0;
}

}  // namespace dovel::util
