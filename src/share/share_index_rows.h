#pragma once

#include <cstddef>

#include "db/sqlite3_connection.h"
#include "settings/shared_folder.h"

namespace dovel::share {

// Keeps the ShareIndex of the shared-file rows in step with a list that loses
// or gains an entry, so that no row is served as part of the wrong share before
// the next hashing run. Each runs in one transaction under the database lock;
// any failure rolls the whole change back and returns false.

// The list loses the entry at `removed`: its rows go, and the rows of every later
// entry move one index down, keeping their stored hashes. Folder rows keep their
// stored hash too: it is an identifier that is only ever looked up in this table,
// and the next hashing run writes the fresh one.
bool remove_share_rows(db::Sqlite3Connection& connection, settings::ShareIndex removed);

// The list grows beyond `share_count` entries: rows left at an index no entry
// holds (from a list that shrank without renumbering) go, so that the new entry
// does not inherit them.
bool drop_rows_beyond(db::Sqlite3Connection& connection, size_t share_count);

}  // namespace dovel::share
