// Search datagrams from any peer: the type check, the query parser, the SQL it
// builds over the name index, and the paging of the answer, on a small table in
// memory. Nothing may crash, hang or build a datagram over the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <variant>

#include "db/database_lock.h"
#include "db/name_index.h"
#include "db/sqlite3_connection.h"
#include "server/search_answer.h"
#include "server/search_query.h"
#include "service/frame.h"
#include "wire/result_datagram.h"
#include "wire/search_datagram.h"

namespace {

using namespace dovel;

db::Sqlite3Connection& table() {
  static db::Sqlite3Connection connection;
  if (!connection.IsOpen()) {
    connection.Open(":memory:");
    connection.Execute(
        "create table shared_files (idx integer primary key autoincrement, hash char(32), name varchar(255), extention varchar(255), "
        "file_type integer, size integer, path text, right integer, shared_index integer not null);"
        "insert into shared_files (hash, name, extention, file_type, size, path, right, shared_index) values "
        "('0123456789abcdef0123456789abcdef', 'Love Song', 'mp3', 1, 4000000, '', 1, 0),"
        "('0123456789abcdef0123456789abcdef', 'love song copy', 'mp3', 1, 4000000, 'b', 1, 1),"
        "('', '사랑 노래', 'mp3', 1, 12, '가요\\새 폴더', 5, 1),"
        "('', '50% off_sale', '', 0, 0, 'x', 1, 0),"
        "('', '똠햏 a\"b''c', 'txt', 1, 1, '', 8, 0);");
    if (!db::CreateNameIndex(connection)) std::abort();
  }
  return connection;
}

}  // namespace

// The first byte chooses help for the fuzzer: bit 0 sets the right check byte,
// bit 1 scrambles the query text as a searcher would.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > wire::kMaxReceivedDatagram + 1) return 0;
  const uint8_t help = data[0];
  std::string datagram(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((help & 1) != 0 && datagram.size() >= 2) datagram[0] = static_cast<char>(service::search_check_byte(static_cast<uint8_t>(datagram[1])));
  if ((help & 2) != 0 && datagram.size() >= wire::kQueryText + wire::kQueryTextSize) {
    datagram.replace(wire::kQueryText, wire::kQueryTextSize, service::scrambled(datagram.substr(wire::kQueryText, wire::kQueryTextSize)));
  }

  wire::search_datagram_type(datagram);
  std::optional<wire::SearchQuery> query = wire::parse_search_query(datagram);
  if (!query) return 0;
  std::lock_guard guard(db::database_lock());
  try {
    static server::SearchTermPlanner planner;
    for (const std::string& payload : server::answer_search(table(), planner, *query, {0, 1}, "owner")) {
      if (wire::build_result_datagram({}, payload).size() > wire::kMaxResultDatagram) std::abort();
    }
  } catch (const db::CppSQLite3Exception&) {
    // A query the engine refuses is answered by nothing; what matters is the refusal.
  }
  return 0;
}
