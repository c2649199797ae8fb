#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "share/file_hash.h"
#include "share/hash_run.h"
#include "share/hash_service.h"

namespace dovel::share {

// Owns the hashing runs of the program: at most one is active; starting a new
// one cancels the old, which finishes on its own thread. Only the end of a run
// that no newer one replaced is told to the context's target: a stale end
// would restart the share server under the newer run. Every thread is joined
// when the runner goes.
class HashRunner final : public HashService {
 public:
  explicit HashRunner(HashRunContext context);
  ~HashRunner();
  HashRunner(const HashRunner&) = delete;
  HashRunner& operator=(const HashRunner&) = delete;

  // Cancels the active run, if any, and starts a new one in `mode` on its own thread.
  void start_hash_run(int mode);
  // The user's cancel: the active run stops and is forgotten.
  void cancel();
  bool active() const override;
  // The active run, for its progress; null when none.
  std::shared_ptr<HashRun> active_run() const;

  // A peer's request for one file's hash; refused (empty) while a full run is active.
  FileHash hash_on_demand(std::string_view relative_path, std::string_view file_name, int64_t size, settings::ShareIndex index,
                          const ShareFilter& may_look_in) override;

 private:
  class EndForwarder;
  struct Worker {
    std::shared_ptr<HashRun> run;
    std::unique_ptr<EndForwarder> end;
    std::shared_ptr<std::atomic<bool>> finished;
    std::thread thread;
  };

  void join_finished_locked();
  // A run (the `serial`th started) reports its end: it is forgotten when it is
  // the active one. False when a newer run was started after it.
  bool forget_ended(const HashRun* run, uint64_t serial);

  HashRunContext context_;
  mutable std::mutex lock_;
  std::shared_ptr<HashRun> active_;
  std::vector<Worker> workers_;
  uint64_t newest_serial_ = 0;
};

}  // namespace dovel::share
