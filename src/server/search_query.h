#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"
#include "wire/query_datagram.h"

namespace dovel::server {

// The SQL of a query with every value it carries as a bound parameter (0-based,
// in order). The rows come as: name, hash, extension, file type, size, right,
// path, share index.
struct SearchStatement {
  std::string sql;
  std::vector<std::variant<std::string, int64_t>> parameters;
};

// The statements that answer a query, to be read in order. `shares` are the
// share indexes whose rows the searcher may see (the caller answers nothing when
// there are none). A keyword query reads the (name, extension) pairs that
// `name_match` (a name-index expression for its words) selects, then the pairs
// newer than `indexed_up_to`, which the full-text table does not hold yet.
std::vector<SearchStatement> build_search_statements(const wire::SearchQuery& query, const std::vector<settings::ShareIndex>& shares,
                                                     std::string_view name_match, int64_t indexed_up_to);

}  // namespace dovel::server
