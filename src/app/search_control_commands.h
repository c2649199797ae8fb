#pragma once

#include "app/control_channel.h"
#include "search/result_download.h"
#include "search/search_client.h"

namespace dovel::app {

// The search commands of the control socket:
//   search WORDS [--ext EXT]   starts a search; answers its number
//   search --hash HASH         starts a search for one FileHash
//   results [NUMBER]           the grouped rows of that search (default: the latest)
//                              with their sources, and how far the search is
//   stop-search                stops the running search; its rows stay
//   download-result ROW        queues the file of that row (0 = the first) of
//                              the latest results; a file listed without its
//                              FileHash is queued once its server told it
// A refused search answers "ok":false with the reason.
void add_search_control_commands(ControlTarget& target, search::SearchClient& client, search::ResultDownloads& downloads);

}  // namespace dovel::app
