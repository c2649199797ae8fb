#include "share/share_index_rows.h"

#include <string>

#include "base/string_printf.h"
#include "db/locked_transaction.h"

namespace dovel::share {

bool remove_share_rows(db::Sqlite3Connection& connection, settings::ShareIndex removed) {
  return db::execute_in_transaction(
      connection, {base::string_printf("Delete From [shared_files] Where [shared_index]=%d", removed),
                   base::string_printf("Update [shared_files] Set [shared_index]=[shared_index]-1 Where [shared_index]>%d", removed)});
}

bool drop_rows_beyond(db::Sqlite3Connection& connection, size_t share_count) {
  return db::execute_in_transaction(connection, {base::string_printf("Delete From [shared_files] Where [shared_index]>=%zu", share_count)});
}

}  // namespace dovel::share
