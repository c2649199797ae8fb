#pragma once

#include <cstdint>
#include <string>

namespace dovel::search {

// What a search tells the rest of the program. Every call may come from a
// search thread (or from the caller of start and stop); an observer posts what
// it needs to its own thread and must not call back into the search from here.
class SearchObserver {
 public:
  virtual ~SearchObserver() = default;
  // A search with this number began.
  virtual void search_started(uint32_t) {}
  // Every list was sent to and the results that came so far are in (and
  // sorted by the AutoSort column); results may still arrive until the stop.
  virtual void sending_done(uint32_t) {}
  // Rows of the search were added or changed.
  virtual void results_changed(uint32_t) {}
  // The search ended: stopped, replaced by a new one, or it could not go on
  // (no server listed, no relay). Once per started search.
  virtual void search_stopped(uint32_t) {}
  // A text for the user (why the input was refused).
  virtual void user_message(const std::string&) {}
};

}  // namespace dovel::search
