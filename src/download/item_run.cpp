#include "download/item_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>

#include "base/string_printf.h"
#include "download/download_names.h"
#include "download/download_paths.h"
#include "download/download_records.h"
#include "download/download_report.h"
#include "download/file_move.h"
#include "download/large_file_check.h"
#include "download/run_checkpoint.h"
#include "download/status_codes.h"
#include "platform/atomic_file.h"
#include "platform/safe_path.h"
#include "util/log_files.h"

namespace dovel::download {
namespace {

// Counts the run among the program's running downloads while it transfers.
class RunningDownload {
 public:
  explicit RunningDownload(core::TransferMeter* meter) : meter_(meter) {
    if (meter_ != nullptr) ++meter_->running_downloads;
  }
  ~RunningDownload() {
    if (meter_ != nullptr) --meter_->running_downloads;
  }
  RunningDownload(const RunningDownload&) = delete;
  RunningDownload& operator=(const RunningDownload&) = delete;

 private:
  core::TransferMeter* meter_;
};

bool final_name_taken(const std::filesystem::path& download_folder, const std::string& sub_folder, const std::string& name) {
  std::optional<std::filesystem::path> folder = target_folder_path(download_folder, sub_folder);
  if (!folder || !is_safe_file_name(name)) return false;
  struct stat status {};
  return ::stat((*folder / name).c_str(), &status) == 0 && status.st_size > 0;
}

}  // namespace

ItemRun::ItemRun(const TransferContext& context, std::shared_ptr<DownloadItem> item, std::shared_ptr<RunSignals> run_signals, RunShared shared)
    : context_(context), item_(std::move(item)), signals_(std::move(run_signals)), shared_(std::move(shared)) {
  hash_ = item_->hash;
  std::lock_guard guard(item_->lock);
  name_ = item_->file_name;
  size_ = item_->size;
  download_folder_ = item_->download_folder;
  sub_folder_ = item_->sub_folder;
  folder_password_ = item_->folder_password;
}

void ItemRun::run() {
  session_ = context_.session->record();
  privileged_ = session_.transfer_flag != 0;
  if (!passes_checks()) return;
  // One level of the info database's transaction for the whole run; the
  // checkpoints commit what it holds so far.
  db::InfoTransaction transaction(*context_.info);
  if (!open_partial_file()) return;
  checkpoint(*context_.info, *item_, partial_.get(), ranges_->missing());
  finish(transfer());
  partial_.reset();
  send_report();
}

void ItemRun::stop_with(int status_code) {
  item_->status_code = status_code;
  item_->set_state(ItemState::Stopped);
}

// The checks before anything is written: a size that names no file, forbidden
// file, a file too large for the download folder's file system, the final
// name taken, false reports.
bool ItemRun::passes_checks() {
  const std::string shown = printable_name(name_);
  if (size_ <= 0) {
    stop_with(kStatusFileInfoError);
    return false;
  }
  if (!privileged_ && context_.filter != nullptr && context_.filter->forbidden_file(hash_)) {
    stop_with(kStatusForbidden);
    util::LogSystem("%s는 전송금지요청된 파일입니다.", shown.c_str());
    return false;
  }
  if (too_large_for_folder(size_, download_folder_)) {
    stop_with(kStatusTooLargeForFat);
    util::LogSystem("FAT32 파일시스템에서는 4기가이상 파일이 지원되지 않습니다.");
    util::LogSystem("NTFS 파일시스템으로 변환을 권장합니다.");
    return false;
  }
  if (final_name_taken(download_folder_, sub_folder_, name_)) {
    stop_with(kStatusNameTaken);
    util::LogSystem("같은 파일이름이 존재합니다. 다운로드폴더를 확인하세요.");
    return false;
  }
  if (context_.false_reports != nullptr && context_.false_reports->stop_for_false_reports(hash_)) {
    stop_with(kStatusFalselyReported);
    util::LogSystem("허위파일신고건이 있습니다. 비고를 클릭하세요.");
    return false;
  }
  return true;
}

// Opens the partial file and its recorded pieces, or creates it with fresh
// records. Its path and every name in it stay below the download folder.
bool ItemRun::open_partial_file() {
  auto fail = [this](int error) {
    util::LogSystem("File Open Error: %s", std::strerror(error));
    stop_with(kStatusWriteFailed);
    util::LogSystem("파일을 생성할 수 없거나 열 수 없습니다.");
    return false;
  };
  // A name or sub-folder that could lead outside the download folder is refused
  // before anything is written.
  std::optional<std::filesystem::path> folder = temporary_folder_path(download_folder_);
  std::optional<std::filesystem::path> path = temporary_file_path(download_folder_, name_);
  if (!folder || !path || !target_folder_path(download_folder_, sub_folder_)) return fail(EINVAL);
  std::error_code error;
  std::filesystem::create_directories(*folder, error);
  if (error) return fail(error.value());
  // Made now, the folder is resolved again: a link that appeared among its parts cannot lead outside.
  path = temporary_file_path(download_folder_, name_);
  if (!path) return fail(EINVAL);
  partial_path_ = *path;

  const bool exists = std::filesystem::exists(std::filesystem::symlink_status(partial_path_, error));
  if (exists) {
    partial_.reset(platform::open_regular_file(partial_path_, O_RDWR));
    if (!partial_.valid()) return fail(errno != 0 ? errno : EINVAL);
    struct stat status {};
    if (::fstat(partial_.get(), &status) != 0) return fail(errno);
    ranges_.emplace(size_, clamp_recorded_ranges(load_ranges(*context_.info, hash_), size_, status.st_size));
  } else {
    partial_.reset(platform::open_regular_file(partial_path_, O_RDWR | O_CREAT | O_EXCL));
    if (!partial_.valid()) return fail(errno);
    QueuedRow row;
    {
      std::lock_guard guard(item_->lock);
      row = {hash_, name_, size_, 0, item_->peer_id, folder_password_, item_->server_share_index, item_->server_path, sub_folder_};
    }
    std::lock_guard guard(context_.info->info_lock());
    delete_queued_file(*context_.info, hash_);
    insert_queued_row(*context_.info, row);
    ranges_.emplace(size_);
  }
  std::lock_guard guard(item_->lock);
  item_->received = ranges_->received();
  return true;
}

LoopResult ItemRun::transfer() {
  if (!may_charge() || !gather_sources()) return LoopResult::Incomplete;
  std::vector<Source> sources;
  {
    std::lock_guard guard(item_->lock);
    // A server that sent other bytes under this FileHash is not asked again,
    // also when the file index names it once more.
    std::erase_if(item_->sources, [this](const Source& source) { return is_excluded_locked(source); });
    sources = item_->sources;
  }
  if (sources.empty()) {
    stop_with(kStatusNoSources);
    return LoopResult::Incomplete;
  }
  if (!privileged_ && paid_state_ == kPaidFile && (context_.paid == nullptr || !context_.paid->charge_paid_download(session_.identity, hash_))) {
    stop_with(kStatusPointServer);
    return LoopResult::Incomplete;
  }
  item_->set_state(ItemState::Preparing);
  const bool free_file = privileged_ || paid_state_ == kFreeFile;
  const bool several = context_.settings->values().use_multi_down && folder_password_.empty() && free_file;
  if (!several) sources.resize(1);
  // Files have holes on every Linux file system: bytes written far out leave the
  // gap unallocated, which is what marking the file sparse was for.

  item_->set_state(ItemState::Transferring);
  {
    std::lock_guard guard(item_->lock);
    item_->received_at_start = item_->received;
    item_->run_start_ms = steady_ms(*context_.clock);
    item_->sample_received = item_->received;
    item_->sample_ms = item_->run_start_ms;
  }
  RunningDownload counted(context_.meter);
  TransferLoop loop(context_, *item_, signals_, loop_setup(std::move(sources), several));
  const LoopResult result = loop.run();
  for (const auto& [user_id, token] : loop.serving_owners()) serving_owners_.push_back(user_id);
  serving_sources_ = loop.serving_sources();
  return result;
}

// The paid state of the file and the user's points allow the download.
bool ItemRun::may_charge() {
  if (context_.paid == nullptr) return true;
  if (!privileged_) {
    std::optional<int> state = context_.paid->paid_state(session_.identity, hash_);
    if (!state || static_cast<int8_t>(*state) < 0) {
      stop_with(kStatusPointServer);
      return false;
    }
    paid_state_ = *state & 0xFF;
    std::lock_guard guard(item_->lock);
    item_->paid_state = paid_state_;
  }
  if (privileged_ || paid_state_ == kFreeFile) {
    const int64_t megabytes = shared_.chargeable_megabytes ? shared_.chargeable_megabytes() : 0;
    if (megabytes <= 0) return true;
    const int allowance = context_.paid->check_allowance(megabytes);
    if (allowance < 0) {
      stop_with(kStatusPointServer);
      return false;
    }
    if (allowance == 0) {
      stop_with(kStatusPointShortage);
      if (context_.hooks.point_shortage) context_.hooks.point_shortage();
      return false;
    }
    return true;
  }
  if (paid_state_ == kPaidBalanceShort) {
    stop_with(kStatusBalanceShort);
    return false;
  }
  if (paid_state_ == kPaidFile && !context_.paid->paid_download_confirmed(hash_)) {
    stop_with(kStatusPaidUnconfirmed);
    if (context_.hooks.show_download_tab) context_.hooks.show_download_tab();
    return false;
  }
  return true;
}

// More sources from the file index, at most once a minute per file.
bool ItemRun::gather_sources() {
  if (shared_.lookups != nullptr && shared_.lookups->take(hash_, steady_ms(*context_.clock))) {
    const Source own{own_address(), static_cast<uint16_t>(context_.settings->values().share_port), {}};
    std::vector<Source> found = look_up_sources(context_.endpoints, hash_, own, [this] { return item_->stop_requested.load(); });
    std::lock_guard guard(item_->lock);
    append_new_sources(item_->sources, found);
  }
  return !item_->stop_requested;
}

platform::Ipv4 ItemRun::own_address() const {
  const platform::Ipv4 external = context_.settings->external_address();
  return external != 0 ? external : context_.endpoints.bind_address;
}

LoopSetup ItemRun::loop_setup(std::vector<Source> sources, bool several_connections) {
  LoopSetup setup;
  setup.file = partial_.get();
  setup.file_path = partial_path_;
  setup.ranges = &*ranges_;
  setup.sources = std::move(sources);
  setup.max_active = several_connections ? kMostActiveConnections : 1;
  setup.privileged = privileged_;
  setup.paid = !privileged_ && paid_state_ >= kPaidFile;
  setup.own_address = own_address();

  wire::DataRequest& request = setup.request;
  request.mode = wire::kRequestByHash;
  request.user_id = session_.identity.user_id;
  request.level = session_.identity.member_level;
  request.nickname = session_.identity.member_label;
  request.hash = hash_;
  request.size = size_;
  request.adult = session_.is_adult != 0;
  request.address = platform::format_ipv4(own_address());
  request.port = static_cast<uint16_t>(context_.settings->values().share_port);
  request.password = folder_password_;
  request.file_name = name_;
  request.skips_archive_check = privileged_;
  return setup;
}

void ItemRun::finish(LoopResult result) {
  switch (result) {
    case LoopResult::ForbiddenArchive:
      partial_.reset();
      ::unlink(partial_path_.c_str());
      {
        std::lock_guard guard(item_->lock);
        item_->received = 0;
      }
      delete_queued_file(*context_.info, hash_);
      stop_with(kStatusForbiddenArchive);
      return;
    case LoopResult::Complete:
      complete();
      return;
    case LoopResult::WrongContent:
      start_over();
      return;
    case LoopResult::Incomplete:
      record_stopped();
      return;
  }
}

void ItemRun::record_stopped() {
  record_progress(*context_.info, *item_, partial_.get(), ranges_->missing());
  item_->set_state(ItemState::Stopped);
}

// A file whose bytes are not the ones its FileHash names is of no use: the
// next run fetches it again from the start, from other servers than the ones
// that sent these bytes. After a few such runs the item stops for good.
void ItemRun::start_over() {
  if (::ftruncate(partial_.get(), 0) == 0) {
    ranges_.emplace(size_);
    std::lock_guard guard(item_->lock);
    item_->received = 0;
  }
  bool given_up = false;
  {
    std::lock_guard guard(item_->lock);
    for (const Source& source : serving_sources_) {
      if (!is_excluded_locked(source)) item_->excluded_sources.push_back(source);
    }
    std::erase_if(item_->sources, [this](const Source& source) { return is_excluded_locked(source); });
    given_up = ++item_->content_mismatches >= kMostContentMismatches;
  }
  record_progress(*context_.info, *item_, partial_.get(), ranges_->missing());
  if (given_up) {
    item_->retry_barred = true;
    util::LogSystem("'%s' 파일은 %d번 받은 내용이 모두 FileHash와 달라 더 이상 자동으로 재시도하지 않습니다.", printable_name(name_).c_str(),
                    kMostContentMismatches);
  }
  item_->set_state(ItemState::Stopped);
}

bool ItemRun::is_excluded_locked(const Source& source) const {
  return std::any_of(item_->excluded_sources.begin(), item_->excluded_sources.end(),
                     [&](const Source& excluded) { return excluded.same_server(source); });
}

// The file's bytes reach the disk before it is moved into place, the move
// reaches it before the queue's rows go: a machine that goes down at any
// point finds either the whole partial file or the whole file in place, and
// the item at the next start (queue_restore).
void ItemRun::complete() {
  completion_step(CompletionStep::LastWrite);
  if (::fdatasync(partial_.get()) != 0) {
    util::LogSystem("남은용량이 없거나 파일을 쓰는데 실패하였습니다.");
    record_progress(*context_.info, *item_, partial_.get(), ranges_->missing());
    stop_with(kStatusWriteFailed);
    return;
  }
  partial_.reset();
  item_->set_state(ItemState::Moving);
  const FinishedFileMove moved = move_finished_file(partial_path_, download_folder_, sub_folder_, name_);
  if (!moved.moved) {
    util::LogSystem("'%s' 파일을 임시폴더->다운폴더로 이동하지 못하였습니다. 임시폴더를 확인", printable_name(name_).c_str());
    save_ranges(*context_.info, hash_, {});
    stop_with(kStatusWriteFailed);
    return;
  }
  platform::sync_folder(moved.final_path.parent_path());
  platform::sync_folder(partial_path_.parent_path());
  completion_step(CompletionStep::Moved);
  {
    std::lock_guard guard(item_->lock);
    item_->file_name = moved.final_name;
  }
  if (moved.first_choice && context_.hooks.queue_subtitle_upload) context_.hooks.queue_subtitle_upload(moved.final_path);
  item_->set_state(ItemState::Finished);
  if (context_.hooks.notify_finished) {
    context_.hooks.notify_finished(base::string_printf("%s 파일다운이 완료되었습니다.", moved.final_name.c_str()));
  }
  {
    std::lock_guard guard(context_.info->info_lock());
    delete_queued_file(*context_.info, hash_);
    // Committed now, not with the rest of the run: the item is done.
    context_.info->InfoCommit();
    context_.info->InfoBegin();
  }
  completion_step(CompletionStep::RowDropped);
}

void ItemRun::completion_step(CompletionStep step) {
  if (context_.hooks.completion_step) context_.hooks.completion_step(step);
}

void ItemRun::send_report() {
  service::DownloadReport report;
  {
    std::lock_guard guard(item_->lock);
    if (item_->received <= 0) return;
    report.file_name = item_->file_name;
    report.size = item_->size;
    report.received = item_->received;
  }
  report.account_serial = session_.account_serial;
  report.owners = serving_owners_;
  std::minstd_rand random(context_.clock->tick() | 1);
  send_download_report(context_.endpoints, report, random() % 2, context_.timings.connect_ms, context_.timings.report_answer_ms);
}

}  // namespace dovel::download
