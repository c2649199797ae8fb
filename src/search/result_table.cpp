#include "search/result_table.h"

#include <algorithm>

#include "base/string_printf.h"

namespace dovel::search {
namespace {

// Rows with a hash are found by it; a record without one by everything it
// says, so that only the same answer from the same server meets its row again.
std::string row_key(const wire::ResultRecord& record, const FoundAt& at) {
  if (!record.hash.empty()) return record.hash;
  return base::string_printf("%u:%u|%d|%lld|%d|", at.server.address, static_cast<unsigned>(at.server.port), record.file_type, static_cast<long long>(record.size),
                             record.share_index) +
         record.path + '|' + record.name;
}

ResultSource source_of(const wire::ResultRecord& record, const FoundAt& at) {
  return {at.responder_id, at.server, at.response_ms, record.name, record.right, record.path, record.share_index};
}

}  // namespace

bool ResultTable::insert(const wire::ResultRecord& record, std::string shown_name, const FoundAt& at) {
  const std::string key = row_key(record, at);
  if (auto found = row_of_key_.find(key); found != row_of_key_.end()) return add_source(rows_[found->second], source_of(record, at));
  if (rows_.size() >= kMaxRows) return false;
  ResultRow row{std::move(shown_name), record.size, record.hash, record.file_type, at.response_ms, {source_of(record, at)}};
  row_of_key_.emplace(key, rows_.size());
  rows_.push_back(std::move(row));
  return true;
}

bool ResultTable::add_source(ResultRow& row, ResultSource source) {
  auto known = std::find_if(row.sources.begin(), row.sources.end(), [&](const ResultSource& have) { return have.server == source.server; });
  if (known != row.sources.end()) {
    if (source.response_ms >= known->response_ms) return false;
    known->response_ms = source.response_ms;
  } else {
    if (row.sources.size() >= kMaxSourcesPerRow) return false;
    row.sources.push_back(std::move(source));
  }
  row.fastest_ms = std::min_element(row.sources.begin(), row.sources.end(), [](const ResultSource& a, const ResultSource& b) {
                     return a.response_ms < b.response_ms;
                   })->response_ms;
  return true;
}

void ResultTable::sort(const SortOrder& order) {
  sort_rows(rows_, order);
  index_rows();
}

void ResultTable::clear() {
  rows_.clear();
  row_of_key_.clear();
}

void ResultTable::index_rows() {
  row_of_key_.clear();
  for (size_t i = 0; i < rows_.size(); ++i) {
    const ResultRow& row = rows_[i];
    const ResultSource& first = row.sources.front();
    const wire::ResultRecord record{first.name, row.size, row.hash, row.file_type, first.right, first.path, first.share_index};
    row_of_key_.emplace(row_key(record, {first.responder_id, first.server, first.response_ms}), i);
  }
}

}  // namespace dovel::search
