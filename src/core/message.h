#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dovel::core {

using MessageId = uint32_t;
using TimerId = uint32_t;

// Data that travels with a message; the receiver owns it once the message arrives.
struct MessagePayload {
  virtual ~MessagePayload() = default;
};

// A text that travels with a message.
struct TextPayload : MessagePayload {
  explicit TextPayload(std::string value) : text(std::move(value)) {}
  std::string text;
};

// A message between threads: a fixed numeric id, two numbers and an owned payload.
struct Message {
  MessageId id = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
  std::unique_ptr<MessagePayload> payload;
};

// Something that runs on its own thread and takes messages from others: the
// hub, the download and upload windows, a browse session. Posting never waits
// for the receiver.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void post(Message message) = 0;
};

}  // namespace dovel::core
