#pragma once

namespace dovel::central {

// The service's one "stop now" flag, as a descriptor every waiting loop can poll
// next to its socket: it turns readable when raised and stays so.
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  void raise();
  bool raised() const;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace dovel::central
