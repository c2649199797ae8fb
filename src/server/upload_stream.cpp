#include "server/upload_stream.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/safe_path.h"
#include "platform/sigpipe_block.h"
#include "platform/socket.h"

namespace dovel::server {
namespace {

// What errno says after a failed send when the requester went away.
bool peer_left(int error) { return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ECONNABORTED; }

// The throttle's delay, in short slices so that a stop is not held up by it.
void pause_for_throttle(const core::TransferMeter& meter, const std::atomic<bool>& running) {
  constexpr int kSliceMs = 50;
  int left = static_cast<int>(meter.upload_delay_ms.load());
  if (left < 3) return;
  while (left > 0 && running) {
    const int slice = std::min(left, kSliceMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    left -= slice;
  }
}

}  // namespace

UploadChunking upload_chunking(bool ultra_turbo) { return ultra_turbo ? UploadChunking{16384, 65536} : UploadChunking{8192, 8192}; }

UploadEnd stream_upload(const std::filesystem::path& file, wire::PeerSocket& socket, UploadProgress& progress, const std::atomic<bool>& running,
                        core::TransferMeter& meter, const UploadChunking& chunking, const platform::Clock& clock,
                        const MinimumUploadRate& minimum) {
  platform::UniqueFd fd(platform::open_regular_file(file, O_RDONLY));
  if (!fd.valid()) return UploadEnd::Failed;
  ::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDBUF, &chunking.send_buffer, sizeof chunking.send_buffer);
  // The chunks go from the page cache to the socket without passing through
  // this process; every wait for room in the socket has a deadline.
  if (!platform::set_nonblocking(socket.fd(), true)) return UploadEnd::Failed;
  platform::SigpipeBlock no_sigpipe;

  int64_t current = progress.current;
  platform::Tick window_start = clock.tick();
  int64_t window_first_byte = current;
  while (current < progress.end) {
    if (!running) return UploadEnd::Stopped;
    if (const platform::Tick now = clock.tick(); platform::ticks_between(window_start, now) >= static_cast<platform::Tick>(minimum.window_ms)) {
      if (current - window_first_byte < minimum.bytes) return UploadEnd::TooSlow;
      window_start = now;
      window_first_byte = current;
    }
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(chunking.chunk_size), progress.end - current));
    errno = 0;
    const ssize_t sent = socket.send_file_part(fd.get(), current, wanted);
    if (sent < 0) {
      if (!running) return UploadEnd::Stopped;
      return peer_left(errno) ? UploadEnd::PeerLeft : UploadEnd::Failed;
    }
    current += sent;
    progress.current = current;
    meter.uploaded_bytes += static_cast<uint64_t>(sent);
    // A file that shrank has nothing more to give: sending on would spin.
    if (static_cast<size_t>(sent) < wanted) return UploadEnd::Failed;
    pause_for_throttle(meter, running);
  }
  return UploadEnd::Completed;
}

}  // namespace dovel::server
