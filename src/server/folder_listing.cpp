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

std::string folder_listing(const share::ServedTree& tree, const SharePlace& place) {
  std::string listing = "L";
  if (!tree.has_share(place.index)) return listing;
  const settings::SharedFolder& share = tree.folders()[static_cast<size_t>(place.index)];
  append_record(listing, "root\\" + share.name + place.relative_path());
  append_record(listing, base::string_printf("D|..|0|0|%u|", share.flags));

  std::optional<ServedFolder> folder = open_served_folder(tree, place.index, place.components);
  if (!folder) return listing;
  DIR* stream = ::fdopendir(folder->fd.release());
  if (stream == nullptr) return listing;
  while (dirent* entry = ::readdir(stream)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    if (::fstatat(::dirfd(stream), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool is_directory = S_ISDIR(status.st_mode);
    if (!is_directory && !S_ISREG(status.st_mode)) continue;
    if (!share::is_shareable_name(name)) continue;
    if (is_directory && !tree.serves_folder(place.index, folder->path / name)) continue;
    if (!is_directory && (status.st_size == 0 || !share::ServedTree::serves_file_named(name))) continue;
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
