#include "browse/listing_row.h"

#include <ctime>

#include "util/format.h"

namespace dovel::browse {
namespace {

// FILETIME counts 100 ns from 1601; Unix time seconds from 1970.
constexpr uint64_t kFiletimePerSecond = 10000000;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ULL;

}  // namespace

std::string size_column_text(const std::string& kind, const std::string& name, int64_t size, uint32_t attributes) {
  if (kind == kShareRootKind) return "<루트폴더>";
  if (name == ".." && kind != kFileKind) return attributes == 0 ? "<이전페이지>" : "<상위폴더>";
  if (kind != kFileKind) return "<폴더>";
  int64_t kilobytes = size >> 10;
  if (size > 0 && size < 2048) kilobytes = 1;
  return util::FormatNumber(kilobytes) + "KB";
}

std::string time_column_text(uint64_t filetime) {
  if (filetime == 0) return {};
  const uint64_t seconds = filetime / kFiletimePerSecond;
  if (seconds < kSecondsFrom1601To1970) return {};
  const time_t unix_time = static_cast<time_t>(seconds - kSecondsFrom1601To1970);
  tm local{};
  if (::localtime_r(&unix_time, &local) == nullptr) return {};
  char text[64];
  if (std::strftime(text, sizeof text, "%y-%m-%d %H:%M", &local) == 0) return {};
  return text;
}

std::string attribute_column_text(uint32_t attributes) {
  std::string text;
  if (attributes & kAdultBit) text += "성인";
  if (attributes & kFriendBit) text += "/친구";
  if (attributes & kSecretBit) text += "/비밀";
  if (!text.empty() && text.front() == '/') text.erase(0, 1);
  return text;
}

}  // namespace dovel::browse
