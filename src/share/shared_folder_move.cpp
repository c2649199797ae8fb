#include "share/shared_folder_move.h"

#include <utility>

#include "db/locked_transaction.h"
#include "util/string_printf.h"

namespace dovel::share {

bool renumber_share_index(db::Sqlite3Connection& connection, ShareIndex upper, ShareIndex lower) {
  return db::execute_in_transaction(
      connection, {util::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", kParkingShareIndex, upper),
                   util::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", upper, lower),
                   util::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", lower, kParkingShareIndex)});
}

MoveResult move_shared_folder(std::vector<SharedFolder>& rows, size_t index, MoveDirection direction, db::Sqlite3Connection& connection,
                              bool hashing_active) {
  if (hashing_active) return {false, "해싱중에는 위치를 이동할 수 없습니다."};
  if (index >= rows.size()) return {};
  if (direction == MoveDirection::Up && index == 0) return {};
  if (direction == MoveDirection::Down && index + 1 >= rows.size()) return {};
  size_t upper = direction == MoveDirection::Up ? index - 1 : index;
  size_t lower = upper + 1;
  if (!renumber_share_index(connection, static_cast<ShareIndex>(upper), static_cast<ShareIndex>(lower))) {
    return {false, "공유폴더의 위치를 바꾸지 못했습니다."};
  }
  std::swap(rows[upper], rows[lower]);
  return {true, std::nullopt};
}

}  // namespace dovel::share
