#pragma once

#include <string>

#include "service/endpoints.h"

namespace dovel::wire {

// Takes the results of this copy's own searches that arrive on the search port.
class SearchResultSink {
 public:
  virtual ~SearchResultSink() = default;
  // A result datagram for the search window, whole; its bytes 2..5 already hold
  // the responder's address as the network showed it. Called on a worker thread.
  virtual void search_result_received(std::string datagram, service::Endpoint source) = 0;
};

// Where results go while nothing reads them (before the search window exists,
// or in a program that never searches).
class DroppedSearchResults final : public SearchResultSink {
 public:
  void search_result_received(std::string, service::Endpoint) override {}
};

}  // namespace dovel::wire
