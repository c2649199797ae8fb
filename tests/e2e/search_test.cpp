// Searching between doveld programs: a dovel-central and three clients on
// loopback addresses of their own, driven through dovel-tool ctl as a user would.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "local_network.h"

namespace dovel {
namespace {

using test::eventually;
using Client = test::LocalNetwork::Client;

std::string random_bytes(size_t size, uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

// How many times `text` occurs in `json`.
size_t occurrences(const std::string& json, const std::string& text) {
  size_t count = 0;
  for (size_t at = json.find(text); at != std::string::npos; at = json.find(text, at + 1)) ++count;
  return count;
}

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(network.started()) << network.central_output();
    // Above the size that hashing gives a FileHash in advance: rows without one are not grouped.
    content = random_bytes(11 * 1048576, 11);
    shared = network.folder().write("share/rainbow.bin", content);
    network.folder().write("adult/rainbow-night.bin", random_bytes(4096, 12));
    hash = test::run_program({DOVEL_TOOL_PATH, "hash", shared.string()}).output.substr(0, 32);
  }

  // A client of `user` sharing the common folder as "공유".
  Client& sharing(const std::string& user) {
    Client& client = network.add_client(user, user);
    EXPECT_EQ(network.tool(client, {"share", "add", "공유", shared.parent_path().string()}).exit_code, 0);
    return client;
  }

  std::string ctl(const Client& client, const std::vector<std::string>& words) {
    std::vector<std::string> command = {"ctl"};
    command.insert(command.end(), words.begin(), words.end());
    return network.tool(client, command).output;
  }

  // Starts searches until one has the rows wanted: a query or an answer is a
  // UDP datagram, which loopback may drop under load.
  std::string search_until(const Client& client, const std::vector<std::string>& search, const std::function<bool(const std::string&)>& done) {
    std::string results;
    for (int attempt = 0; attempt < 6; ++attempt) {
      std::vector<std::string> words = {"search"};
      words.insert(words.end(), search.begin(), search.end());
      const std::string started = ctl(client, words);
      EXPECT_NE(started.find("\"ok\":true"), std::string::npos) << started;
      const bool found = test::eventually(
          [&] {
            results = ctl(client, {"results"});
            return done(results);
          },
          std::chrono::seconds(10));
      if (found) return results;
    }
    return results;
  }

  bool has_both_servers(const std::string& results) {
    return results.find("\"hash\":\"" + hash + "\"") != std::string::npos && results.find("\"id\":\"bob\"") != std::string::npos &&
           results.find("\"id\":\"carol\"") != std::string::npos;
  }

  test::LocalNetwork network;
  std::string content;
  std::filesystem::path shared;
  std::string hash;
};

TEST_F(SearchTest, SearchesFindOtherServersGroupedByHashAndAResultDownloads) {
  Client& alice = sharing("alice");
  Client& bob = sharing("bob");
  Client& carol = sharing("carol");
  ASSERT_EQ(network.tool(carol, {"share", "add", "성인", (network.folder() / "adult").string(), "--adult"}).exit_code, 0);
  for (Client* client : {&alice, &bob, &carol}) ASSERT_TRUE(network.start_and_register(*client)) << network.log(*client);

  const std::string refused = ctl(alice, {"search", "a", "b"});
  EXPECT_NE(refused.find("영문일경우 1자 이상이어야 합니다."), std::string::npos) << refused;

  const std::string found = search_until(alice, {"rainbow"}, [&](const std::string& r) { return has_both_servers(r); });
  ASSERT_TRUE(has_both_servers(found)) << found << network.log(alice);
  EXPECT_EQ(occurrences(found, "\"hash\":\"" + hash + "\""), 1u) << "one row per FileHash: " << found;
  EXPECT_EQ(found.find("\"id\":\"alice\""), std::string::npos) << "the searcher's own server is skipped: " << found;
  EXPECT_EQ(found.find("rainbow-night"), std::string::npos) << "adult rows are hidden from alice: " << found;

  const std::string by_hash = search_until(alice, {"--hash", hash}, [&](const std::string& r) { return has_both_servers(r); });
  EXPECT_TRUE(has_both_servers(by_hash)) << by_hash;
  EXPECT_NE(ctl(alice, {"stop-search"}).find("\"ok\":true"), std::string::npos);

  // A result goes to the download list as a file link naming one of its sources.
  const std::string link = "dovel://file/" + platform::format_ipv4(bob.address) + ":9910/rainbow.bin:" + hash + ":" +
                           std::to_string(content.size());
  ASSERT_NE(ctl(alice, {"request", link}).find("\"ok\":true"), std::string::npos);
  ASSERT_TRUE(eventually([&] { return ctl(alice, {"downloads"}).find("\"state\":5") != std::string::npos; }))
      << ctl(alice, {"downloads"}) << network.log(alice);
  EXPECT_EQ(test::read_file(alice.home / "Download" / "rainbow.bin"), content);
}

TEST_F(SearchTest, AResultListedWithoutItsHashIsAskedForItAndDownloads) {
  // Small files get their FileHash only when a peer asks: the search lists them without one.
  const std::string note = random_bytes(3000, 13);
  network.folder().write("share/tinynote.bin", note);
  Client& alice = sharing("alice");
  Client& bob = sharing("bob");
  for (Client* client : {&alice, &bob}) ASSERT_TRUE(network.start_and_register(*client)) << network.log(*client);

  const std::string found = search_until(alice, {"tinynote"}, [](const std::string& r) {
    return r.find("\"name\":\"tinynote.bin\"") != std::string::npos && r.find("\"id\":\"bob\"") != std::string::npos;
  });
  ASSERT_NE(found.find("\"name\":\"tinynote.bin\",\"size\":3000,\"hash\":\"\""), std::string::npos) << found;
  EXPECT_NE(ctl(alice, {"stop-search"}).find("\"ok\":true"), std::string::npos);

  const std::string queued = ctl(alice, {"download-result", "0"});
  ASSERT_NE(queued.find("\"ok\":true,\"asking_hash\":true"), std::string::npos) << queued;
  ASSERT_TRUE(eventually([&] { return ctl(alice, {"downloads"}).find("\"state\":5") != std::string::npos; }))
      << ctl(alice, {"downloads"}) << network.log(alice);
  EXPECT_EQ(test::read_file(alice.home / "Download" / "tinynote.bin"), note);
}

}  // namespace
}  // namespace dovel
