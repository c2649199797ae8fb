#include "app/launcher_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "core/message_ids.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"

namespace dovel::app {
namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; reached only when something is wrong.
constexpr auto kArrival = 30s;
constexpr int kPatientWaitMs = 30000;

class LauncherChannelTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(channel_.start(address_, 0)); }

  platform::UniqueFd connect() {
    platform::UniqueFd client(platform::create_tcp_socket());
    if (!platform::connect_tcp(client.get(), address_, channel_.port(), kPatientWaitMs)) return platform::UniqueFd();
    return client;
  }

  // Connects, sends the text and closes, as the launcher does.
  void send_request(const std::string& text) {
    platform::UniqueFd client = connect();
    ASSERT_TRUE(client.valid());
    ASSERT_EQ(platform::send_all(client.get(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // The texts that reached the hub, in order, after waiting for `count` of them.
  std::vector<std::string> delivered(size_t count) {
    EXPECT_TRUE(hub_.wait_for(count, kArrival));
    std::vector<std::string> texts;
    for (const test::RecordingTarget::Seen& seen : hub_.seen()) {
      EXPECT_EQ(seen.id, core::UM_CARRY_OUT_REQUEST);
      texts.push_back(seen.text);
    }
    return texts;
  }

  const platform::Ipv4 address_ = test::unique_loopback_address();
  test::RecordingTarget hub_;
  LauncherChannel channel_{hub_};
};

// Whether the channel closed this client's connection (end of stream or a reset).
bool closed_by_channel(int client) {
  if (platform::wait_readable(client, kPatientWaitMs) != platform::WaitResult::Ready) return false;
  char byte;
  return ::recv(client, &byte, 1, 0) <= 0;
}

TEST_F(LauncherChannelTest, CarriesOutEachTextOnceItsClientCloses) {
  const std::vector<std::string> texts = {"dovel://search/노래 모음", std::string(kMaxLauncherRequest, 'k'), "dovel://server/10.1.2.3:9910"};
  for (const std::string& text : texts) send_request(text);
  EXPECT_EQ(delivered(texts.size()), texts);
}

TEST_F(LauncherChannelTest, TextSentInPiecesArrivesWhole) {
  {
    platform::UniqueFd client = connect();
    ASSERT_TRUE(client.valid());
    for (const std::string piece : {"dovel://", "search/", "나눠서"}) {
      ASSERT_EQ(platform::send_all(client.get(), piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
    }
  }
  EXPECT_EQ(delivered(1), std::vector<std::string>{"dovel://search/나눠서"});
}

TEST_F(LauncherChannelTest, EmptyAndOversizeTextsAreDropped) {
  send_request("");
  send_request(std::string(kMaxLauncherRequest + 1, 'x'));
  send_request("dovel://search/after");
  EXPECT_EQ(delivered(1), std::vector<std::string>{"dovel://search/after"});
}

TEST_F(LauncherChannelTest, NewConnectionReplacesAnUnfinishedOne) {
  platform::UniqueFd unfinished = connect();
  ASSERT_TRUE(unfinished.valid());
  const std::string partial = "dovel://search/unfinished";
  ASSERT_EQ(platform::send_all(unfinished.get(), partial.data(), partial.size()), static_cast<ssize_t>(partial.size()));

  send_request("dovel://search/second");
  EXPECT_EQ(delivered(1), std::vector<std::string>{"dovel://search/second"});
  EXPECT_TRUE(closed_by_channel(unfinished.get()));
  unfinished.reset();

  send_request("dovel://search/third");
  EXPECT_EQ(delivered(2), (std::vector<std::string>{"dovel://search/second", "dovel://search/third"}));
}

TEST_F(LauncherChannelTest, ClientSilentPastTheReadTimeIsDroppedAndTheNextIsServed) {
  platform::UniqueFd slow = connect();
  ASSERT_TRUE(slow.valid());
  const std::string partial = "dovel://search/slow";
  ASSERT_EQ(platform::send_all(slow.get(), partial.data(), partial.size()), static_cast<ssize_t>(partial.size()));
  EXPECT_TRUE(closed_by_channel(slow.get()));

  send_request("dovel://search/next");
  EXPECT_EQ(delivered(1), std::vector<std::string>{"dovel://search/next"});
}

TEST_F(LauncherChannelTest, StopsWithAClientConnectedAndFreesThePort) {
  platform::UniqueFd waiting = connect();
  ASSERT_TRUE(waiting.valid());
  channel_.stop();
  EXPECT_TRUE(closed_by_channel(waiting.get()));
  EXPECT_FALSE(connect().valid());

  test::RecordingTarget next_hub;
  LauncherChannel next(next_hub);
  EXPECT_TRUE(next.start(address_, channel_.port())) << "the same port is free again";
}

// Whoever reaches the channel can hand the client a login or a download.
TEST_F(LauncherChannelTest, ListensOnLoopbackAddressesOnly) {
  for (const char* address : {"0.0.0.0", "192.168.0.10", "10.0.0.1", "128.0.0.1"}) {
    test::RecordingTarget other_hub;
    LauncherChannel other(other_hub);
    errno = 0;
    EXPECT_FALSE(other.start(*platform::parse_ipv4(address), 0)) << address;
    EXPECT_EQ(errno, EADDRNOTAVAIL) << address;
  }
}

TEST_F(LauncherChannelTest, PortInUseIsReported) {
  test::RecordingTarget other_hub;
  LauncherChannel other(other_hub);
  errno = 0;
  EXPECT_FALSE(other.start(address_, channel_.port()));
  EXPECT_EQ(errno, EADDRINUSE);
}

}  // namespace
}  // namespace dovel::app
