// Requests the hub carries out (dovel:// requests from the command line, a second
// copy, the launcher channel) and the replies and helpers it hands on.
#include "mainframe/main_frame.h"
#include "base/string_printf.h"
#include "base/text.h"
#include "core/message_ids.h"
#include "platform/spawn.h"
#include "util/current_user.h"
#include "util/handed_request.h"
#include "util/letter_pair.h"
#include "util/links.h"
#include "util/log_files.h"

namespace dovel::mainframe {
namespace {

// A second copy asks for the friend list and the block list with these kinds.
constexpr uint64_t kFriendListHandover = 256;
constexpr uint64_t kBlockListHandover = 257;

bool has_credentials(const util::CLaunchRequest& request) { return !request.login_id.empty() && !request.password.empty(); }

}  // namespace

void CMainFrame::set_pending_request(const util::CLaunchRequest& request) { pending_request_ = request; }

void CMainFrame::on_handover(uint64_t kind, const std::string& text) {
  // Before the window is ready a handover has no hub to act on; the second copy has already ended.
  if (!ready_) return;
  if (kind == kFriendListHandover || kind == kBlockListHandover) {
    if (server::ListSyncHandler* lists = setup_.list_sync) {
      run_service_task([lists, kind] { kind == kFriendListHandover ? lists->refresh_friends() : lists->refresh_blocks(); });
    }
    return;
  }
  front_.bring_to_front();
  if (kind != 0) carry_out(text);
}

void CMainFrame::carry_out(const std::string& text) {
  std::optional<util::CLaunchRequest> request = util::ReadHandedRequest(text);
  if (!request) return;
  pending_request_ = std::move(*request);
  carry_out_pending_request();
}

void CMainFrame::carry_out_pending_request() {
  util::CLaunchRequest& request = pending_request_;
  if (request.kind == util::RequestKind::None || signing_in_) return;
  if (has_credentials(request) && (util::IsGuest() || !auth_.connected())) {
    // Logged in as someone else whose connection is down: another account takes
    // over only with the user's consent.
    const std::string current = session_.identity().user_id;
    if (session_.logged_in() && !base::iequals_ascii(current, request.login_id) &&
        !prompt_.ask(UserPrompt::Question::SwitchUser,
                     base::string_printf("'%s'님의 접속을 종료하고 '%s'(으)로 접속하시겠습니까?", current.c_str(),
                                         request.login_id.c_str()))) {
      request.Reset();
      return;
    }
    const bool auto_login = settings_.registry().read(settings::kAutoLogin);
    // The request waits for its login; a failed one drops it (after_failed_login).
    sign_in(request.login_id, request.password, auto_login, LoginCredentials::Request);
    return;
  }
  auto unavailable = [] { util::LogSystem("요청을 처리할 수 없습니다."); };
  DownloadsControl* downloads = setup_.parts.downloads;
  SearchControl* search = setup_.parts.search;
  switch (request.kind) {
    case util::RequestKind::Server:
      if (setup_.parts.remote != nullptr) {
        setup_.parts.remote->open_server(request);
      } else {
        unavailable();
      }
      break;
    case util::RequestKind::File:
    case util::RequestKind::DownloadHash:
      if (downloads == nullptr) {
        unavailable();
        break;
      }
      request.kind == util::RequestKind::File ? downloads->queue_file(request) : downloads->queue_by_hash(request);
      front_.show_view(kViewTransfers);
      downloads->refresh();
      break;
    case util::RequestKind::Search:
    case util::RequestKind::SearchText:
    case util::RequestKind::SearchHash:
      if (search == nullptr) {
        unavailable();
        break;
      }
      front_.show_view(kViewSearch);
      if (request.kind == util::RequestKind::Search) {
        search->search_words(request.hash);
      } else if (request.kind == util::RequestKind::SearchText) {
        search->search_text(request);
      } else {
        search->search_hashes(request);
      }
      break;
    default: break;
  }
  request.Reset();
  front_.bring_to_front();
}

void CMainFrame::after_failed_login(LoginCredentials tried) {
  if (pending_request_.kind == util::RequestKind::None) return;
  if (tried == LoginCredentials::Request) {
    // Kept, it would run after whatever login comes next, perhaps another user's.
    pending_request_.Reset();
    util::LogSystem("로그인에 실패하여 요청을 처리하지 않습니다.");
    return;
  }
  // A request that came with a login of its own while another login ran gets its own try now.
  if (has_credentials(pending_request_)) carry_out_pending_request();
}

void CMainFrame::file_info_reply(const std::string& text) {
  const std::vector<std::string> fields = base::split(text, '|');
  if (fields.size() < 3) return;
  // The share server answers FileHash|name|size; the page takes the size before the name.
  const std::string& hash = fields[0];
  const std::string& name = fields[1];
  const std::string& size = fields[2];
  open_file_info_page(hash, size, name);
}

void CMainFrame::open_file_info_page(const std::string& hash, const std::string& size, const std::string& name) {
  front_.open_page_window(setup_.endpoints.web_base + base::string_printf("/client/srh_fileid.html?q_id_fid=%s&q_no_fsize=%s&q_nm_fid=%s",
                                                                          util::EncodeWire(hash).c_str(), util::EncodeWire(size).c_str(),
                                                                          util::EncodeWire(name).c_str()));
}

void CMainFrame::file_link_reply(const std::string& text) {
  const std::vector<std::string> fields = base::split(text, '|');
  if (fields.size() < 4) return;
  front_.show_file_link(util::FileLinkWithSource(fields[3], fields[1], fields[0], fields[2]));
}

bool CMainFrame::QueueSubtitleUpload(const std::string& path) {
  if (!psub_ || subtitle_uploader_ == nullptr) return false;
  subtitle_uploader_->post({core::TM_SUBTITLE_UPLOAD, 0, 0, std::make_unique<core::TextPayload>(path)});
  return true;
}

bool CMainFrame::launch_chat_program() {
  if (setup_.chat_program.empty()) return false;
  if (!session_.logged_in() || !auth_.connected()) {
    front_.ask_for_login();
    return false;
  }
  const service::SessionRecord record = session_.record();
  const std::string line = base::string_printf(
      "%s||%s||%d||%s||%d||%s||%s", record.identity.user_id.c_str(), record.identity.member_label.c_str(), record.extra_flag,
      record.identity.auth_token_b.c_str(), record.identity.member_level, record.password.c_str(), record.identity.auth_token_a.c_str());
  return platform::spawn_detached({setup_.chat_program.string(), util::EncodeWire(line)});
}

}  // namespace dovel::mainframe
