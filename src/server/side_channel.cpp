#include "server/side_channel.h"

#include <climits>
#include <mutex>

#include "base/text.h"
#include "db/database_lock.h"
#include "platform/cp949.h"
#include "server/server_status.h"
#include "server/shared_file_lookup.h"

namespace dovel::server {

std::optional<std::string> side_channel_answer(ShareServerContext& context, db::Sqlite3Connection& connection, std::string_view request) {
  if (request.empty() || context.hashing->active()) return std::nullopt;
  const char letter = request.front();
  std::string_view text = request.substr(1);
  text = text.substr(0, text.find('\0'));
  if (letter == 'I') return identity_answer(context);
  if (letter != 'H' && letter != 'R') return std::nullopt;
  std::vector<std::string> fields = base::split(text, '|');
  if (fields.size() != 4) return std::nullopt;
  auto path = platform::cp949_to_utf8(fields[0]);
  auto name = platform::cp949_to_utf8(fields[1]);
  auto size = base::parse_int64(fields[2]);
  auto index = base::parse_int64(fields[3]);
  if (!path || !name || !size || !index || *index < -1 || *index > INT32_MAX) return std::nullopt;
  std::string hash = stored_hash_of(connection, *name, *size);
  if (hash.empty()) hash = context.hashing->hash_on_demand(*path, *name, static_cast<settings::ShareIndex>(*index));
  if (hash.empty()) return std::nullopt;
  std::string answer = std::string(1, letter) + hash;
  answer += '\0';
  return answer;
}

void run_side_channel(ShareServerContext& context, std::shared_ptr<PeerSocket> socket) {
  std::optional<std::string> request = read_client_frame(socket->fd(), kMaxClientFrameLength, kSideChannelReadMs, kSideChannelReadMs);
  // A hashing run holds the database; the side channel stays silent meanwhile.
  if (request && !context.hashing->active()) {
    db::Sqlite3Connection connection;
    {
      std::lock_guard guard(db::database_lock());
      try {
        connection.Open(context.database_file);
      } catch (const db::CppSQLite3Exception&) {
      }
    }
    if (auto answer = side_channel_answer(context, connection, *request)) socket->send_frame(*answer);
    std::lock_guard guard(db::database_lock());
    connection.Close();
  }
  socket->shutdown();
}

}  // namespace dovel::server
