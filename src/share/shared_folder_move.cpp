#include "share/shared_folder_move.h"

#include <utility>

#include "base/string_printf.h"
#include "db/locked_transaction.h"

namespace dovel::share {

bool renumber_share_index(db::Sqlite3Connection& connection, settings::ShareIndex upper, settings::ShareIndex lower) {
  return db::execute_in_transaction(
      connection, {base::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", kParkingShareIndex, upper),
                   base::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", upper, lower),
                   base::string_printf("Update [shared_files] Set [shared_index]=%d Where [shared_index]=%d", lower, kParkingShareIndex)});
}

MoveResult move_shared_folder(std::vector<settings::SharedFolder>& rows, size_t index, MoveDirection direction, db::Sqlite3Connection& connection,
                              bool hashing_active) {
  if (hashing_active) return {false, "해싱중에는 위치를 이동할 수 없습니다."};
  if (index >= rows.size()) return {};
  if (direction == MoveDirection::Up && index == 0) return {};
  if (direction == MoveDirection::Down && index + 1 >= rows.size()) return {};
  size_t upper = direction == MoveDirection::Up ? index - 1 : index;
  size_t lower = upper + 1;
  if (!renumber_share_index(connection, static_cast<settings::ShareIndex>(upper), static_cast<settings::ShareIndex>(lower))) {
    return {false, "공유폴더의 위치를 바꾸지 못했습니다."};
  }
  std::swap(rows[upper], rows[lower]);
  return {true, std::nullopt};
}

}  // namespace dovel::share
