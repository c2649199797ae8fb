#include "db/name_index.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "db/sqlite_error.h"

namespace dovel::db {
namespace {

// The engine's full-text extension API. Debian's libsqlite3-dev ships no header
// for it, so the entry points used here are declared after the published,
// versioned interface (version 2, SQLite 3.20 and later). Only the leading
// members are declared; the engine owns these tables and we never allocate one.
struct TokenizerInstance;
using TokenSink = int (*)(void* context, int flags, const char* token, int token_bytes, int start, int end);
struct TokenizerEntryPoints {
  int (*create)(void* user_data, const char** arguments, int argument_count, TokenizerInstance** instance);
  void (*destroy)(TokenizerInstance* instance);
  int (*tokenize)(TokenizerInstance* instance, void* context, int flags, const char* text, int text_bytes, TokenSink sink);
};
struct FullTextApi {
  int version;
  int (*create_tokenizer)(FullTextApi* api, const char* name, void* user_data, TokenizerEntryPoints* tokenizer, void (*destroy)(void*));
};
constexpr int kTokenizeQuery = 0x0001;

constexpr const char* kTokenizerName = "dovel_name_grams";
// What the index hands the tokenizer is marked (kPairDocument), so that no name
// can be taken for an extension or the other way round.
constexpr char kExtensionMark = '\x01';
constexpr char kNameMark = '\x02';

// The longest encoding append_character writes.
constexpr size_t kMaxCharacterBytes = 7;

// Reads one character the way LIKE does: a lead byte from 0xC0 up takes every
// following continuation byte; what is not a proper character reads as U+FFFD.
// Two texts that LIKE finds equal give the same sequence of values.
uint32_t next_character(const unsigned char*& at, const unsigned char* end) {
  uint32_t value = *at++;
  if (value < 0xC0) return value;
  value = value < 0xE0 ? value & 0x1F : value < 0xF0 ? value & 0x0F : value < 0xF8 ? value & 0x07 : value < 0xFC ? value & 0x03 : value < 0xFE ? value & 0x01 : 0;
  while (at < end && (*at & 0xC0) == 0x80) value = (value << 6) + (*at++ & 0x3F);
  if (value < 0x80 || (value & 0xFFFFF800) == 0xD800 || (value & 0xFFFFFFFE) == 0xFFFE) value = 0xFFFD;
  return value;
}

// LIKE ignores the case of ASCII letters only.
uint32_t folded(uint32_t character) { return character >= 'A' && character <= 'Z' ? character + ('a' - 'A') : character; }

// UTF-8 for every real character; longer forms, still one-to-one, for the
// out-of-range values next_character can produce from broken text.
size_t append_character(char* out, uint32_t character) {
  if (character < 0x80) {
    out[0] = static_cast<char>(character);
    return 1;
  }
  static constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE};
  const uint64_t value = character;
  size_t extra = value < 0x800 ? 1 : value < 0x10000 ? 2 : value < 0x200000 ? 3 : value < 0x4000000 ? 4 : value < 0x80000000 ? 5 : 6;
  out[0] = static_cast<char>(kLeads[extra] | (value >> (6 * extra)));
  for (size_t i = 1; i <= extra; ++i) out[i] = static_cast<char>(0x80 | ((value >> (6 * (extra - i))) & 0x3F));
  return extra + 1;
}

// Calls `emit(gram, bytes, start, end, pair)` for every 1-character gram
// (pair false) and 2-character gram (pair true) of the text as LIKE reads it, up
// to a NUL, where LIKE stops; start and end are byte offsets into the text.
// Stops at the first non-zero result and returns it.
template <typename Emit>
int for_each_gram(std::string_view text, Emit emit) {
  const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = begin + text.size();
  char gram[2 * kMaxCharacterBytes];
  size_t previous_bytes = 0;
  int previous_start = 0;
  for (const unsigned char* at = begin; at < end && *at != 0;) {
    const int start = static_cast<int>(at - begin);
    char current[kMaxCharacterBytes];
    const size_t bytes = append_character(current, folded(next_character(at, end)));
    const int stop = static_cast<int>(at - begin);
    if (int result = emit(current, bytes, start, stop, false); result != 0) return result;
    if (previous_bytes > 0) {
      std::copy(current, current + bytes, gram + previous_bytes);
      if (int result = emit(gram, previous_bytes + bytes, previous_start, stop, true); result != 0) return result;
    }
    std::copy(current, current + bytes, gram);
    previous_bytes = bytes;
    previous_start = start;
  }
  return 0;
}

int create_instance(void*, const char**, int, TokenizerInstance** instance) {
  // The tokenizer keeps no state; the engine only needs a non-null handle.
  static char handle;
  *instance = reinterpret_cast<TokenizerInstance*>(&handle);
  return SQLITE_OK;
}

void destroy_instance(TokenizerInstance*) {}

// A marked name yields its grams, a marked extension one exact token. Query
// phrases are built by NameIndexMatch and are taken whole.
int tokenize(TokenizerInstance*, void* context, int flags, const char* text, int text_bytes, TokenSink sink) {
  if (text == nullptr || text_bytes <= 0) return SQLITE_OK;
  if ((flags & kTokenizeQuery) != 0 || text[0] == kExtensionMark) return sink(context, 0, text, text_bytes, 0, text_bytes);
  if (text[0] != kNameMark) return SQLITE_OK;
  return for_each_gram(std::string_view(text + 1, static_cast<size_t>(text_bytes - 1)), [&](const char* gram, size_t bytes, int start, int end, bool) {
    return sink(context, 0, gram, static_cast<int>(bytes), start + 1, end + 1);
  });
}

TokenizerEntryPoints gram_tokenizer{create_instance, destroy_instance, tokenize};

FullTextApi* full_text_api(sqlite3* handle) {
  FullTextApi* api = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK) return nullptr;
  sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
  sqlite3_step(statement);
  sqlite3_finalize(statement);
  return api != nullptr && api->version >= 2 ? api : nullptr;
}

// Runs inside the opening of every connection. An engine without full-text
// support opens as before; creating the index then fails and says so.
int register_tokenizer(sqlite3* handle, const char**, const sqlite3_api_routines*) {
  if (FullTextApi* api = full_text_api(handle)) return api->create_tokenizer(api, kTokenizerName, nullptr, &gram_tokenizer, nullptr);
  return SQLITE_OK;
}

std::string quoted_phrase(std::string_view token) {
  std::string phrase = "\"";
  for (char c : token) {
    if (c == '"') phrase += '"';
    phrase += c;
  }
  return phrase + '"';
}

// The distinct (name, extension) pairs of the table, taken in by triggers as rows
// are written: one small insert (or one lookup, for a pair already known) per
// row costs a hashing run little. Deleted rows leave their pair behind until a
// prune; searches skip pairs without rows. The full-text table over the pairs
// is filled in batches by CatchUpNameIndex: fed row by row from a trigger, it
// would write out its buffers at every statement.
constexpr const char* kCreateIndex =
    "CREATE TABLE shared_names (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, extension TEXT);"
    "CREATE INDEX shared_names_pair ON shared_names (name, extension);"
    "CREATE TABLE shared_names_indexed (up_to INTEGER NOT NULL);"
    "INSERT INTO shared_names_indexed VALUES (0);"
    "CREATE VIRTUAL TABLE shared_names_grams USING fts5(name, extension, content='', detail=none, columnsize=0, tokenize='dovel_name_grams');"
    "CREATE TRIGGER shared_names_insert AFTER INSERT ON shared_files WHEN new.name IS NOT NULL AND NOT EXISTS "
    "(SELECT 1 FROM shared_names WHERE name = new.name AND extension IS new.extention) BEGIN "
    "INSERT INTO shared_names (name, extension) VALUES (new.name, new.extention); END;"
    "CREATE TRIGGER shared_names_update AFTER UPDATE OF name, extention ON shared_files WHEN new.name IS NOT NULL AND NOT EXISTS "
    "(SELECT 1 FROM shared_names WHERE name = new.name AND extension IS new.extention) BEGIN "
    "INSERT INTO shared_names (name, extension) VALUES (new.name, new.extention); END;"
    "INSERT INTO shared_names (name, extension) SELECT DISTINCT name, extention FROM shared_files WHERE name IS NOT NULL;";

// What the full-text table holds of a pair: the marks tell the tokenizer a name
// from an extension.
constexpr const char* kPairDocument = "id, char(2) || name, char(1) || extension";

// Runs `work` so that it takes effect whole or not at all, inside a transaction
// or not.
template <typename Work>
void in_savepoint(Sqlite3Connection& data, Work work) {
  data.Execute("SAVEPOINT name_index;");
  try {
    work();
    data.Execute("RELEASE name_index;");
  } catch (const CppSQLite3Exception&) {
    data.Execute("ROLLBACK TO name_index; RELEASE name_index;");
    throw;
  }
}

int64_t single_value(Sqlite3Connection& data, std::string_view sql) {
  Sqlite3Query rows = data.Query(sql);
  return rows.AtEnd() || rows.IsNull(0) ? 0 : rows.Int64(0);
}

// Pairs no row has any more are taken out once they could be a third of all
// pairs (more pairs than rows and a half): searches skip them, but each costs a
// look-up.
void prune_stale_pairs(Sqlite3Connection& data) {
  const int64_t pairs = single_value(data, "SELECT count(*) FROM shared_names");
  const int64_t rows = single_value(data, "SELECT count(*) FROM shared_files");
  if (pairs * 2 <= rows * 3) return;
  in_savepoint(data, [&] {
    data.Execute(
        "CREATE TEMP TABLE stale_names AS SELECT id, name, extension FROM shared_names WHERE NOT EXISTS "
        "(SELECT 1 FROM shared_files WHERE shared_files.name = shared_names.name AND shared_files.extention IS shared_names.extension);"
        "INSERT INTO shared_names_grams (shared_names_grams, rowid, name, extension) SELECT 'delete', " +
        std::string(kPairDocument) +
        " FROM temp.stale_names WHERE id <= (SELECT up_to FROM shared_names_indexed);"
        "DELETE FROM shared_names WHERE id IN (SELECT id FROM temp.stale_names);"
        "DROP TABLE temp.stale_names;");
  });
}

}  // namespace

void EnableNameTokenizer() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_auto_extension(reinterpret_cast<void (*)()>(register_tokenizer)); });
}

bool CreateNameIndex(Sqlite3Connection& data) {
  try {
    if (single_value(data, "select count(*) from sqlite_master where type='table' and name='shared_names_grams'") > 0) {
      prune_stale_pairs(data);
    } else {
      in_savepoint(data, [&] {
        data.Execute(kCreateIndex);
        while (!CatchUpNameIndex(data, 100000)) {
        }
      });
    }
    return true;
  } catch (const CppSQLite3Exception&) {
    return false;
  }
}

int64_t NameIndexIndexedUpTo(Sqlite3Connection& data) { return single_value(data, "SELECT up_to FROM shared_names_indexed"); }

bool CatchUpNameIndex(Sqlite3Connection& data, int64_t most) {
  const int64_t up_to = NameIndexIndexedUpTo(data);
  const int64_t newest = single_value(data, "SELECT max(id) FROM shared_names");
  if (newest <= up_to) return true;
  const int64_t last = std::min(newest, up_to + most);
  in_savepoint(data, [&] {
    Sqlite3Statement insert = data.Prepare("INSERT INTO shared_names_grams (rowid, name, extension) SELECT " + std::string(kPairDocument) +
                                           " FROM shared_names WHERE id > ? AND id <= ?");
    insert.Bind(0, up_to);
    insert.Bind(1, last);
    insert.Execute();
    insert.Finish();
    Sqlite3Statement mark = data.Prepare("UPDATE shared_names_indexed SET up_to = ?");
    mark.Bind(0, last);
    mark.Execute();
    mark.Finish();
  });
  return last == newest;
}

std::vector<std::string> NameIndexGrams(std::string_view word) {
  std::vector<std::string> singles;
  std::vector<std::string> pairs;
  for_each_gram(word, [&](const char* gram, size_t bytes, int, int, bool pair) {
    (pair ? pairs : singles).emplace_back(gram, bytes);
    return 0;
  });
  return singles.size() == 1 ? singles : pairs;
}

std::string NameIndexExtensionTerm(std::string_view extension) { return kExtensionMark + std::string(extension); }

std::string NameIndexMatch(const std::vector<std::string>& terms) {
  std::string expression;
  for (const std::string& term : terms) expression += (expression.empty() ? "" : " AND ") + quoted_phrase(term);
  return expression;
}

int64_t NameIndexRowsHolding(Sqlite3Connection& data, std::string_view term) {
  // The counting table lives in the connection's temporary schema: nothing is
  // added to the file.
  data.Execute("CREATE VIRTUAL TABLE IF NOT EXISTS temp.shared_names_gram_counts USING fts5vocab(main, shared_names_grams, 'row');");
  Sqlite3Statement count = data.Prepare("Select [doc] From temp.shared_names_gram_counts Where [term]=?");
  count.Bind(0, term);
  Sqlite3Query rows = count.Query();
  return rows.AtEnd() ? 0 : rows.Int64(0);
}

}  // namespace dovel::db
