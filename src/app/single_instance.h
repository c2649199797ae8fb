#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/listener_thread.h"
#include "core/message.h"
#include "platform/file_lock.h"
#include "platform/socket.h"

namespace dovel::app {

// The most request text one copy hands to another (the text and its NUL fill 8192 bytes).
inline constexpr size_t kMaxHandoverText = 8191;

// The files by which copies of the program on one data home find each other.
struct InstanceFiles {
  std::filesystem::path instance_lock;  // held by the first copy while it runs
  std::filesystem::path handover_lock;  // held by a second copy while it hands over
  std::filesystem::path mailbox;        // the first copy's socket for handed-over requests

  static InstanceFiles in(const std::filesystem::path& data_home);
};

// The first copy's side: takes the instance lock and serves the mailbox. Each
// handover is posted to the hub as UM_HANDOVER (wparam = the kind, TextPayload =
// the text); the hub drops it until it is ready.
class FirstInstance {
 public:
  // Null when another copy runs on this data home.
  static std::unique_ptr<FirstInstance> claim(const InstanceFiles& files);

  FirstInstance(InstanceFiles files, platform::FileLock lock);
  ~FirstInstance();
  FirstInstance(const FirstInstance&) = delete;
  FirstInstance& operator=(const FirstInstance&) = delete;

  // Serves the mailbox until stopped; false (errno) when the socket cannot be made.
  bool serve(core::MessageTarget& hub);
  void stop();

 private:
  void run(int listener, int wake, core::MessageTarget& hub);

  InstanceFiles files_;
  platform::FileLock lock_;
  ListenerThread thread_;
};

enum class Handover {
  HandedOver,
  AnotherCopyHandsOver,  // a second copy started at the same moment is handing over; this one does nothing
  NoFirstCopy,           // nobody took it (the first copy ended, or never served the mailbox)
};

// A second copy's side: hands the request (its kind word and text) to the first
// copy, waiting at most `wait_ms` for the first copy's mailbox. A text longer
// than the mailbox holds is not handed over; the first copy is still brought to
// the front (kind 0).
Handover hand_over(const InstanceFiles& files, uint32_t kind, std::string_view text, int wait_ms = 5000);

}  // namespace dovel::app
