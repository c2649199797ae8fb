#include "central/account_store.h"

#include <ctime>
#include <variant>

#include "base/text.h"
#include "central/account_rules.h"
#include "central/password_hash.h"

namespace dovel::central {
namespace {

constexpr const char* kAccountColumns =
    "serial, user_id, label, member_level, adult, transfer_flag, privilege_a, privilege_b, warning_level, suspension_kind, extra_flag, "
    "warning_text, points";

Account read_account(const db::Sqlite3Query& row) {
  Account account;
  account.serial = row.Int64(0);
  account.user_id = row.Text(1);
  account.label = row.Text(2);
  account.member_level = row.Int(3);
  account.adult = row.Int(4) != 0;
  account.transfer_flag = static_cast<uint8_t>(row.Int(5));
  account.privilege_a = static_cast<uint8_t>(row.Int(6));
  account.privilege_b = static_cast<uint8_t>(row.Int(7));
  account.warning_level = static_cast<uint8_t>(row.Int(8));
  account.suspension_kind = static_cast<uint8_t>(row.Int(9));
  account.extra_flag = static_cast<uint8_t>(row.Int(10));
  account.warning_text = row.Text(11);
  account.points = row.Int64(12);
  return account;
}

bool changes_are_valid(const AccountChanges& changes, std::string* problem) {
  if (changes.password && !valid_password(*changes.password, problem)) return false;
  if (changes.label && !valid_label(*changes.label, problem)) return false;
  if (changes.warning_text && !valid_warning_text(*changes.warning_text, problem)) return false;
  return true;
}

// One "column = ?" per changed field, with the value to bind.
struct Assignment {
  std::string column;
  std::variant<int64_t, std::string> value;
};

std::vector<Assignment> assignments_of(const AccountChanges& changes) {
  std::vector<Assignment> assignments;
  if (changes.password) {
    PasswordHash hash = hash_password(*changes.password);
    assignments.push_back({"password_salt", hash.salt});
    assignments.push_back({"password_hash", hash.hash});
  }
  if (changes.label) assignments.push_back({"label", *changes.label});
  if (changes.warning_text) assignments.push_back({"warning_text", *changes.warning_text});
  if (changes.member_level) assignments.push_back({"member_level", int64_t{*changes.member_level}});
  if (changes.adult) assignments.push_back({"adult", int64_t{*changes.adult ? 1 : 0}});
  if (changes.points) assignments.push_back({"points", *changes.points});
  const std::pair<const char*, const std::optional<uint8_t>*> flags[] = {
      {"transfer_flag", &changes.transfer_flag}, {"privilege_a", &changes.privilege_a},         {"privilege_b", &changes.privilege_b},
      {"warning_level", &changes.warning_level}, {"suspension_kind", &changes.suspension_kind}, {"extra_flag", &changes.extra_flag}};
  for (const auto& [column, value] : flags) {
    if (*value) assignments.push_back({column, int64_t{**value}});
  }
  return assignments;
}

}  // namespace

AccountStore::Change AccountStore::add(const NewAccount& account, std::string* problem) {
  std::optional<std::string> id = normalized_user_id(account.user_id, problem);
  if (!id || !valid_password(account.password, problem) || !valid_label(account.label, problem)) return Change::Invalid;
  PasswordHash hash = hash_password(account.password);
  return database_.with([&](db::Sqlite3Connection& connection) {
    auto exists = connection.Prepare("SELECT 1 FROM accounts WHERE user_id = ?");
    exists.Bind(0, *id);
    if (!exists.Query().AtEnd()) return Change::AlreadyExists;
    auto insert = connection.Prepare(
        "INSERT INTO accounts (user_id, password_salt, password_hash, label, member_level, adult, created) VALUES (?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(0, *id);
    insert.Bind(1, hash.salt);
    insert.Bind(2, hash.hash);
    insert.Bind(3, account.label);
    insert.Bind(4, int64_t{account.member_level});
    insert.Bind(5, account.adult ? 1 : 0);
    insert.Bind(6, static_cast<int64_t>(std::time(nullptr)));
    insert.Execute();
    return Change::Done;
  });
}

AccountStore::Change AccountStore::update(std::string_view user_id, const AccountChanges& changes, std::string* problem) {
  if (!changes_are_valid(changes, problem)) return Change::Invalid;
  std::vector<Assignment> assignments = assignments_of(changes);
  std::string id = base::ascii_lower(user_id);
  return database_.with([&](db::Sqlite3Connection& connection) {
    std::string sql = "UPDATE accounts SET serial = serial";
    for (const Assignment& assignment : assignments) sql += ", " + assignment.column + " = ?";
    sql += " WHERE user_id = ?";
    auto statement = connection.Prepare(sql);
    int parameter = 0;
    for (const Assignment& assignment : assignments) {
      std::visit([&](const auto& value) { statement.Bind(parameter++, value); }, assignment.value);
    }
    statement.Bind(parameter, id);
    return statement.Execute() == 1 ? Change::Done : Change::NoSuchAccount;
  });
}

AccountStore::Change AccountStore::remove(std::string_view user_id) {
  std::string id = base::ascii_lower(user_id);
  return database_.with([&](db::Sqlite3Connection& connection) {
    auto statement = connection.Prepare("DELETE FROM accounts WHERE user_id = ?");
    statement.Bind(0, id);
    return statement.Execute() == 1 ? Change::Done : Change::NoSuchAccount;
  });
}

std::optional<Account> AccountStore::find(std::string_view user_id) {
  std::string id = base::ascii_lower(user_id);
  return database_.with([&](db::Sqlite3Connection& connection) -> std::optional<Account> {
    auto statement = connection.Prepare(std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE user_id = ?");
    statement.Bind(0, id);
    db::Sqlite3Query row = statement.Query();
    if (row.AtEnd()) return std::nullopt;
    return read_account(row);
  });
}

std::vector<Account> AccountStore::list() {
  return database_.with([&](db::Sqlite3Connection& connection) {
    std::vector<Account> accounts;
    for (db::Sqlite3Query row = connection.Query(std::string("SELECT ") + kAccountColumns + " FROM accounts ORDER BY user_id"); !row.AtEnd();
         row.Next()) {
      accounts.push_back(read_account(row));
    }
    return accounts;
  });
}

AccountStore::Verdict AccountStore::verify(std::string_view user_id, std::string_view password) {
  std::string id = base::ascii_lower(user_id);
  std::optional<PasswordHash> stored = database_.with([&](db::Sqlite3Connection& connection) -> std::optional<PasswordHash> {
    auto statement = connection.Prepare("SELECT password_salt, password_hash FROM accounts WHERE user_id = ?");
    statement.Bind(0, id);
    db::Sqlite3Query row = statement.Query();
    if (row.AtEnd()) return std::nullopt;
    return PasswordHash{row.Text(0), row.Text(1)};
  });
  // The slow hash runs outside the database lock.
  if (!stored) return Verdict::Unknown;
  return password_matches(password, *stored) ? Verdict::Ok : Verdict::WrongPassword;
}

}  // namespace dovel::central
