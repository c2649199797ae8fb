// Hashing throughput on trees of sparse files, each figure next to the time of a
// plain walk with stat over the same tree:
//   (a) sampled_md5 over 10,000 files above 10 MiB (page cache warm);
//   (b) a first full run over 400 large and 20,000 small files;
//   (c) an unchanged second run of the same tree (every large file reused);
//   (d) hash_on_demand calls per second.
// Usage: dovel-bench-hashing [WORK_FOLDER]   (default: a new folder in /tmp)
#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/local_databases.h"
#include "settings/live_settings.h"
#include "share/file_hash.h"
#include "share/hash_on_demand.h"
#include "share/hash_run.h"
#include "share/hash_settings.h"
#include "util/log_files.h"
#include "util/program_path.h"

namespace {

namespace fs = std::filesystem;
using namespace dovel;

constexpr int64_t kLargeSize = 11 << 20;
constexpr int64_t kSmallSize = 1024;

double seconds_of(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void make_sparse(const fs::path& file, int64_t size) {
  std::ofstream(file, std::ios::binary).close();
  fs::resize_file(file, static_cast<uintmax_t>(size));
}

// `count` files of `size` bytes in folders of 100, below `root`.
std::vector<fs::path> make_tree(const fs::path& root, const std::string& prefix, int count, int64_t size) {
  std::vector<fs::path> files;
  for (int i = 0; i < count; ++i) {
    fs::path folder = root / (prefix + "-" + std::to_string(i / 100));
    if (i % 100 == 0) fs::create_directories(folder);
    files.push_back(folder / (prefix + std::to_string(i) + ".bin"));
    make_sparse(files.back(), size);
  }
  return files;
}

int walk_with_stat(const fs::path& folder) {
  int entries = 0;
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) return 0;
  while (dirent* entry = ::readdir(directory)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    fs::path path = folder / name;
    if (::lstat(path.c_str(), &status) != 0) continue;
    ++entries;
    if (S_ISDIR(status.st_mode)) entries += walk_with_stat(path);
  }
  ::closedir(directory);
  return entries;
}

void report(const char* what, int files, double seconds, double walk_seconds, const char* target) {
  std::printf("%-52s %8d files %8.3f s %10.0f files/s   (walk+stat %.3f s; target %s)\n", what, files, seconds, files / seconds,
              walk_seconds, target);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / ("dovel-bench-hashing-" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "home");
  std::printf("building trees in %s ...\n", work.c_str());

  // (a) sampled_md5 alone.
  std::vector<fs::path> many_large = make_tree(work / "sampled", "large", 10000, kLargeSize);
  for (const fs::path& file : many_large) share::sampled_md5_of_file(file);  // warm the page cache
  double sampled_seconds = seconds_of([&] {
    for (const fs::path& file : many_large) share::sampled_md5_of_file(file);
  });
  double sampled_walk = seconds_of([&] { walk_with_stat(work / "sampled"); });
  report("(a) sampled_md5, files above 10 MiB", static_cast<int>(many_large.size()), sampled_seconds, sampled_walk, ">= 10,000/s");

  // (b), (c): a share of 400 large and 20,000 small files.
  const fs::path share = work / "share";
  make_tree(share, "large", 400, kLargeSize);
  std::vector<fs::path> small = make_tree(share, "small", 20000, kSmallSize);
  const int share_files = 400 + 20000;
  const fs::path home = work / "home";
  util::SetProgramFolder(home);
  util::ConfigureLogFiles(home, platform::system_clock());
  settings::LiveSettings settings;
  share::HashSettings hash_settings(settings);
  settings.set_shared_folders({{"bench", share.string(), settings::SHARE_READ}});
  settings.server_usable = true;
  app::LocalDatabases databases;
  if (auto failure = app::open_local_databases(home, databases)) {
    std::fprintf(stderr, "%s\n", failure->c_str());
    return 1;
  }
  const share::HashRunContext context{&hash_settings, home / "DovelData.dat", &platform::system_clock(), nullptr, nullptr, {}};
  double share_walk = seconds_of([&] { walk_with_stat(share); });

  share::HashRun first(context, 0);
  double first_seconds = seconds_of([&] { first.Run(); });
  report("(b) first full run, 400 large + 20,000 small", share_files, first_seconds, share_walk, ">= 30,000/s");
  std::printf("    hashed %d files, recorded %u\n", first.counts().hashed, first.counts().files);

  share::HashRun second(context, 0);
  double second_seconds = seconds_of([&] { second.Run(); });
  report("(c) unchanged second run", share_files, second_seconds, share_walk, ">= 50,000/s");
  std::printf("    hashed %d files (0 expected: every large file reused)\n", second.counts().hashed);

  // (d) on demand: small files have no hash yet; the first call hashes and stores, a second finds it.
  const int calls = 2000;
  auto ask_all = [&] {
    for (int i = 0; i < calls; ++i) {
      const fs::path& file = small[static_cast<size_t>(i) * 7 % small.size()];
      share::hash_on_demand(hash_settings, context.database_file, platform::system_clock(), file.parent_path().filename().string(),
                            file.filename().string(), kSmallSize, 0, share::any_share, [] { return false; });
    }
  };
  for (const char* what : {"(d) hash_on_demand (first calls: hash and store)", "(d) hash_on_demand (repeated: stored hash)"}) {
    double seconds = seconds_of(ask_all);
    std::printf("%-52s %8d calls %8.3f s %10.0f calls/s\n", what, calls, seconds, calls / seconds);
  }

  if (argc <= 1) fs::remove_all(work);
  return 0;
}
