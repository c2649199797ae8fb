#include "server/folder_download_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>

#include "base/string_printf.h"
#include "base/text.h"
#include "settings/setting_table.h"
#include "share/shareable_name.h"
#include "util/letter_pair.h"
#include "wire/wire_text.h"

namespace dovel::server {
namespace {

// Deep enough for any real tree; a deeper one is cut there rather than exhaust the stack.
constexpr int kMaxFolderDepth = 64;

class FileCollector {
 public:
  FileCollector(const share::ServedTree& tree, settings::ShareIndex index, int limit, const StoredHashLookup& stored_hash)
      : tree_(tree), index_(index), limit_(limit), stored_hash_(stored_hash) {}

  // `folder` is the canonical path of the folder `folder_fd` stands for.
  void collect(int folder_fd, const std::filesystem::path& folder, const std::string& sub_path, int depth) {
    DIR* stream = ::fdopendir(folder_fd);
    if (stream == nullptr) {
      ::close(folder_fd);
      return;
    }
    while (!full()) {
      dirent* entry = ::readdir(stream);
      if (entry == nullptr) break;
      const std::string name = entry->d_name;
      if (name == "." || name == ".." || !share::is_shareable_name(name)) continue;
      struct stat status {};
      if (::fstatat(::dirfd(stream), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISDIR(status.st_mode)) {
        if (depth >= kMaxFolderDepth || !tree_.serves_folder(index_, folder / name)) continue;
        int child = ::openat(::dirfd(stream), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child >= 0) collect(child, folder / name, sub_path + "\\" + name, depth + 1);
      } else if (S_ISREG(status.st_mode) && status.st_size > 0 && share::ServedTree::serves_file_named(name)) {
        add(sub_path, name, status.st_size);
      }
    }
    ::closedir(stream);
  }

  std::string records() const { return records_; }

 private:
  bool full() const { return count_ >= limit_; }

  void add(const std::string& sub_path, const std::string& name, int64_t size) {
    std::string record = sub_path + "\x06" + name + "\x06" + std::to_string(size) + "\x06" + stored_hash_(name, size);
    const std::optional<std::string> wire_record = wire::field(record);
    if (!wire_record) return;
    if (!records_.empty()) records_ += '\x07';
    records_ += *wire_record;
    ++count_;
  }

  const share::ServedTree& tree_;
  settings::ShareIndex index_;
  int limit_;
  const StoredHashLookup& stored_hash_;
  int count_ = 0;
  std::string records_;
};

}  // namespace

static_assert(settings::kMaxForFolderDown.range->count() == static_cast<int>(kFolderDownloadLimits.size()));

int folder_download_limit(uint32_t row) { return kFolderDownloadLimits[settings::kMaxForFolderDown.range->repair(row)]; }

std::optional<FolderDownloadRequest> parse_folder_download_path(std::string_view path, const settings::SharedFolder& share,
                                                                settings::ShareIndex index, int limit) {
  std::vector<std::string> components = base::split(path, '\\');
  if (!components.empty() && components.front().empty()) components.erase(components.begin());
  if (!components.empty() && base::iequals_ascii(components.front(), share.name) && components.size() > 1) {
    components.erase(components.begin());
  }
  if (components.empty() || components.back().empty()) return std::nullopt;
  for (const std::string& component : components) {
    if (component.empty() || component == "." || component == ".." || !share::is_shareable_name(component)) return std::nullopt;
  }
  FolderDownloadRequest request;
  request.index = index;
  request.folder_name = components.back();
  components.pop_back();
  request.parent = components;
  for (const std::string& component : request.parent) request.parent_path += "\\" + component;
  request.limit = limit;
  return request;
}

std::optional<std::string> folder_download_list(const share::ServedTree& tree, const FolderDownloadRequest& request,
                                                const service::SessionIdentity& owner, const StoredHashLookup& stored_hash) {
  std::vector<std::string> components = request.parent;
  components.push_back(request.folder_name);
  std::optional<ServedFolder> folder = open_served_folder(tree, request.index, components);
  if (!folder) return std::nullopt;

  FileCollector collector(tree, request.index, request.limit, stored_hash);
  collector.collect(folder->fd.release(), folder->path, "", 0);
  std::string header = base::string_printf("Z%s", request.folder_name.c_str());
  const std::optional<std::string> wire_header = wire::field(header);
  const std::optional<std::string> wire_fields = wire::field(base::string_printf("%d|%s|%s|%s|%d|%s|", request.limit, util::EncodeWire(owner.user_id).c_str(),
                                                                 owner.auth_token_a.c_str(), owner.auth_token_b.c_str(), request.index,
                                                                 request.parent_path.c_str()));
  if (!wire_header || !wire_fields) return std::nullopt;
  std::string answer = *wire_header + '\x01' + *wire_fields + collector.records();
  answer += '\0';
  return answer;
}

}  // namespace dovel::server
