#pragma once

#include <optional>
#include <string>

#include "browse/content_lists.h"
#include "wire/result_reader.h"

namespace dovel::search {

// What decides whether a found record is shown, read from the session when the search starts.
struct ResultRules {
  bool adult = false;          // the user may see rows of adult shares
  bool transfer_flag = false;  // the content lists are not consulted
  const browse::ContentLists* lists = nullptr;  // never null
};

// The name a record is shown with (listed words masked), or nullopt when a rule
// drops it: an adult share for a user who is not adult; unless transfer_flag is
// set, a forbidden name, a forbidden extension or restricted file name (files),
// a restricted folder name (folders), a forbidden FileHash.
std::optional<std::string> shown_name(const wire::ResultRecord& record, const ResultRules& rules);

}  // namespace dovel::search
