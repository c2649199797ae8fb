#pragma once

#include <cstdint>
#include <string>

namespace dovel::browse {

// The kind column of a listing row, as text so that sorting keeps the order
// back row, share roots, parent row, folders, files.
inline constexpr const char* kBackRowKind = "";
inline constexpr const char* kShareRootKind = "0";
inline constexpr const char* kParentKind = "1";
inline constexpr const char* kFolderKind = "2";
inline constexpr const char* kFileKind = "3";

// The attribute bits a listing carries (the share's flags).
inline constexpr uint32_t kAdultBit = 4;
inline constexpr uint32_t kFriendBit = 8;
inline constexpr uint32_t kSecretBit = 16;

// One row of a remote folder listing, with the values of all ten columns of
// the browse list. Texts are local (UTF-8).
struct ListingRow {
  std::string shown_name;      // 0 "파일": the name as shown (masked)
  std::string size_text;       // 1 "크기"
  std::string time_text;       // 2 "시간"
  std::string attribute_text;  // 3 "권한"
  int64_t size = 0;            // 4
  uint32_t attributes = 0;     // 5
  std::string kind;            // 6: kBackRowKind .. kFileKind
  std::string hash;            // 7: not filled by the listing
  std::string encoded_name;    // 8: the name in the letter-pair encoding
  uint64_t time = 0;           // 9: last-write time (FILETIME)
  std::string name;            // the name as the server knows it, for requests

  bool is_file() const { return kind == kFileKind; }
  bool is_share_root() const { return kind == kShareRootKind; }
  bool is_back_row() const { return kind == kBackRowKind; }
};

// Column 1: files in KB with thousands grouping and "KB" (a non-zero size
// under 2 KB shows 1), "<폴더>", "<루트폴더>", and for ".." rows "<이전페이지>"
// (attribute bits 0) or "<상위폴더>".
std::string size_column_text(const std::string& kind, const std::string& name, int64_t size, uint32_t attributes);
// Column 2: "%y-%m-%d %H:%M" in local time; empty when the time is 0 or cannot be shown.
std::string time_column_text(uint64_t filetime);
// Column 3: "성인", "친구", "비밀" joined by "/".
std::string attribute_column_text(uint32_t attributes);

}  // namespace dovel::browse
