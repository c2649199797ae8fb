#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace dovel::mainframe {

// The lines of the status view, numbered from the start of the program, so that
// a front can show them and a remote reader can ask for what came since its last
// look. Only the newest lines are kept.
class StatusLog {
 public:
  explicit StatusLog(size_t capacity = 2000) : capacity_(capacity) {}

  void append(std::string line);

  struct Lines {
    uint64_t first = 0;  // the number of lines[0]; above the asked position when older lines were dropped
    uint64_t next = 0;   // the position to ask for next time
    std::vector<std::string> lines;
  };
  Lines since(uint64_t position) const;

 private:
  const size_t capacity_;
  mutable std::mutex lock_;
  std::deque<std::string> lines_;
  uint64_t dropped_ = 0;
};

}  // namespace dovel::mainframe
