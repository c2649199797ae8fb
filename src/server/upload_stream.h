#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "core/transfer_meter.h"
#include "platform/clock.h"
#include "server/upload_monitor.h"
#include "wire/peer_socket.h"

namespace dovel::server {

// How an upload reads and sends: bigger chunks and a bigger socket send buffer
// with UltraTurbo.
struct UploadChunking {
  size_t chunk_size = 8192;
  int send_buffer = 8192;
};
UploadChunking upload_chunking(bool ultra_turbo);

// The slowest an upload may go: at least `bytes` in every window of
// `window_ms`. A requester that reads a trickle would otherwise hold an upload
// place for as long as it likes; the heaviest throttle still leaves 4 KiB/s.
struct MinimumUploadRate {
  int window_ms = 60000;
  int64_t bytes = 64 * 1024;
};

enum class UploadEnd {
  Completed,  // the whole range went out
  PeerLeft,   // the requester closed or reset the connection: a normal end
  TooSlow,    // the requester read less than the minimum rate: ended as if it had left
  Stopped,    // the server stopped the connection
  Failed,     // the file could not be read to the end of the range, or a send failed otherwise
};

inline bool ended_normally(UploadEnd end) { return end == UploadEnd::Completed || end == UploadEnd::PeerLeft || end == UploadEnd::TooSlow; }

// Sends the file's bytes from `progress.current` up to `progress.end`, raw, one
// chunk at a time: each chunk is sent whole, moves `current`, is added to the
// meter's uploaded bytes, and is followed by the published upload delay when it
// is 3 ms or more. A file that ends before the range does ends the upload, and
// so does a window of `clock` time in which less than the minimum went out.
// Checks `running` before every chunk and during the delay.
UploadEnd stream_upload(const std::filesystem::path& file, wire::PeerSocket& socket, UploadProgress& progress, const std::atomic<bool>& running,
                        core::TransferMeter& meter, const UploadChunking& chunking, const platform::Clock& clock,
                        const MinimumUploadRate& minimum = {});

}  // namespace dovel::server
