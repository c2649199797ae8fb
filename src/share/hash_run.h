#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/message.h"
#include "platform/clock.h"
#include "settings/shared_folder.h"
#include "share/hash_settings.h"
#include "share/share_totals.h"

namespace dovel::share {

// Files above this size in public folders are hashed in advance.
inline constexpr int64_t kPrehashThreshold = 10485760;
// At most this many files are hashed by one run; the rest wait for the next.
inline constexpr int kMaxHashedPerRun = 500;

// What a hashing run needs from the rest of the program.
struct HashRunContext {
  const HashSettings* settings = nullptr;
  std::filesystem::path database_file;
  const platform::Clock* clock = &platform::system_clock();
  ShareTotals* totals = nullptr;               // where the run publishes its totals
  core::MessageTarget* target = nullptr;  // receives UM_HASH_DONE
  std::function<void()> after_each_file;       // progress observers; may stop the run
};

struct HashProgress {
  std::string folder;  // the folder being walked
  std::string file;    // "name(size)"
};

struct HashCounts {
  int64_t total_bytes = 0;
  uint32_t files = 0;
  int hashed = 0;
};

// One full hashing run: walks every shared folder, records each file and folder
// in the shared-files table, hashes large public files (reusing the hashes of
// unchanged files) and deletes the rows of everything no longer there. The whole
// walk is one transaction under the database lock.
class HashRun {
 public:
  HashRun(HashRunContext context, int mode);

  // The run itself, on the calling thread; posts UM_HASH_DONE at its end.
  void Run();
  // Cancels: the walk stops at the next file and what was walked so far is kept.
  void Stop();

  bool running() const { return running_; }
  bool completed_normally() const { return completed_normally_; }
  int mode() const { return mode_; }
  HashProgress progress() const;
  HashCounts counts() const;
  // The database error that ended the run early; empty when there was none.
  std::string error() const;

 private:
  class Walk;

  HashRunContext context_;
  int mode_;
  std::atomic<bool> running_{true};
  std::atomic<bool> completed_normally_{true};
  mutable std::mutex progress_lock_;
  HashProgress progress_;
  HashCounts counts_;
  std::string error_;
};

}  // namespace dovel::share
