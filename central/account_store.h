#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "central/central_database.h"

namespace dovel::central {

// A user of the service, as the login reply and the warning page give it out.
struct Account {
  int64_t serial = 0;
  std::string user_id;  // lower case
  std::string label;
  int32_t member_level = 0;
  bool adult = false;
  uint8_t transfer_flag = 0;
  uint8_t privilege_a = 0;
  uint8_t privilege_b = 0;
  uint8_t warning_level = 0;
  uint8_t suspension_kind = 0;
  uint8_t extra_flag = 0;
  std::string warning_text;
  int64_t points = 0;  // what the point servers grant downloads from
};

struct NewAccount {
  std::string user_id;
  std::string password;
  std::string label;
  int32_t member_level = 0;
  bool adult = false;
};

// What `user set` changes; fields left empty stay as they are. (Every field has
// an initializer, so designated initializers may name only the changed ones.)
struct AccountChanges {
  std::optional<std::string> password{};
  std::optional<std::string> label{};
  std::optional<int32_t> member_level{};
  std::optional<bool> adult{};
  std::optional<uint8_t> transfer_flag{};
  std::optional<uint8_t> privilege_a{};
  std::optional<uint8_t> privilege_b{};
  std::optional<uint8_t> warning_level{};
  std::optional<uint8_t> suspension_kind{};
  std::optional<uint8_t> extra_flag{};
  std::optional<std::string> warning_text{};
  std::optional<int64_t> points{};
};

// The accounts table. IDs are looked up in lower case. Texts are checked
// against the account rules before they are stored; every value is bound.
// Database failures are thrown (db::SqliteError).
class AccountStore {
 public:
  explicit AccountStore(CentralDatabase& database) : database_(database) {}

  enum class Change { Done, NoSuchAccount, AlreadyExists, Invalid };
  // `problem` says what was invalid.
  Change add(const NewAccount& account, std::string* problem = nullptr);
  Change update(std::string_view user_id, const AccountChanges& changes, std::string* problem = nullptr);
  Change remove(std::string_view user_id);

  std::optional<Account> find(std::string_view user_id);
  std::vector<Account> list();

  enum class Verdict { Ok, WrongPassword, Unknown };
  Verdict verify(std::string_view user_id, std::string_view password);

 private:
  CentralDatabase& database_;
};

}  // namespace dovel::central
