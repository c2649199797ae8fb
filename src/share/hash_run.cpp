#include "share/hash_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <optional>
#include <set>

#include "base/string_printf.h"
#include "core/message_ids.h"
#include "db/database_lock.h"
#include "db/sqlite3_connection.h"
#include "platform/cp949.h"
#include "platform/filetime.h"
#include "share/file_hash.h"
#include "share/served_tree.h"
#include "share/shareable_name.h"
#include "share/shared_file_statements.h"
#include "util/log_files.h"

namespace dovel::share {
namespace {

// Big enough for the whole table and its indexes of a large share.
constexpr const char* kHashingCacheSize = "PRAGMA cache_size=-65536;";

// Each unshareable entry is mentioned in the system log once per process.
void log_unshareable_once(const std::string& folder, const std::string& name) {
  static std::mutex lock;
  static std::set<std::string> logged;
  constexpr size_t kMaxRemembered = 10000;
  std::string shown = platform::is_valid_utf8(name) ? name : std::string("(UTF-8이 아닌 이름)");
  std::string entry = folder + "/" + shown;
  {
    std::lock_guard guard(lock);
    if (logged.size() >= kMaxRemembered || !logged.insert(entry).second) return;
  }
  util::LogSystem("공유할 수 없는 이름이라 건너뜁니다: %s", entry.c_str());
}

class DirectoryHandle {
 public:
  explicit DirectoryHandle(int fd) : stream_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
    if (fd >= 0 && stream_ == nullptr) ::close(fd);
  }
  ~DirectoryHandle() {
    if (stream_ != nullptr) ::closedir(stream_);
  }
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;

  bool valid() const { return stream_ != nullptr; }
  int fd() const { return ::dirfd(stream_); }
  // The next entry's name other than "." and ".."; nullptr at the end.
  const char* next() {
    while (dirent* entry = ::readdir(stream_)) {
      std::string_view name = entry->d_name;
      if (name != "." && name != "..") return entry->d_name;
    }
    return nullptr;
  }

 private:
  DIR* stream_;
};

}  // namespace

// The walk of the shared folders inside the run's transaction.
class HashRun::Walk {
 public:
  Walk(HashRun& run, SharedFileStatements& statements, int32_t run_id, const ServedTree& tree)
      : run_(run), statements_(statements), run_id_(run_id), tree_(tree) {}

  // Walks one shared folder; false when the run was stopped.
  bool walk_share(const settings::SharedFolder& folder, settings::ShareIndex index) {
    // The folder's own links are resolved once; below it none is followed, so
    // every folder's path stays canonical, as the tree's rules need it.
    const std::filesystem::path& root = tree_.canonical_folder(index);
    if (root.empty() || !tree_.serves_folder(index, root)) return run_.running_;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return walk_folder(fd, root.string(), "", folder, index);
  }

 private:
  // `walk_path` is "" at the top of the share, otherwise "\\A\\B".
  bool walk_folder(int fd, const std::string& directory, const std::string& walk_path, const settings::SharedFolder& folder, settings::ShareIndex index) {
    DirectoryHandle handle(fd);
    if (!handle.valid()) return run_.running_;
    const std::string row_path = walk_path.empty() ? std::string() : walk_path.substr(1);
    while (const char* entry = handle.next()) {
      const std::string name = entry;
      struct stat status {};
      if (::fstatat(handle.fd(), entry, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
      // Links are never followed: a linked folder could lead out of the share or
      // round in a loop, and a linked file would not be served.
      if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode)) continue;
      if (!is_shareable_name(name)) {
        log_unshareable_once(directory, name);
        continue;
      }
      if (S_ISDIR(status.st_mode)) {
        if (!tree_.serves_folder(index, std::filesystem::path(directory) / name)) continue;
        if (!enter_folder(handle.fd(), directory, walk_path, row_path, name, folder, index)) return false;
      } else if (ServedTree::serves_file_named(name)) {
        record_file(handle.fd(), directory, row_path, name, status, folder, index);
        if (run_.context_.after_each_file) run_.context_.after_each_file();
        if (!run_.running_) return false;
      }
    }
    return run_.running_;
  }

  bool enter_folder(int parent_fd, const std::string& directory, const std::string& walk_path, const std::string& row_path,
                    const std::string& name, const settings::SharedFolder& folder, settings::ShareIndex index) {
    SharedFileRow row = row_of(folder, index, row_path, name);
    row.hash = folder_hash(walk_path, name, index).value_or("");
    row.file_type = kDirectoryRow;
    statements_.insert(row);
    int fd = ::openat(parent_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return walk_folder(fd, directory + "/" + name, walk_path + "\\" + name, folder, index);
  }

  void record_file(int parent_fd, const std::string& directory, const std::string& row_path, const std::string& file_name,
                   const struct stat& status, const settings::SharedFolder& folder, settings::ShareIndex index) {
    const int64_t size = status.st_size;
    {
      std::lock_guard guard(run_.progress_lock_);
      run_.progress_.folder = directory;
      run_.progress_.file = base::string_printf("%s(%" PRId64 ")", file_name.c_str(), size);
    }
    if (size == 0) return;

    auto [name, extension] = split_file_name(file_name);
    SharedFileRow row = row_of(folder, index, row_path, name);
    row.extension = extension;
    row.size = size;

    bool write_row = true;
    if (folder.flags < settings::SHARE_FRIEND && hashed() < kMaxHashedPerRun && size > kPrehashThreshold) {
      const int32_t last_write = static_cast<int32_t>(platform::filetime_from_timespec(status.st_mtim) & 0xFFFFFFFFu);
      ReusableKey key{name, row_path, index, extension, size};
      std::optional<ReusableRow> earlier = statements_.find_reusable(key);
      if (earlier && !earlier->hash.empty() && earlier->last_write_time == last_write) {
        statements_.mark_reused(key, folder.flags);
        write_row = false;
      } else {
        statements_.delete_old(key);
        std::optional<FileHash> hash = hash_file(parent_fd, file_name);
        write_row = hash.has_value();
        row.hash = hash.value_or("");
        row.last_write_time = last_write;
        count_hashed();
      }
    }
    if (write_row) statements_.insert(row);
    std::lock_guard guard(run_.progress_lock_);
    run_.counts_.total_bytes += size;
    ++run_.counts_.files;
  }

  // A file row of this run in `folder`, the rest of its fields to be filled.
  SharedFileRow row_of(const settings::SharedFolder& folder, settings::ShareIndex index, const std::string& row_path, const std::string& name) const {
    SharedFileRow row;
    row.name = name;
    row.path = row_path;
    row.right = folder.flags;
    row.shared_name = folder.name;
    row.shared_index = index;
    row.run_id = run_id_;
    return row;
  }

  // Opens the entry itself (no link, nothing that could block) and hashes it.
  static std::optional<FileHash> hash_file(int parent_fd, const std::string& file_name) {
    int fd = ::openat(parent_fd, file_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<FileHash> hash;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
      FileSampleSource source(fd);
      hash = sampled_md5(source);
    }
    ::close(fd);
    return hash;
  }

  int hashed() const {
    std::lock_guard guard(run_.progress_lock_);
    return run_.counts_.hashed;
  }
  void count_hashed() {
    std::lock_guard guard(run_.progress_lock_);
    ++run_.counts_.hashed;
  }

  HashRun& run_;
  SharedFileStatements& statements_;
  int32_t run_id_;
  const ServedTree& tree_;
};

HashRun::HashRun(HashRunContext context, int mode) : context_(std::move(context)), mode_(mode) {}

void HashRun::Stop() {
  running_ = false;
  completed_normally_ = false;
}

HashProgress HashRun::progress() const {
  std::lock_guard guard(progress_lock_);
  return progress_;
}

HashCounts HashRun::counts() const {
  std::lock_guard guard(progress_lock_);
  return counts_;
}

std::string HashRun::error() const {
  std::lock_guard guard(progress_lock_);
  return error_;
}

void HashRun::Run() {
  auto post_done = [this] {
    if (context_.target != nullptr) {
      context_.target->post({core::UM_HASH_DONE, static_cast<uint64_t>(mode_), completed_normally_ ? 1 : 0, nullptr});
    }
  };
  if (!context_.settings->server_usable()) {
    post_done();
    return;
  }

  // The list and the download folder are copied first: the run never holds the
  // settings lock and the database lock together.
  const ServedTree tree(context_.settings->shared_folders(), context_.settings->download_folder());
  const std::vector<settings::SharedFolder>& folders = tree.folders();
  const int32_t run_id = static_cast<int32_t>(context_.clock->performance_counter() & 0xFFFFFFFFu);

  db::Sqlite3Connection connection;
  bool in_transaction = false;
  try {
    std::lock_guard guard(db::database_lock());
    connection.Open(context_.database_file);
    util::LogSystem("파일해싱을 시작합니다.");
    connection.Execute(kHashingCacheSize);
    SharedFileStatements statements(connection, run_id);
    connection.Execute("begin transaction;");
    in_transaction = true;
    Walk walk(*this, statements, run_id, tree);
    bool stopped = false;
    for (size_t index = 0; index < folders.size() && !stopped; ++index) {
      stopped = !walk.walk_share(folders[index], static_cast<settings::ShareIndex>(index));
    }
    statements.finish();
    connection.Execute(base::string_printf("Delete From [shared_files] Where [uniq_id]<>%d", run_id));
    connection.Execute("commit transaction;");
    in_transaction = false;
    // Without statistics the planner looks rows up by their share index, which
    // nearly every row shares; with them it uses the name.
    connection.Execute("ANALYZE shared_files;");
    util::LogSystem(stopped ? "파일해싱이 중지되었습니다." : "파일해싱을 완료하였습니다.");
  } catch (const db::CppSQLite3Exception& error) {
    util::LogSystem("파일해싱에러: %s", error.message().c_str());
    {
      std::lock_guard progress_guard(progress_lock_);
      error_ = error.message();
    }
    if (in_transaction) {
      std::lock_guard guard(db::database_lock());
      try {
        connection.Execute("rollback transaction;");
      } catch (const db::CppSQLite3Exception&) {
      }
    }
  }

  if (context_.totals != nullptr) {
    HashCounts done = counts();
    context_.totals->publish({static_cast<uint32_t>(done.total_bytes / 1024 / 1024), done.files});
  }
  {
    std::lock_guard guard(db::database_lock());
    connection.Close();
  }
  post_done();
}

}  // namespace dovel::share
