#include <gtest/gtest.h>

#include <vector>

#include "central/central_fixture.h"
#include "support/eventually.h"
#include "service/file_index_messages.h"

namespace dovel::central::test {
namespace {

const std::string kMovie = "00112233445566778899aabbccddeeff";
const std::string kSong = "ffeeddccbbaa99887766554433221100";

class FileIndexTest : public CentralFixture {
 protected:
  // An announcing connection to file-index server `server`; the answer's byte 4.
  std::pair<CentralClient, int> announce(size_t server, uint16_t port, const std::vector<std::string>& hashes) {
    auto client = connect(endpoints().file_index[server]);
    EXPECT_TRUE(client);
    EXPECT_TRUE(client->send_frame(service::kAnnounceType, service::build_announcement(port, hashes)));
    std::optional<std::string> answer = client->read_fixed_reply(5);
    return {std::move(*client), answer ? (*answer)[4] : -1};
  }

  std::vector<service::Source> sources(size_t server, const std::string& hash) {
    auto client = connect(endpoints().source_lookup[server]);
    EXPECT_TRUE(client && client->send_frame(service::kSourceLookupType, *service::build_source_lookup(hash)));
    std::optional<service::TypedReply> reply = client ? client->read_typed_reply() : std::nullopt;
    EXPECT_TRUE(reply && reply->type == service::kSourceLookupType);
    return reply ? service::parse_source_reply(reply->body).value_or(std::vector<service::Source>{}) : std::vector<service::Source>{};
  }

  static std::vector<uint16_t> ports_of(const std::vector<service::Source>& found) {
    std::vector<uint16_t> ports;
    for (const service::Source& source : found) ports.push_back(source.port);
    return ports;
  }
};

TEST_F(FileIndexTest, AnnouncedFilesAreFoundOnEveryIndexServer) {
  auto [announcer, answer] = announce(0, 9910, {kMovie, kSong});
  ASSERT_EQ(answer, service::kAnnounceAccepted);
  for (size_t server = 0; server < 3; ++server) {
    SCOPED_TRACE(server);
    std::vector<service::Source> found = sources(server, kMovie);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].address, client_address);
    EXPECT_EQ(found[0].port, 9910);
  }
  EXPECT_TRUE(sources(1, "0123456789abcdef0123456789abcdef").empty());
}

TEST_F(FileIndexTest, AnnouncementGoesWithItsConnection) {
  {
    auto [announcer, answer] = announce(1, 9910, {kMovie});
    ASSERT_EQ(answer, service::kAnnounceAccepted);
    ASSERT_EQ(sources(1, kMovie).size(), 1u);
  }
  EXPECT_TRUE(dovel::test::eventually([&] { return sources(1, kMovie).empty(); }));
}

TEST_F(FileIndexTest, NewAnnouncementOfTheSameServerReplacesTheOld) {
  auto [old_connection, first] = announce(0, 9910, {kMovie});
  auto [other_server, second] = announce(2, 9911, {kMovie});
  auto [new_connection, third] = announce(1, 9910, {kSong});
  ASSERT_EQ(first, service::kAnnounceAccepted);
  ASSERT_EQ(second, service::kAnnounceAccepted);
  ASSERT_EQ(third, service::kAnnounceAccepted);
  EXPECT_EQ(ports_of(sources(0, kMovie)), std::vector<uint16_t>{9911});
  EXPECT_EQ(ports_of(sources(0, kSong)), std::vector<uint16_t>{9910});
  // The replaced connection closing takes nothing with it.
  old_connection.close();
  ASSERT_TRUE(dovel::test::eventually([&] { return request_log().find("announce\tended with its connection") != std::string::npos; }));
  EXPECT_EQ(ports_of(sources(0, kSong)), std::vector<uint16_t>{9910});
}

TEST_F(FileIndexTest, MalformedAnnouncementIsRefused) {
  auto client = connect(endpoints().file_index[0]);
  ASSERT_TRUE(client);
  std::string announcement = service::build_announcement(9910, {kMovie});
  for (const std::string& payload : {announcement.substr(0, announcement.size() - 1), service::build_announcement(0, {kMovie})}) {
    ASSERT_TRUE(client->send_frame(service::kAnnounceType, payload));
    std::optional<std::string> answer = client->read_fixed_reply(5);
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[4], service::kAnnounceRefused);
  }
  EXPECT_TRUE(sources(0, kMovie).empty());
}

}  // namespace
}  // namespace dovel::central::test
