#include "download/download_records.h"

#include <mutex>

#include "base/text.h"
#include "db/sqlite_error.h"
#include "util/letter_pair.h"

namespace dovel::download {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// Addresses are kept as the signed 32-bit value of their network-order form.
int64_t stored_address(platform::Ipv4 address) { return static_cast<int32_t>(address); }
platform::Ipv4 address_from_stored(int64_t value) { return static_cast<platform::Ipv4>(static_cast<uint32_t>(value)); }

int64_t number_or_zero(const std::string& text) { return base::parse_int64(text).value_or(0); }

// Groups several statements so that they land together or not at all, whether
// or not a transaction of the info database is open around them (a savepoint
// nests inside one without committing it early).
class StatementGroup {
 public:
  explicit StatementGroup(db::InfoDatabase& info) : info_(info) { open_ = info_.InfoExecute("Savepoint [download_records];"); }
  ~StatementGroup() {
    if (!open_) return;
    if (!done_) info_.InfoExecute("Rollback To [download_records];");
    info_.InfoExecute("Release [download_records];");
  }
  StatementGroup(const StatementGroup&) = delete;
  StatementGroup& operator=(const StatementGroup&) = delete;

  bool open() const { return open_; }
  void done() { done_ = true; }

 private:
  db::InfoDatabase& info_;
  bool open_ = false;
  bool done_ = false;
};

bool delete_rows(db::InfoDatabase& info, std::string_view sql, const std::string& hash) {
  db::Sqlite2Statement statement = info.connection().Prepare(sql);
  statement.Bind(0, hash);
  statement.Execute();
  return true;
}

bool source_stored(db::InfoDatabase& info, const std::string& hash, const Source& source) {
  db::Sqlite2Statement count = info.connection().Prepare("Select count(*) From [addr_info] Where [hash]=? AND [ip]=? AND [port]=?");
  count.Bind(0, hash);
  count.Bind(1, stored_address(source.address));
  count.Bind(2, static_cast<int>(source.port));
  db::Sqlite2Query query = count.Query();
  return !query.AtEnd() && number_or_zero(query.Text(0)) > 0;
}

void insert_source(db::InfoDatabase& info, const std::string& hash, const Source& source) {
  db::Sqlite2Statement insert = info.connection().Prepare("Insert Into [addr_info] ([hash],[ip],[port],[id]) Values (?,?,?,?)");
  insert.Bind(0, hash);
  insert.Bind(1, stored_address(source.address));
  insert.Bind(2, static_cast<int>(source.port));
  insert.Bind(3, util::Encode(source.peer_id));
  insert.Execute();
}

bool insert_new_sources(db::InfoDatabase& info, const std::string& hash, const std::vector<Source>& sources) {
  for (const Source& source : sources) {
    if (!source_stored(info, hash, source)) insert_source(info, hash, source);
  }
  return true;
}

}  // namespace

bool insert_queued_row(db::InfoDatabase& info, const QueuedRow& row) {
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement insert = info.connection().Prepare(
        "Insert Into [incompleted_files] ([hash],[filename],[size],[current],[id],[pass],[shared_index],[path],[subdownpath])\t"
        "Values(?,?,?,?,?,?,?,?,?)");
    insert.Bind(0, row.hash);
    insert.Bind(1, row.file_name);
    insert.Bind(2, row.size);
    insert.Bind(3, row.current);
    insert.Bind(4, row.peer_id);
    insert.Bind(5, row.password);
    insert.Bind(6, row.shared_index);
    insert.Bind(7, row.path);
    insert.Bind(8, row.sub_folder);
    insert.Execute();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool update_progress(db::InfoDatabase& info, const std::string& hash, int64_t current, int shared_index, const std::string& path) {
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement update =
        info.connection().Prepare("Update [incompleted_files] Set [current]=?,[shared_index]=?,[path]=? Where [hash]=?");
    update.Bind(0, current);
    update.Bind(1, shared_index);
    update.Bind(2, path);
    update.Bind(3, hash);
    update.Execute();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool update_order(db::InfoDatabase& info, const std::string& hash, const std::string& peer_id, int index) {
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement update = info.connection().Prepare("Update [incompleted_files] Set [id]=?, [idx]=? Where [hash]=?");
    update.Bind(0, peer_id);
    update.Bind(1, index);
    update.Bind(2, hash);
    update.Execute();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool delete_queued_file(db::InfoDatabase& info, const std::string& hash) {
  Lock guard(info.info_lock());
  try {
    StatementGroup group(info);
    if (!group.open()) return false;
    delete_rows(info, "Delete From [down_file_info] Where [hash]=?", hash);
    delete_rows(info, "Delete From [incompleted_files] Where [hash]=?", hash);
    delete_rows(info, "Delete From [addr_info] Where [hash]=?", hash);
    group.done();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

std::vector<QueuedRow> load_queued_rows(db::InfoDatabase& info) {
  Lock guard(info.info_lock());
  std::vector<QueuedRow> rows;
  try {
    db::Sqlite2Query query = info.connection().Query(
        "Select [hash],[filename],[size],[current],[id],[pass],[shared_index],[path],[subdownpath] From [incompleted_files] order by [idx]");
    for (; !query.AtEnd(); query.Next()) {
      QueuedRow row;
      row.hash = query.Text(0);
      row.file_name = query.Text(1);
      row.size = number_or_zero(query.Text(2));
      row.current = number_or_zero(query.Text(3));
      row.peer_id = query.Text(4);
      row.password = query.Text(5);
      row.shared_index = static_cast<int>(number_or_zero(query.Text(6)));
      row.path = query.Text(7);
      row.sub_folder = query.Text(8);
      rows.push_back(std::move(row));
    }
  } catch (const db::CppSQLiteException&) {
  }
  return rows;
}

bool add_sources(db::InfoDatabase& info, const std::string& hash, const std::vector<Source>& sources) {
  Lock guard(info.info_lock());
  try {
    StatementGroup group(info);
    if (!group.open()) return false;
    insert_new_sources(info, hash, sources);
    group.done();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool replace_sources(db::InfoDatabase& info, const std::string& hash, const std::vector<Source>& sources) {
  Lock guard(info.info_lock());
  try {
    StatementGroup group(info);
    if (!group.open()) return false;
    delete_rows(info, "Delete From [addr_info] Where [hash]=?", hash);
    insert_new_sources(info, hash, sources);
    group.done();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

std::vector<Source> load_sources(db::InfoDatabase& info, const std::string& hash) {
  Lock guard(info.info_lock());
  std::vector<Source> sources;
  try {
    db::Sqlite2Statement select = info.connection().Prepare("Select [ip],[port],[id] From [addr_info] Where [hash]=?");
    select.Bind(0, hash);
    for (db::Sqlite2Query query = select.Query(); !query.AtEnd(); query.Next()) {
      std::optional<uint32_t> port = base::parse_uint32(query.Text(1));
      if (!port || *port == 0 || *port > 0xFFFF) continue;
      Source source;
      source.address = address_from_stored(number_or_zero(query.Text(0)));
      source.port = static_cast<uint16_t>(*port);
      std::string decoded = util::Decode(query.Text(2));
      source.peer_id = decoded.empty() ? query.Text(2) : decoded;
      sources.push_back(std::move(source));
    }
  } catch (const db::CppSQLiteException&) {
  }
  return sources;
}

bool update_source_address(db::InfoDatabase& info, const std::string& peer_id, platform::Ipv4 address, uint16_t port) {
  if (peer_id.empty()) return false;
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement update = info.connection().Prepare("Update [addr_info] Set [ip]=?,[port]=? Where [id]=?");
    update.Bind(0, stored_address(address));
    update.Bind(1, static_cast<int>(port));
    update.Bind(2, util::Encode(peer_id));
    update.Execute();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool insert_range_placeholder(db::InfoDatabase& info, const std::string& hash) {
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement insert = info.connection().Prepare("Insert Into [down_file_info] ([hash],[start_pos],[end_pos]) Values(?,0,0)");
    insert.Bind(0, hash);
    insert.Execute();
    return true;
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

bool has_range_rows(db::InfoDatabase& info, const std::string& hash) {
  Lock guard(info.info_lock());
  try {
    db::Sqlite2Statement select = info.connection().Prepare("Select * From [down_file_info] Where [hash]=?");
    select.Bind(0, hash);
    return !select.Query().AtEnd();
  } catch (const db::CppSQLiteException&) {
    return false;
  }
}

}  // namespace dovel::download
