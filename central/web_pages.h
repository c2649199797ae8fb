#pragma once

#include <optional>
#include <string>
#include <vector>

#include "central/account_store.h"
#include "central/startup_documents.h"

namespace dovel::central {

// What the web host answers, UTF-8 here and CP949 on the wire.

// The status file with these attributes (the defaults: the service is open,
// both switches off).
std::string status_file(const StatusFileFields& fields);
// The update list with these files (none: no client ever needs an update).
std::string update_list(const std::vector<UpdateListEntry>& files);
// The warning status of an account: "level 0x06 kind 0x06 text"; zeros and no
// text for an unknown one.
std::string warning_status(const std::optional<Account>& account);
// A page that stands in for one of the service's web pages.
std::string placeholder_page();
// The search window's side pane shows itself only for a page with text, so this one has none.
std::string empty_page();

}  // namespace dovel::central
