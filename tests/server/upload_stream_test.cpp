// One upload's stream against a requester that reads a trickle.
#include "server/upload_stream.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <future>

#include "support/eventually.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"

namespace dovel::server {
namespace {

using test::eventually;

constexpr int64_t kFileSize = 4 * 1024 * 1024;

struct Stream {
  Stream() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    server = std::make_shared<wire::PeerSocket>(platform::UniqueFd(fds[0]));
    reader = platform::UniqueFd(fds[1]);
    progress.end = kFileSize;
  }
  // Reads until `total` bytes have come or the stream ended.
  int64_t read_up_to(int64_t total) {
    char buffer[65536];
    while (received < total) {
      const ssize_t got = platform::receive_some(reader.get(), buffer, static_cast<size_t>(std::min<int64_t>(sizeof buffer, total - received)), 10000);
      if (got <= 0) break;
      received += got;
    }
    return received;
  }
  std::shared_ptr<wire::PeerSocket> server;
  platform::UniqueFd reader;
  UploadProgress progress;
  int64_t received = 0;
};

TEST(UploadStreamTest, ARequesterReadingLessThanTheMinimumRateEndsItsUpload) {
  test::TempFolder temp;
  const auto file = test::write_sparse_file(temp / "big.bin", kFileSize);
  test::FakeClock clock;
  core::TransferMeter meter;
  std::atomic<bool> running{true};
  Stream stream;
  const MinimumUploadRate minimum{60000, 1024 * 1024};
  auto upload = std::async(std::launch::async, [&] {
    return stream_upload(file, *stream.server, stream.progress, running, meter, UploadChunking{}, clock, minimum);
  });
  // A minute passes in which the requester took 64 KiB: far below a MiB a minute.
  ASSERT_EQ(stream.read_up_to(64 * 1024), 64 * 1024);
  clock.advance_ms(60000);
  stream.read_up_to(kFileSize);
  ASSERT_EQ(upload.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(upload.get(), UploadEnd::TooSlow);
  EXPECT_TRUE(ended_normally(UploadEnd::TooSlow)) << "logged as an upload the requester ended";
  EXPECT_LT(stream.progress.current.load(), kFileSize);
}

TEST(UploadStreamTest, ARequesterKeepingUpIsServedToTheEnd) {
  test::TempFolder temp;
  const auto file = test::write_sparse_file(temp / "big.bin", kFileSize);
  test::FakeClock clock;
  clock.set_step(10);  // every chunk takes 10 ms: 800 KiB/s
  core::TransferMeter meter;
  std::atomic<bool> running{true};
  Stream stream;
  auto upload = std::async(std::launch::async, [&] {
    return stream_upload(file, *stream.server, stream.progress, running, meter, UploadChunking{}, clock, MinimumUploadRate{});
  });
  EXPECT_EQ(stream.read_up_to(kFileSize), kFileSize);
  EXPECT_EQ(upload.get(), UploadEnd::Completed);
}

}  // namespace
}  // namespace dovel::server
