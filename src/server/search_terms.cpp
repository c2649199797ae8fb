#include "server/search_terms.h"

#include <algorithm>

#include "db/name_index.h"

namespace dovel::server {

namespace {

// What walking one more list of the full-text table costs per entry of the
// shortest list, against checking one candidate pair by LIKE and its rows
// (measured: about 0.06 and 0.25 microseconds).
constexpr double kStepCost = 1;
constexpr double kCheckCost = 4;

struct Gram {
  std::string text;
  int64_t rows = 0;
  size_t word = 0;
  size_t position = 0;
};

bool overlaps(const Gram& a, const Gram& b) { return a.word == b.word && (a.position > b.position ? a.position - b.position : b.position - a.position) < 2; }

}  // namespace

std::optional<std::string> SearchTermPlanner::match(db::Sqlite3Connection& data, int64_t indexed_up_to, const std::vector<std::string>& words,
                                                    const std::optional<std::string>& extension) {
  if (indexed_up_to != indexed_up_to_) {
    counts_.clear();
    indexed_up_to_ = indexed_up_to;
  }
  std::vector<Gram> chosen;
  std::vector<Gram> spare;
  for (size_t word = 0; word < words.size(); ++word) {
    const std::vector<std::string> grams = db::NameIndexGrams(words[word]);
    std::vector<Gram> counted;
    for (size_t position = 0; position < grams.size(); ++position) counted.push_back({grams[position], rows_holding(data, grams[position]), word, position});
    if (counted.empty()) continue;
    auto rarest = std::min_element(counted.begin(), counted.end(), [](const Gram& a, const Gram& b) { return a.rows < b.rows; });
    chosen.push_back(*rarest);
    counted.erase(rarest);
    spare.insert(spare.end(), counted.begin(), counted.end());
  }
  if (chosen.empty()) return std::nullopt;

  // A further gram of a word pays when the candidates it would rule out (words
  // taken as independent) cost more to check than its list costs to walk. A gram
  // that shares a character with one already chosen rules out little.
  const double total = static_cast<double>(std::max<int64_t>(indexed_up_to, 1));
  double candidates = total;
  double shortest = total;
  for (const Gram& gram : chosen) {
    candidates *= static_cast<double>(gram.rows) / total;
    shortest = std::min(shortest, static_cast<double>(gram.rows));
  }
  std::sort(spare.begin(), spare.end(), [](const Gram& a, const Gram& b) { return a.rows < b.rows; });
  for (const Gram& gram : spare) {
    if (std::any_of(chosen.begin(), chosen.end(), [&](const Gram& other) { return overlaps(gram, other); })) continue;
    const double share = static_cast<double>(gram.rows) / total;
    if (candidates * (1 - share) * kCheckCost <= shortest * kStepCost) continue;
    chosen.push_back(gram);
    candidates *= share;
  }

  std::vector<std::string> terms;
  for (const Gram& gram : chosen) {
    if (std::find(terms.begin(), terms.end(), gram.text) == terms.end()) terms.push_back(gram.text);
  }
  if (extension) terms.push_back(db::NameIndexExtensionTerm(*extension));
  return db::NameIndexMatch(terms);
}

int64_t SearchTermPlanner::rows_holding(db::Sqlite3Connection& data, const std::string& gram) {
  if (auto known = counts_.find(gram); known != counts_.end()) return known->second;
  if (counts_.size() >= remembered_) counts_.clear();
  const int64_t count = db::NameIndexRowsHolding(data, gram);
  counts_.emplace(gram, count);
  return count;
}

}  // namespace dovel::server
