#include "server/upload_stream.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/safe_path.h"
#include "platform/socket.h"

namespace dovel::server {
namespace {

// What errno says after a failed send when the requester went away.
bool peer_left(int error) { return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ECONNABORTED; }

// The throttle's delay, in short slices so that a stop is not held up by it.
void pause_for_throttle(const mainframe::TransferMeter& meter, const std::atomic<bool>& running) {
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

UploadEnd stream_upload(const std::filesystem::path& file, PeerSocket& socket, UploadProgress& progress, const std::atomic<bool>& running,
                        mainframe::TransferMeter& meter, const UploadChunking& chunking) {
  platform::UniqueFd fd(platform::open_regular_file(file, O_RDONLY));
  if (!fd.valid()) return UploadEnd::Failed;
  ::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDBUF, &chunking.send_buffer, sizeof chunking.send_buffer);

  std::vector<char> buffer(chunking.chunk_size);
  int64_t current = progress.current;
  while (current < progress.end) {
    if (!running) return UploadEnd::Stopped;
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buffer.size()), progress.end - current));
    const ssize_t got = ::pread(fd.get(), buffer.data(), wanted, current);
    if (got < 0 && errno == EINTR) continue;
    // A file that shrank has nothing more to give: reading on would spin.
    if (got <= 0) return UploadEnd::Failed;
    errno = 0;
    if (!socket.send_raw(std::string_view(buffer.data(), static_cast<size_t>(got)))) {
      if (!running) return UploadEnd::Stopped;
      return peer_left(errno) ? UploadEnd::PeerLeft : UploadEnd::Failed;
    }
    current += got;
    progress.current = current;
    meter.uploaded_bytes += static_cast<uint64_t>(got);
    pause_for_throttle(meter, running);
  }
  return UploadEnd::Completed;
}

}  // namespace dovel::server
