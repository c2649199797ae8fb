#include "server/control_handler.h"

#include <algorithm>
#include <climits>

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/atomic_file.h"
#include "server/folder_download_list.h"
#include "server/folder_listing.h"
#include "server/server_status.h"
#include "server/share_access.h"
#include "server/shared_file_lookup.h"
#include "util/letter_pair.h"
#include "wire/wire_text.h"

namespace dovel::server {
namespace {

constexpr size_t kMaxComponentBytes = 260;
constexpr size_t kMaxIntroBytes = 1024 * 1024;
constexpr size_t kMaxAnnouncedAddress = 64;

ControlHandler::Outcome reply(std::string payload) {
  ControlHandler::Outcome outcome;
  outcome.replies.push_back(std::move(payload));
  return outcome;
}

ControlHandler::Outcome close_connection() {
  ControlHandler::Outcome outcome;
  outcome.keep_open = false;
  return outcome;
}

std::optional<int> parse_number(std::string_view text) {
  auto value = base::parse_int64(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

ControlHandler::ControlHandler(ShareServerContext& context, PeerDatabase& database, std::shared_ptr<ConnectedPeer> peer)
    : context_(context), database_(database), peer_(std::move(peer)) {}

std::vector<std::string> ControlHandler::greeting() const {
  const service::SessionIdentity owner = context_.session->identity();
  const std::optional<std::string> user_id = wire::field(owner.user_id, "|");
  const std::optional<std::string> label = wire::field(owner.member_label, "|");
  if (!user_id || !label) return {};
  std::vector<std::string> frames = {"D" + *user_id + "|" + std::to_string(owner.member_level) + "|" + *label + '\0'};
  if (std::optional<std::string> intro = intro_frame()) frames.push_back(std::move(*intro));
  frames.push_back(status_message(context_));
  frames.push_back("5");
  return frames;
}

std::optional<std::string> ControlHandler::intro_frame() const {
  const ServedChoices settings = context_.settings->values();
  std::optional<std::string> intro;
  if (settings.use_intro_url) {
    intro = wire::field(settings.intro_url);
    if (intro) return "I1|" + *intro;
  } else {
    // A missing page is an empty one.
    const std::optional<std::string> page = platform::read_whole_file(context_.program_folder / "intro.html", kMaxIntroBytes);
    intro = wire::field(page.value_or(std::string()));
    if (intro) return "I0|" + *intro;
  }
  return std::nullopt;
}

ControlHandler::Outcome ControlHandler::handle(std::string_view payload) {
  if (payload.empty()) return close_connection();
  const char letter = payload.front();
  const std::string_view body = wire::up_to_terminator(payload.substr(1));
  switch (letter) {
    case 'A':
      peer_adult_ = !body.empty() && body.front() == '1';
      return {};
    case 'C':
      return change_folder(body);
    case 'D':
      return identify(body);
    case 'F':
      return find_by_hash(body);
    case 'H':
    case 'K':
    case 'R':
      return hash_request(letter, body);
    case 'I':
      if (auto address = wire::read_field(body); address && address->size() <= kMaxAnnouncedAddress) peer_->set_address(*address);
      return {};
    case 'L':
      return list_current();
    case 'P':
      if (auto port = parse_number(body); port && *port >= 0 && *port <= 65535) peer_->set_port(static_cast<uint16_t>(*port));
      return {};
    case 'V':
      return {};
    case 'Z':
      return folder_download(body);
    default:
      return close_connection();
  }
}

ControlHandler::Outcome ControlHandler::identify(std::string_view body) {
  std::vector<std::string> fields = base::split(body, '|');
  fields.resize(std::max<size_t>(fields.size(), 3));
  // A peer whose identity is not a text is not served.
  const std::optional<std::string> peer_id = wire::read_field(fields[0]);
  const std::optional<std::string> nickname = wire::read_field(fields[2]);
  if (!peer_id || !nickname) return close_connection();
  peer_id_ = *peer_id;
  int level = fields.size() > 1 ? parse_number(fields[1]).value_or(9) : 9;
  if (level < 1 || level > 9) level = 9;
  peer_->set_identity(peer_id_, level, *nickname);
  // A blocked user is told so; the connection stays, and every share refuses it.
  if (context_.blocks->contains(peer_id_)) return reply("3");
  if (fields.size() > 3) {
    auto index = parse_number(fields[3]);
    const auto shares = context_.settings->shared_folders();
    if (index && *index >= 0 && static_cast<size_t>(*index) < shares.size()) {
      place_ = SharePlace{*index, {}};
      access_pending_ = true;
    }
  }
  return {};
}

ControlHandler::Access ControlHandler::check_access(settings::ShareIndex index, const std::string& password) {
  const auto shares = context_.settings->shared_folders();
  if (index < 0 || static_cast<size_t>(index) >= shares.size()) return Access::Refused;
  const uint32_t flags = shares[static_cast<size_t>(index)].flags;
  // The session keeps the first folder password it was given while it opens secret shares with it.
  const std::string offered = held_password_.empty() ? password : held_password_;
  const ShareVisitor visitor = visitor_of(context_, peer_id_, peer_adult_, offered);
  switch (decide_share_access(flags, visitor, context_.settings->values().folder_pass)) {
    case ShareAccess::Granted:
      if ((flags & settings::SHARE_SECRET) != 0) held_password_ = offered;
      return Access::Granted;
    case ShareAccess::WrongPassword:
      held_password_.clear();
      return Access::WrongPassword;
    case ShareAccess::Blocked:
    case ShareAccess::AdultOnly:
    case ShareAccess::FriendsOnly:
      break;
  }
  return Access::Refused;
}

std::optional<std::string> ControlHandler::refusal_for_pending_share(const std::string& password) {
  if (!access_pending_ || place_.at_root()) return std::nullopt;
  switch (check_access(place_.index, password)) {
    case Access::Granted:
      access_pending_ = false;
      return std::nullopt;
    case Access::WrongPassword:
      return "P";
    case Access::Refused:
      return "X";
  }
  return "X";
}

ControlHandler::Outcome ControlHandler::change_folder(std::string_view body) {
  const size_t bar = body.find('|');
  const std::string_view raw_path = body.substr(0, bar);
  const std::string_view raw_password = bar == std::string_view::npos ? std::string_view() : body.substr(bar + 1);
  if (raw_path.find("./") != std::string_view::npos || raw_path.find(".\\") != std::string_view::npos) return close_connection();
  auto path = wire::read_field(raw_path);
  auto password = wire::read_field(base::split(raw_password, '|').front());
  if (!path || !password) return reply("X");

  const auto shares = context_.settings->shared_folders();
  SharePlace target = place_;
  std::vector<settings::ShareIndex> entered;
  for (const std::string& component : base::split(*path, '\\')) {
    if (component.empty()) {
      target = SharePlace{};
    } else if (component == "..") {
      if (!target.components.empty()) {
        target.components.pop_back();
      } else {
        target = SharePlace{};
      }
    } else if (component.size() >= kMaxComponentBytes) {
      continue;
    } else if (target.at_root()) {
      for (size_t index = 0; index < shares.size(); ++index) {
        if (base::iequals_ascii(shares[index].name, component)) {
          target = SharePlace{static_cast<settings::ShareIndex>(index), {}};
          entered.push_back(target.index);
          break;
        }
      }
    } else if (static_cast<size_t>(target.index) < shares.size()) {
      std::vector<std::string> deeper = target.components;
      deeper.push_back(component);
      if (open_share_folder(shares[static_cast<size_t>(target.index)], deeper).valid()) target.components = std::move(deeper);
    }
  }
  return change_folder_to(std::move(target), entered, *password);
}

ControlHandler::Outcome ControlHandler::change_folder_to(SharePlace target, const std::vector<settings::ShareIndex>& entered,
                                                         const std::string& password) {
  for (settings::ShareIndex index : entered) {
    Access access = check_access(index, password);
    if (access == Access::WrongPassword) return reply("P");
    if (access == Access::Refused) return reply("X");
  }
  // A share the session was placed in and stays in still needs its check.
  const bool stays_in_pending_share = access_pending_ && !target.at_root() && target.index == place_.index &&
                                      std::find(entered.begin(), entered.end(), target.index) == entered.end();
  if (stays_in_pending_share) {
    if (auto refusal = refusal_for_pending_share(password)) return reply(*refusal);
  } else {
    access_pending_ = false;
  }
  place_ = std::move(target);
  return reply(listing());
}

ControlHandler::Outcome ControlHandler::find_by_hash(std::string_view body) {
  std::optional<HashedRow> row = row_of_hash(database_, body);
  if (!row) return {};
  const auto shares = context_.settings->shared_folders();
  if (row->shared_index < 0 || static_cast<size_t>(row->shared_index) >= shares.size()) return {};
  SharePlace target{row->shared_index, {}};
  for (const std::string& component : base::split(row->path, '\\')) {
    if (!component.empty()) target.components.push_back(component);
  }
  if (row->is_directory) target.components.push_back(row->name);
  if (!open_share_folder(shares[static_cast<size_t>(target.index)], target.components).valid()) return {};
  const bool same_share = !place_.at_root() && place_.index == target.index && !access_pending_;
  std::vector<settings::ShareIndex> entered;
  if (!same_share) entered.push_back(target.index);
  return change_folder_to(std::move(target), entered, "");
}

std::vector<settings::ShareIndex> ControlHandler::visible_shares() const {
  const auto shares = context_.settings->shared_folders();
  const std::string folder_pass = context_.settings->values().folder_pass;
  const ShareVisitor visitor = visitor_of(context_, peer_id_, peer_adult_, held_password_);
  std::vector<settings::ShareIndex> visible;
  for (size_t index = 0; index < shares.size(); ++index) {
    if (decide_share_access(shares[index].flags, visitor, folder_pass) == ShareAccess::Granted) visible.push_back(static_cast<settings::ShareIndex>(index));
  }
  return visible;
}

ControlHandler::Outcome ControlHandler::hash_request(char letter, std::string_view body) {
  if (context_.hashing->active()) return reply("B");
  Outcome outcome;
  outcome.hash_job = HashJob{letter, std::string(body), place_.relative_path(), place_.index, visible_shares()};
  return outcome;
}

ControlHandler::Outcome ControlHandler::list_current() {
  if (auto refusal = refusal_for_pending_share("")) return reply(*refusal);
  return reply(listing());
}

std::string ControlHandler::listing() const {
  const auto shares = context_.settings->shared_folders();
  if (place_.at_root() || static_cast<size_t>(place_.index) >= shares.size()) return root_listing(shares);
  return folder_listing(context_.settings->served_tree(), place_);
}

ControlHandler::Outcome ControlHandler::folder_download(std::string_view body) {
  if (place_.at_root()) return close_connection();
  if (auto refusal = refusal_for_pending_share("")) return reply(*refusal);
  const auto shares = context_.settings->shared_folders();
  if (static_cast<size_t>(place_.index) >= shares.size()) return close_connection();
  auto path = wire::read_field(body);
  if (!path) return {};
  const settings::SharedFolder& folder = shares[static_cast<size_t>(place_.index)];
  const int limit = folder_download_limit(context_.settings->values().max_for_folder_down);
  std::optional<FolderDownloadRequest> request = parse_folder_download_path(*path, folder, place_.index, limit);
  if (!request) return {};
  auto stored_hash = [this](const std::string& file_name, int64_t size) { return stored_hash_of(database_, file_name, size, place_.index); };
  std::optional<std::string> list = folder_download_list(context_.settings->served_tree(), *request, context_.session->identity(), stored_hash);
  if (!list) return {};
  return reply(std::move(*list));
}

std::optional<std::string> ControlHandler::answer_hash_job(ShareServerContext& context, PeerDatabase& database, const HashJob& job) {
  std::vector<std::string> fields = base::split(job.request, '|');
  if (fields.size() != 2) return std::nullopt;
  auto name = wire::read_field(fields[0]);
  auto size = base::parse_int64(fields[1]);
  std::string hash;
  if (name && size) {
    hash = stored_hash_of(database, *name, *size, job.index);
    auto visible = [&job](settings::ShareIndex index) {
      return std::find(job.visible_shares.begin(), job.visible_shares.end(), index) != job.visible_shares.end();
    };
    if (hash.empty()) hash = context.hashing->hash_on_demand(job.relative_path, *name, *size, job.index, visible);
  }
  if (hash.empty()) return std::string("1");
  std::string answer = std::string(1, job.letter) + hash + "|" + fields[0] + "|" + fields[1];
  if (job.letter == 'K') answer += "|" + util::EncodeWire(context.session->identity().user_id);
  return answer;
}

}  // namespace dovel::server
