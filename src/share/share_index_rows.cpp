#include "share/share_index_rows.h"

#include <string>

#include "db/locked_transaction.h"
#include "util/string_printf.h"

namespace dovel::share {

bool remove_share_rows(db::Sqlite3Connection& connection, ShareIndex removed) {
  return db::execute_in_transaction(
      connection, {util::string_printf("Delete From [shared_files] Where [shared_index]=%d", removed),
                   util::string_printf("Update [shared_files] Set [shared_index]=[shared_index]-1 Where [shared_index]>%d", removed)});
}

bool drop_rows_beyond(db::Sqlite3Connection& connection, size_t share_count) {
  return db::execute_in_transaction(connection, {util::string_printf("Delete From [shared_files] Where [shared_index]>=%zu", share_count)});
}

}  // namespace dovel::share
