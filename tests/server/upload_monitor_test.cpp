#include "server/upload_monitor.h"

#include <gtest/gtest.h>

#include "core/message_ids.h"
#include "support/fake_clock.h"
#include "util/letter_pair.h"

namespace dovel::server {
namespace {

class UploadMonitorTest : public ::testing::Test {
 protected:
  settings::LiveSettings settings;
  ShareServerSettings server_settings{settings};
  test::FakeClock clock;
  UploadMonitor monitor{server_settings, clock};
};

TEST_F(UploadMonitorTest, UploadRowsFollowTheirProgress) {
  auto upload = std::make_shared<UploadProgress>();
  upload->id = 7;
  upload->nickname = "별명";
  upload->file_name = "movie.avi";
  upload->hash = "0123456789abcdef0123456789abcdef";
  upload->user_id = "taker";
  upload->level = 3;
  upload->start = 1024 * 1024;
  upload->end = 1024 * 1024 + 10 * 1024 * 1024;
  upload->current = upload->start;
  upload->started_tick = 1000;
  auto payload = std::make_unique<UploadStartedPayload>();
  payload->upload = upload;
  monitor.post({core::UM_UPLOAD_STARTED, 0, 0, std::move(payload)});

  clock.set_tick(1000 + 4000);
  upload->current = upload->start + 2 * 1024 * 1024;  // 512 KiB/s
  std::vector<UploadRow> rows = monitor.upload_rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].nickname, "별명");
  EXPECT_EQ(rows[0].requested, "10240 K");
  EXPECT_EQ(rows[0].sent, "2048 K");
  EXPECT_EQ(rows[0].speed, "512.00K");
  EXPECT_EQ(rows[0].remaining, "00:00:16");
  EXPECT_EQ(rows[0].encoded_user_id, util::Encode("taker"));

  monitor.post({core::UM_UPLOAD_ENDED, 7, 0, nullptr});
  EXPECT_TRUE(monitor.upload_rows().empty());
}

TEST_F(UploadMonitorTest, AStalledUploadShowsNoRemainingTime) {
  auto upload = std::make_shared<UploadProgress>();
  upload->id = 1;
  upload->end = 100;
  auto payload = std::make_unique<UploadStartedPayload>();
  payload->upload = upload;
  monitor.post({core::UM_UPLOAD_STARTED, 0, 0, std::move(payload)});
  clock.set_tick(500);
  EXPECT_EQ(monitor.upload_rows().at(0).remaining, "00:00:00");
}

TEST_F(UploadMonitorTest, PeerRowsShowWhoIsConnectedAndForHowLong) {
  clock.set_tick(0xFFFFFFFFu - 999);
  auto peer = std::make_shared<ConnectedPeer>(4, clock.tick());
  peer->set_identity("visitor", 2, "손님별명");
  auto payload = std::make_unique<PeerConnectedPayload>();
  payload->peer = peer;
  monitor.post({core::UM_PEER_CONNECTED, 4, 0, std::move(payload)});
  clock.advance_ms(3 * 3600 * 1000 + 25 * 60 * 1000 + 7000);  // across the tick wrap
  std::vector<PeerRow> rows = monitor.peer_rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].label, "손님별명");
  EXPECT_EQ(rows[0].connected, "03:25:07");
  EXPECT_EQ(rows[0].level, 2);
  monitor.post({core::UM_PEER_DISCONNECTED, 4, 0, nullptr});
  EXPECT_TRUE(monitor.peer_rows().empty());
}

TEST_F(UploadMonitorTest, UploadLimitRowsSetTheLimit) {
  const struct {
    size_t row;
    uint32_t limit;
    size_t kept_row;
  } rows[] = {{0, 1073741824, 0}, {1, 3072000, 1}, {2, 1024000, 2}, {3, 716800, 3}, {4, 512000, 4}, {5, 307200, 5}, {9, 1073741824, 0}};
  for (const auto& [row, limit, kept_row] : rows) {
    monitor.select_upload_limit(row);
    EXPECT_EQ(settings.upload_speed_limit, limit) << row;
    EXPECT_EQ(monitor.upload_limit_row(), kept_row) << row;
  }
}

}  // namespace
}  // namespace dovel::server
