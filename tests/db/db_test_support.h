#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "db/sqlite_error.h"

namespace dovel::db::test {

// Passes when `action` throws exactly `Error` (not the other layer's type) with
// `code` and a message matching `message`.
template <typename Error, typename Action>
::testing::AssertionResult ThrowsError(Action&& action, int code, const ::testing::Matcher<const std::string&>& message) {
  try {
    action();
  } catch (const Error& error) {
    ::testing::StringMatchResultListener why;
    if (error.code() != code) {
      return ::testing::AssertionFailure() << "code " << error.code() << " instead of " << code << " (" << error.message() << ")";
    }
    if (!::testing::ExplainMatchResult(message, error.message(), &why)) {
      return ::testing::AssertionFailure() << "message \"" << error.message() << "\" " << why.str();
    }
    if (std::string_view(error.what()) != error.message()) return ::testing::AssertionFailure() << "what() differs from message()";
    return ::testing::AssertionSuccess();
  } catch (const SqliteError& error) {
    return ::testing::AssertionFailure() << "the other layer's exception type: " << typeid(error).name() << " " << error.message();
  } catch (const std::exception& error) {
    return ::testing::AssertionFailure() << "unexpected exception: " << error.what();
  }
  return ::testing::AssertionFailure() << "nothing thrown";
}

// A connection through the plain C interface, for building fixture files and
// for looking at a file from a second connection.
class RawDb {
 public:
  explicit RawDb(const std::filesystem::path& file) {
    if (sqlite3_open(file.c_str(), &handle_) != SQLITE_OK) ADD_FAILURE() << "cannot open " << file;
    sqlite3_busy_timeout(handle_, 100);
  }
  ~RawDb() { sqlite3_close(handle_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  sqlite3* handle() const { return handle_; }

  // Runs the statements; the engine's message, or "" on success.
  std::string exec(const std::string& sql) {
    char* error = nullptr;
    int result = sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, &error);
    std::string text = result == SQLITE_OK ? "" : (error != nullptr ? error : "error " + std::to_string(result));
    sqlite3_free(error);
    return text;
  }

  // Every row as one text, values joined by '|', NULL written as "<null>".
  // A failure comes back as a single "ERROR: ..." row.
  std::vector<std::string> rows(const std::string& sql) {
    std::vector<std::string> result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      return {"ERROR: " + std::string(sqlite3_errmsg(handle_))};
    }
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
      std::string row;
      for (int column = 0; column < sqlite3_column_count(statement); ++column) {
        if (column > 0) row += '|';
        const unsigned char* text = sqlite3_column_text(statement, column);
        row += text != nullptr ? reinterpret_cast<const char*>(text) : "<null>";
      }
      result.push_back(row);
    }
    if (step != SQLITE_DONE) result = {"ERROR: " + std::string(sqlite3_errmsg(handle_))};
    sqlite3_finalize(statement);
    return result;
  }

 private:
  sqlite3* handle_ = nullptr;
};

}  // namespace dovel::db::test
