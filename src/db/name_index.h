#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite3_connection.h"

// The name index lets a keyword search start from the rows that can match
// instead of reading the whole table. [shared_names] holds the distinct
// (name, extension) pairs of [shared_files], kept by triggers; the full-text
// table [shared_names_grams] holds, per pair, every 1- and 2-character piece
// ("gram") of the name as LIKE compares characters (ASCII letters folded to
// lower case, everything else exact) and the extension as one exact term. Pairs
// up to [shared_names_indexed].up_to are in the full-text table; later ones are
// taken in by CatchUpNameIndex. A search reads pairs from the full-text table,
// the newer pairs directly, and the rows of each pair through the name index of
// [shared_files].
namespace dovel::db {

// Makes every connection that this process opens from now on know the index's
// tokenizer: the triggers run it on each write to [shared_files], whichever
// connection writes (plain ones included). Safe to call again.
void EnableNameTokenizer();

// Creates the index and its triggers when missing, filled from the rows already
// stored, in one transaction; otherwise takes out pairs no row has any more when
// there are many. False when that failed (nothing changed).
bool CreateNameIndex(Sqlite3Connection& data);

// Takes up to `most` pairs that the full-text table lacks into it (in a
// savepoint); true when none is left. Throws CppSQLite3Exception.
bool CatchUpNameIndex(Sqlite3Connection& data, int64_t most);
// Pairs with an id up to this are in the full-text table.
int64_t NameIndexIndexedUpTo(Sqlite3Connection& data);

// What a keyword search can look up for one word (UTF-8): its 1-gram when it
// has one character, else its 2-grams. Every row whose name contains the word
// as LIKE compares holds each of them. Empty for an empty word.
std::vector<std::string> NameIndexGrams(std::string_view word);
// The term of rows whose extension is exactly `extension`.
std::string NameIndexExtensionTerm(std::string_view extension);
// The expression for "[shared_names_grams] MATCH ?" that keeps the rows holding
// every one of `terms`. The pairs it keeps are candidates: the caller still
// applies the exact LIKE and extension tests.
std::string NameIndexMatch(const std::vector<std::string>& terms);

// How many pairs of the full-text table hold `term`. Costs about as much as
// reading that many row ids.
int64_t NameIndexRowsHolding(Sqlite3Connection& data, std::string_view term);

}  // namespace dovel::db
