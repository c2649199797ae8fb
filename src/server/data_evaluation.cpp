#include "server/data_evaluation.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "server/share_access.h"
#include "share/archive_check.h"

namespace dovel::server {
namespace {

// Waits for the user's other uploads to end, in short slices so that a stop of
// this connection is noticed at once.
bool wait_until_other_uploads_end(DataConnectionList& list, const DataConnection& self, std::string_view user_id, int wait_ms) {
  constexpr int kSliceMs = 100;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (list.wait_until_user_gone(user_id, self.id, static_cast<int>(std::clamp<int64_t>(left, 0, kSliceMs)))) return true;
    if (left <= 0 || !self.running) return false;
  }
}

DataStatus data_status_of(ShareAccess access) {
  switch (access) {
    case ShareAccess::Granted:
      return DataStatus::Accepted;
    case ShareAccess::Blocked:
      return DataStatus::Blocked;
    case ShareAccess::AdultOnly:
      return DataStatus::AdultOnly;
    case ShareAccess::FriendsOnly:
      return DataStatus::FriendsOnly;
    case ShareAccess::WrongPassword:
      break;
  }
  return DataStatus::WrongPassword;
}

DataStatus archive_status(share::ArchiveChecker& archive, const std::filesystem::path& file, bool probe_all) {
  std::lock_guard guard(share::archive_filter_lock());
  switch (archive.check_archive(file, probe_all)) {
    case share::ArchiveVerdict::Forbidden:
      return DataStatus::ForbiddenArchive;
    case share::ArchiveVerdict::Error:
      return DataStatus::ArchiveCheckFailed;
    case share::ArchiveVerdict::Allowed:
      break;
  }
  return DataStatus::Accepted;
}

}  // namespace

DataVerdict evaluate_data_request(ShareServerContext& context, DataConnectionList& list, DataConnection& self,
                                  PeerDatabase& database, std::string_view request_text, int same_user_wait_ms) {
  DataVerdict verdict;
  verdict.request = wire::parse_data_request(request_text);
  if (!verdict.request) return verdict;
  const wire::DataRequest& request = *verdict.request;
  verdict.requester_is_friend = context.friends->contains(request.user_id);

  auto decide = [&verdict](DataStatus status) {
    verdict.status = status;
    return verdict;
  };
  if (context.blocks->contains(request.user_id)) return decide(DataStatus::Blocked);
  if (!wait_until_other_uploads_end(list, self, request.user_id, same_user_wait_ms)) return decide(DataStatus::SameUserBusy);
  if (list.count_with_request() > context.settings->values().max_upload) return decide(DataStatus::TooManyUploads);
  if (!request.follow_up && list.has_other_of_user(request.user_id, self.id)) return decide(DataStatus::SameUserBusy);
  self.set_user_id(request.user_id);
  verdict.start_tick = context.clock->tick();
  if (!wire::has_valid_range(request)) return decide(DataStatus::BadRequest);

  DataFileLookup lookup(context.settings->served_tree(), database, *context.hashing);
  if (request.mode == wire::kRequestByHash) {
    if (request.hash.empty()) return decide(DataStatus::UnknownHash);
    verdict.file = lookup.by_hash(request);
    if (!verdict.file) return decide(DataStatus::UnknownHash);
  } else if (request.mode == wire::kRequestByPath) {
    verdict.file = lookup.by_path(request);
    if (!verdict.file) return decide(DataStatus::BadRequest);
  } else {
    return decide(DataStatus::BadRequest);
  }
  verdict.share_flags = verdict.file->share_flags;

  const ShareVisitor visitor = visitor_of(context, request.user_id, request.adult, request.password);
  const DataStatus access = data_status_of(decide_share_access(verdict.share_flags, visitor, context.settings->values().folder_pass));
  if (access != DataStatus::Accepted) return decide(access);
  if (request.skips_archive_check || request.start != 0) return decide(DataStatus::Accepted);
  return decide(archive_status(*context.archive, verdict.file->disk_path, !request.follow_up));
}

}  // namespace dovel::server
