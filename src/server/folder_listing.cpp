#include "server/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>

#include "base/string_printf.h"
#include "platform/filetime.h"
#include "share/shareable_name.h"
#include "wire/peer_frame.h"
#include "wire/wire_text.h"

namespace dovel::server {
namespace {

struct FolderIdentity {
  dev_t device = 0;
  ino_t inode = 0;
};

bool is_folder(const std::filesystem::path& path, FolderIdentity& identity) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  identity = {status.st_dev, status.st_ino};
  return true;
}

// Appends one "*"-ended record in its wire form; false (nothing appended) when
// it has no CP949 form or the listing would grow past a frame.
bool append_record(std::string& listing, const std::string& utf8_record) {
  const std::optional<std::string> record = wire::field(utf8_record);
  if (!record || listing.size() + record->size() + 1 > wire::kMaxServerFrameLength) return false;
  listing += *record;
  listing += '*';
  return true;
}

}  // namespace

std::string root_listing(const std::vector<settings::SharedFolder>& shares) {
  std::string listing = "Lroot*";
  for (const settings::SharedFolder& folder : shares) append_record(listing, base::string_printf("R|%s|0|0|%u", folder.name.c_str(), folder.flags));
  return listing;
}

std::string folder_listing(const settings::SharedFolder& share, const SharePlace& place, const std::filesystem::path& partial_folder) {
  std::string listing = "L";
  append_record(listing, "root\\" + share.name + place.relative_path());
  append_record(listing, base::string_printf("D|..|0|0|%u|", share.flags));

  platform::UniqueFd folder = open_share_folder(share, place.components);
  if (!folder.valid()) return listing;
  DIR* stream = ::fdopendir(folder.release());
  if (stream == nullptr) return listing;
  FolderIdentity partial;
  const bool has_partial = is_folder(partial_folder, partial);
  while (dirent* entry = ::readdir(stream)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    if (::fstatat(::dirfd(stream), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool is_directory = S_ISDIR(status.st_mode);
    if (!is_directory && !S_ISREG(status.st_mode)) continue;
    if (!share::is_shareable_name(name)) continue;
    if (is_directory && has_partial && status.st_dev == partial.device && status.st_ino == partial.inode) continue;
    if (!is_directory && (status.st_size == 0 || is_partial_download_name(name))) continue;
    const int64_t size = is_directory ? 0 : status.st_size;
    const uint64_t written = platform::filetime_from_timespec(status.st_mtim);
    if (!append_record(listing, base::string_printf("%c|%s|%" PRId64 "|%" PRIu64 "|%u|", is_directory ? 'D' : 'F', name.c_str(), size,
                                                    written, share.flags))) {
      if (listing.size() + 300 > wire::kMaxServerFrameLength) break;
    }
  }
  ::closedir(stream);
  return listing;
}

}  // namespace dovel::server
