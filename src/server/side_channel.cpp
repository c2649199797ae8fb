#include "server/side_channel.h"

#include <climits>

#include "base/text.h"
#include "server/server_status.h"
#include "server/share_access.h"
#include "server/shared_file_lookup.h"
#include "wire/wire_text.h"

namespace dovel::server {

std::optional<std::string> side_channel_answer(ShareServerContext& context, PeerDatabase& database, std::string_view request) {
  if (request.empty() || context.hashing->active()) return std::nullopt;
  const char letter = request.front();
  const std::string_view text = wire::up_to_terminator(request.substr(1));
  if (letter == 'I') return identity_answer(context);
  if (letter != 'H' && letter != 'R') return std::nullopt;
  std::vector<std::string> fields = base::split(text, '|');
  if (fields.size() != 4) return std::nullopt;
  auto path = wire::read_field(fields[0]);
  auto name = wire::read_field(fields[1]);
  auto size = base::parse_int64(fields[2]);
  auto index = base::parse_int64(fields[3]);
  if (!path || !name || !size || !index || *index < 0 || *index > INT32_MAX) return std::nullopt;
  const auto share_index = static_cast<settings::ShareIndex>(*index);
  // The side channel names nobody and carries no password: friend-only and
  // secret shares keep their hashes. A hash is no content, so an adult share's
  // are told as a search tells its names; downloading them needs adult status.
  const auto shares = context.settings->shared_folders();
  const std::string folder_pass = context.settings->values().folder_pass;
  auto open_to_anybody = [&](settings::ShareIndex index) {
    return static_cast<size_t>(index) < shares.size() &&
           decide_share_access(shares[static_cast<size_t>(index)].flags, ShareVisitor{.is_adult = true}, folder_pass) == ShareAccess::Granted;
  };
  if (!open_to_anybody(share_index)) return std::nullopt;
  std::string hash = stored_hash_of(database, *name, *size, share_index);
  if (hash.empty()) hash = context.hashing->hash_on_demand(*path, *name, *size, share_index, open_to_anybody);
  if (hash.empty()) return std::nullopt;
  std::string answer = std::string(1, letter) + hash;
  answer += '\0';
  return answer;
}

void run_side_channel(ShareServerContext& context, std::shared_ptr<wire::PeerSocket> socket) {
  std::optional<std::string> request = wire::read_client_frame(socket->fd(), wire::kMaxClientFrameLength, kSideChannelReadMs, kSideChannelReadMs);
  if (request) {
    PeerDatabase database(context.database_file, *context.hashing, [&socket] { return socket->is_shut_down(); });
    if (auto answer = side_channel_answer(context, database, *request)) socket->send_frame(*answer);
  }
  socket->shutdown();
}

}  // namespace dovel::server
