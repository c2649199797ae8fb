#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "search/result_rows.h"
#include "search/result_sort.h"
#include "search/result_tabs.h"
#include "search/search_client.h"
#include "search/search_input.h"
#include "search/search_run.h"
#include "settings/window_values.h"

namespace dovel::ui {

// What the search windows read and do, bound by the program to the search
// client, the download list and the settings. An empty member means that
// command is not there: its button or menu item is disabled.
struct SearchCommands {
  // Checks the input and starts a search (stopping a running one first); on the GUI thread.
  std::function<search::StartOutcome(const search::SearchRequest& request)> start;
  // Stops the running search; may block until its threads have ended: called off the GUI thread.
  std::function<void()> stop;
  // A search is fetching lists, sending or receiving.
  std::function<bool()> running;
  // The running (or last) search's state and the datagrams it sent.
  std::function<search::SearchProgress()> progress;
  // The rows of the search `number` (nullopt: the latest) as the core orders them; nullopt when that tab is gone.
  std::function<std::optional<search::ResultSnapshot>(std::optional<uint32_t> number)> results;
  // A header click on the latest tab: the core sorts it and answers the order it is now in.
  std::function<std::optional<search::SortOrder>(search::SortColumn column)> sort_latest;
  // Deletes every row of the latest tab.
  std::function<void()> clear_latest;
  // Queues the row's file for download (a file without a FileHash once its
  // server told it); true when queued or being asked for.
  std::function<bool(const search::ResultRow& row)> download;
  // Opens a responder's server in the browse window (origin 2: search results).
  std::function<void(const std::string& address, uint16_t port, const std::string& peer_id)> explore;
  // Where the window keeps its own choices (SendtoDelay, AutoSort,
  // SearchAutoMoveDownload) and histories (SearchText, SearchFileExt); none: the defaults.
  settings::WindowValues* values = nullptr;
  // Switches the main window's view (kViewTransferLists after a download was queued).
  std::function<void(int view)> show_view;
  // The side pane's page for a keyword, as UTF-8 text ("" when it could not be
  // fetched); called off the GUI thread (see recommendation_page_path).
  std::function<std::string(const std::string& keyword)> fetch_page;
  // The logged-in user has privilege_a: the file-ID column is shown.
  std::function<bool()> privileged;
};

}  // namespace dovel::ui
