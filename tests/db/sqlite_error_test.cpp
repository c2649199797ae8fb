#include "db/sqlite_error.h"

#include <gtest/gtest.h>

#include <string>

namespace dovel::db {
namespace {

struct CodeName {
  int code;
  const char* name;
};

TEST(SqliteCodeName, EveryKnownCodeAndTheGapsAroundThem) {
  const CodeName cases[] = {
      {0, "SQLITE_OK"},           {1, "SQLITE_ERROR"},       {2, "SQLITE_INTERNAL"},  {3, "SQLITE_PERM"},       {4, "SQLITE_ABORT"},
      {5, "SQLITE_BUSY"},         {6, "SQLITE_LOCKED"},      {7, "SQLITE_NOMEM"},     {8, "SQLITE_READONLY"},   {9, "SQLITE_INTERRUPT"},
      {10, "SQLITE_IOERR"},       {11, "SQLITE_CORRUPT"},    {12, "SQLITE_NOTFOUND"}, {13, "SQLITE_FULL"},      {14, "SQLITE_CANTOPEN"},
      {15, "SQLITE_PROTOCOL"},    {16, "SQLITE_EMPTY"},      {17, "SQLITE_SCHEMA"},   {18, "SQLITE_TOOBIG"},    {19, "SQLITE_CONSTRAINT"},
      {20, "SQLITE_MISMATCH"},    {21, "SQLITE_MISUSE"},     {22, "SQLITE_NOLFS"},    {23, "SQLITE_AUTH"},      {24, "SQLITE_FORMAT"},
      {25, "SQLITE_RANGE"},       {100, "SQLITE_ROW"},       {101, "SQLITE_DONE"},    {1000, "CPPSQLITE_ERROR"},
      // Everything else, including the neighbours of the known ranges.
      {-1, "UNKNOWN_ERROR"},      {26, "UNKNOWN_ERROR"},     {99, "UNKNOWN_ERROR"},   {102, "UNKNOWN_ERROR"},   {999, "UNKNOWN_ERROR"},
      {1001, "UNKNOWN_ERROR"},    {-1000, "UNKNOWN_ERROR"},
  };
  for (const CodeName& c : cases) EXPECT_STREQ(sqlite_code_name(c.code), c.name) << "code " << c.code;
}

struct Formatted {
  int code;
  std::string text;
  std::string message;
};

TEST(SqliteError, MessageIsNameCodeAndText) {
  const Formatted cases[] = {
      {19, "UNIQUE constraint failed: t.k", "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.k"},
      {kLayerError, "Database not open", "CPPSQLITE_ERROR[1000]: Database not open"},
      {-1, "odd", "UNKNOWN_ERROR[-1]: odd"},
      {0, "", "SQLITE_OK[0]: "},
      // The text is data, not a format.
      {1, "100% %s %d", "SQLITE_ERROR[1]: 100% %s %d"},
      {14, "열 수 없음", "SQLITE_CANTOPEN[14]: 열 수 없음"},
  };
  for (const Formatted& c : cases) {
    CppSQLite3Exception data_error(c.code, c.text);
    EXPECT_EQ(data_error.code(), c.code);
    EXPECT_EQ(data_error.message(), c.message);
    EXPECT_STREQ(data_error.what(), c.message.c_str());

    CppSQLiteException info_error(c.code, c.text);
    EXPECT_EQ(info_error.code(), c.code);
    EXPECT_EQ(info_error.message(), c.message);
  }
}

TEST(SqliteError, LongEngineTextIsKeptWhole) {
  std::string text(5000, 'x');
  SqliteError error(1, text);
  EXPECT_EQ(error.message(), "SQLITE_ERROR[1]: " + text);
}

}  // namespace
}  // namespace dovel::db
