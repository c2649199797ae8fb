#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/sqlite3_connection.h"
#include "settings/shared_folder.h"

namespace dovel::share {

// Above any real ShareIndex; rows wait here while two indices trade places.
inline constexpr settings::ShareIndex kParkingShareIndex = 100000;

// Swaps the ShareIndex of the shared-file rows of two neighbouring shares in one
// transaction under the database lock: `upper` parks at 100000, `lower` becomes
// `upper`, the parked rows become `lower`. Any failure rolls the whole swap back.
bool renumber_share_index(db::Sqlite3Connection& connection, settings::ShareIndex upper, settings::ShareIndex lower);

enum class MoveDirection { Up, Down };

struct MoveResult {
  bool moved = false;
  std::optional<std::string> message;  // why it was refused, when the user should hear it
};

// Moves the row at `index` one place up or down and renumbers the database at
// once. Refused while a hashing run is active (it holds its own view of the
// indices) and when the renumbering fails, so rows and database never disagree.
MoveResult move_shared_folder(std::vector<settings::SharedFolder>& rows, size_t index, MoveDirection direction, db::Sqlite3Connection& connection,
                              bool hashing_active);

}  // namespace dovel::share
