#include "share/hash_runner.h"

#include <algorithm>

#include "share/hash_on_demand.h"

namespace dovel::share {

class HashRunner::EndForwarder final : public core::MessageTarget {
 public:
  EndForwarder(HashRunner& runner, core::MessageTarget* target, uint64_t serial) : runner_(runner), target_(target), serial_(serial) {}
  void set_run(const HashRun* run) { run_ = run; }
  void post(core::Message message) override {
    if (runner_.forget_ended(run_, serial_) && target_ != nullptr) target_->post(std::move(message));
  }

 private:
  HashRunner& runner_;
  core::MessageTarget* target_;
  const uint64_t serial_;
  const HashRun* run_ = nullptr;
};

HashRunner::HashRunner(HashRunContext context) : context_(std::move(context)) {}

HashRunner::~HashRunner() {
  std::vector<Worker> workers;
  {
    std::lock_guard guard(lock_);
    if (active_) active_->Stop();
    active_.reset();
    workers = std::move(workers_);
  }
  for (Worker& worker : workers) worker.run->Stop();
  for (Worker& worker : workers) worker.thread.join();
}

void HashRunner::join_finished_locked() {
  auto finished = std::stable_partition(workers_.begin(), workers_.end(), [](const Worker& worker) { return !*worker.finished; });
  for (auto worker = finished; worker != workers_.end(); ++worker) worker->thread.join();
  workers_.erase(finished, workers_.end());
}

void HashRunner::start_hash_run(int mode) {
  std::lock_guard guard(lock_);
  join_finished_locked();
  if (active_) active_->Stop();
  const uint64_t serial = ++newest_serial_;
  auto end = std::make_unique<EndForwarder>(*this, context_.target, serial);
  HashRunContext context = context_;
  context.target = end.get();
  auto run = std::make_shared<HashRun>(std::move(context), mode);
  end->set_run(run.get());
  auto finished = std::make_shared<std::atomic<bool>>(false);
  active_ = run;
  std::thread thread([this, run, finished, serial] {
    run->Run();
    // A run that ends on its own forgets itself, also when it had nobody to tell.
    forget_ended(run.get(), serial);
    *finished = true;
  });
  workers_.push_back({run, std::move(end), finished, std::move(thread)});
}

bool HashRunner::forget_ended(const HashRun* run, uint64_t serial) {
  std::lock_guard guard(lock_);
  if (active_.get() == run) active_.reset();
  // A newer run may even have ended before this one: its end was the one to tell.
  return serial == newest_serial_;
}

void HashRunner::cancel() {
  std::lock_guard guard(lock_);
  if (active_) active_->Stop();
  active_.reset();
}

bool HashRunner::active() const {
  std::lock_guard guard(lock_);
  return active_ != nullptr;
}

std::shared_ptr<HashRun> HashRunner::active_run() const {
  std::lock_guard guard(lock_);
  return active_;
}

FileHash HashRunner::hash_on_demand(std::string_view relative_path, std::string_view file_name, int64_t size, settings::ShareIndex index,
                                    const ShareFilter& may_look_in) {
  if (active()) return {};
  return share::hash_on_demand(*context_.settings, context_.database_file, *context_.clock, relative_path, file_name, size, index,
                               may_look_in, [this] { return active(); });
}

}  // namespace dovel::share
