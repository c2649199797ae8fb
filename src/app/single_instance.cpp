#include "app/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "core/message_ids.h"
#include "platform/deadline.h"
#include "platform/unix_socket.h"
#include "util/little_endian.h"

namespace dovel::app {
namespace {

constexpr int kHandoverReadMs = 2000;
constexpr int kRetryMs = 50;

// Reads a handover: the kind word, then the text up to the end of the
// connection. nullopt for anything cut short, too long or slow.
std::optional<std::pair<uint32_t, std::string>> read_handover(int fd) {
  std::string bytes;
  char buffer[4096];
  const platform::Deadline deadline = platform::Deadline::after_ms(kHandoverReadMs);
  while (true) {
    const ssize_t got = platform::receive_some(fd, buffer, sizeof buffer, deadline.remaining_ms());
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > 4 + kMaxHandoverText) return std::nullopt;
  }
  if (bytes.size() < 4) return std::nullopt;
  return std::pair{util::read_u32(bytes.data()), bytes.substr(4)};
}

}  // namespace

InstanceFiles InstanceFiles::in(const std::filesystem::path& data_home) {
  return {data_home / "dovel.lock", data_home / "dovel.handover.lock", data_home / "dovel.mailbox"};
}

std::unique_ptr<FirstInstance> FirstInstance::claim(const InstanceFiles& files) {
  std::optional<platform::FileLock> lock = platform::FileLock::try_acquire(files.instance_lock);
  if (!lock) return nullptr;
  return std::make_unique<FirstInstance>(files, std::move(*lock));
}

FirstInstance::FirstInstance(InstanceFiles files, platform::FileLock lock) : files_(std::move(files)), lock_(std::move(lock)) {}

FirstInstance::~FirstInstance() { stop(); }

bool FirstInstance::serve(core::MessageTarget& hub) {
  platform::UniqueFd listener = platform::listen_unix(files_.mailbox, 5);
  if (!listener.valid()) return false;
  return thread_.start(std::move(listener), [this, &hub](int fd, int wake) { run(fd, wake, hub); });
}

void FirstInstance::stop() {
  if (thread_.stop()) ::unlink(files_.mailbox.c_str());
}

void FirstInstance::run(int listener, int wake, core::MessageTarget& hub) {
  const uid_t me = ::getuid();
  while (true) {
    pollfd watched[2] = {{wake, POLLIN, 0}, {listener, POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) continue;
    if (watched[0].revents != 0) return;
    if ((watched[1].revents & POLLIN) == 0) continue;
    platform::UniqueFd connection(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.valid() || platform::peer_user(connection.get()) != me) continue;
    if (auto handover = read_handover(connection.get())) {
      hub.post({core::UM_HANDOVER, handover->first, 0, std::make_unique<core::TextPayload>(std::move(handover->second))});
    }
  }
}

Handover hand_over(const InstanceFiles& files, uint32_t kind, std::string_view text, int wait_ms) {
  // Held while this copy hands over, so that two copies started together do not both do it.
  std::optional<platform::FileLock> lock = platform::FileLock::try_acquire(files.handover_lock);
  if (!lock) return Handover::AnotherCopyHandsOver;
  if (text.size() > kMaxHandoverText) {
    kind = 0;
    text = {};
  }
  const platform::Deadline deadline = platform::Deadline::after_ms(wait_ms);
  while (true) {
    platform::UniqueFd connection = platform::connect_unix(files.mailbox);
    if (connection.valid()) {
      std::string message;
      util::append_u32(message, kind);
      message.append(text);
      return platform::send_all(connection.get(), message.data(), message.size()) == static_cast<ssize_t>(message.size())
                 ? Handover::HandedOver
                 : Handover::NoFirstCopy;
    }
    if (deadline.expired()) return Handover::NoFirstCopy;
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
  }
}

}  // namespace dovel::app
