#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace dovel::browse {

// The file requests ('H', 'R', 'K') a browse session sent and the server has
// not answered yet, as they went out: the letter, the name and the size text.
// A server's hash, information and link answers name the file and size they
// answer, so an answer that matches no pending request was never asked for
// and is dropped. The server answers some requests with no name at all ("1",
// "B"), so the oldest requests are forgotten past kMaxPending.
class PendingRequests {
 public:
  static constexpr size_t kMaxPending = 256;

  // Whether the request is one whose answer must match it.
  static bool is_file_request(std::string_view request);

  void sent(std::string_view request);
  // A request that could not be sent.
  void withdraw(std::string_view request);
  // Whether the answer (its letter, then FileHash|name|size...) answers a
  // pending request; that request is then no longer pending.
  bool take_answer(char letter, std::string_view body);
  size_t size() const;

 private:
  mutable std::mutex lock_;
  std::deque<std::string> pending_;
};

}  // namespace dovel::browse
