#include "util/launch_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/letter_pair.h"

namespace dovel::util {
namespace {

const std::string kHashA = "0123456789abcdef0123456789abcdef";
const std::string kHashB = "fedcba9876543210fedcba9876543210";

std::string credentials(const std::string& id, const std::string& password) { return EncodeWire(id + "\x07" + password); }

struct Accepted {
  std::string text;
  RequestKind kind;
  std::string address;
  uint32_t port;
  std::string user_id;
  std::string hash;
  std::string name;
  int64_t size;
  std::string search_text;
  std::vector<std::string> hash_list;
  std::string login_id;
  std::string password;
};

TEST(LaunchRequest, AcceptsEveryKind) {
  const std::vector<Accepted> cases = {
      {"dovel://server/" + EncodeWire("mimi"), RequestKind::Server, "0.0.0.0", 0, "mimi", "", "", 0, "", {}, "", ""},
      {"dovel://server_e/" + Encode("10.1.2.3") + ":" + Encode("9910"), RequestKind::Server, "10.1.2.3", 9910, "", "", "", 0, "", {}, "", ""},
      {"dovel://server/10.1.2.3:9911", RequestKind::Server, "10.1.2.3", 9911, "", "", "", 0, "", {}, "", ""},
      {"dovel://file/song.mp3:" + kHashA + ":1234", RequestKind::File, "0.0.0.0", 0, "", kHashA, "song.mp3", 1234, "", {}, "", ""},
      {"dovel://file/10.1.2.3:9910/노래.mp3:" + kHashA + ":5", RequestKind::File, "10.1.2.3", 9910, "", kHashA, "노래.mp3", 5, "", {}, "", ""},
      {"dovel://search/Some Words", RequestKind::Search, "0.0.0.0", 0, "", "Some Words", "", 0, "", {}, "", ""},
      {"DOVEL://SEARCH/Mixed", RequestKind::Search, "0.0.0.0", 0, "", "Mixed", "", 0, "", {}, "", ""},
      {"dovel://login/" + credentials("mimi", "secret"), RequestKind::Login, "0.0.0.0", 0, "", "", "", 0, "", {}, "mimi", "secret"},
      {"dovel://download_hash/" + credentials("id", "pw") + "/" + kHashA + "/movie.avi/99", RequestKind::DownloadHash, "0.0.0.0", 0, "", kHashA,
       "movie.avi", 99, "", {}, "id", "pw"},
      {"dovel://search_text/" + credentials("id", "pw") + "/검색어", RequestKind::SearchText, "0.0.0.0", 0, "", "", "", 0, "검색어", {}, "id", "pw"},
      {"dovel://search_hash/" + credentials("id", "pw") + "/words/" + Encode(kHashA) + "/" + kHashA + ", " + "FEDCBA9876543210FEDCBA9876543210" + ",short",
       RequestKind::SearchHash, "0.0.0.0", 0, "", "", "", 0, "words", {kHashA, kHashB}, "id", "pw"},
      {"dovel://unknownword/x", RequestKind::None, "0.0.0.0", 0, "", "", "", 0, "", {}, "", ""},
      {"  dovel://search/trimmed/  ", RequestKind::Search, "0.0.0.0", 0, "", "trimmed", "", 0, "", {}, "", ""},
  };
  for (const Accepted& expected : cases) {
    CLaunchRequest request;
    ASSERT_TRUE(request.Parse(expected.text)) << expected.text;
    EXPECT_EQ(request.kind, expected.kind) << expected.text;
    EXPECT_EQ(request.raw, expected.text);
    EXPECT_EQ(platform::format_ipv4(request.address), expected.address) << expected.text;
    EXPECT_EQ(request.port, expected.port) << expected.text;
    EXPECT_EQ(request.user_id, expected.user_id) << expected.text;
    EXPECT_EQ(request.hash, expected.hash) << expected.text;
    EXPECT_EQ(request.name, expected.name) << expected.text;
    EXPECT_EQ(request.size, expected.size) << expected.text;
    EXPECT_EQ(request.search_text, expected.search_text) << expected.text;
    EXPECT_EQ(request.hash_list, expected.hash_list) << expected.text;
    EXPECT_EQ(request.login_id, expected.login_id) << expected.text;
    EXPECT_EQ(request.password, expected.password) << expected.text;
  }
}

TEST(LaunchRequest, RefusesMalformedRequestsAndKeepsThePreviousOne) {
  const std::vector<std::string> refused = {
      "http://example/search/x",                         // no scheme
      "dovel://",                                        // no tokens
      "dovel://search",                                  // one token
      "dovel://file/name:" + kHashA,                     // file part with two fields
      "dovel://file/name:" + kHashA + ":12x",            // size is not a number
      "dovel://download_hash/" + credentials("a", "b"),  // missing hash, name, size
      "dovel://download_hash/" + credentials("a", "b") + "/" + kHashA + "/name",
      "dovel://search_text/" + credentials("a", "b"),
      "dovel://search_hash/" + credentials("a", "b") + "/words/" + Encode(kHashA),  // no hash list
      "dovel://search_hash/" + credentials("a", "b") + "/words/" + Encode(kHashB) + "/" + kHashA,  // check differs
      "dovel://search_hash/" + credentials("a", "b") + "/words//",                  // empty check, empty list
  };
  for (const std::string& text : refused) {
    CLaunchRequest request;
    ASSERT_TRUE(request.Parse("dovel://search/previous"));
    EXPECT_FALSE(request.Parse(text)) << text;
    EXPECT_EQ(request.kind, RequestKind::Search) << text;
    EXPECT_EQ(request.hash, "previous") << text;
    EXPECT_EQ(request.raw, "dovel://search/previous") << text;
  }
}

TEST(LaunchRequest, SchemeInsideTheTextIsSlicedFromWhereItStands) {
  CLaunchRequest request;
  ASSERT_TRUE(request.Parse("\"C:/x\" dovel://search/words"));
  EXPECT_EQ(request.kind, RequestKind::Search);
  EXPECT_EQ(request.hash, "words");
}

TEST(LaunchRequest, AnAcceptedRequestReplacesEveryField) {
  CLaunchRequest request;
  ASSERT_TRUE(request.Parse("dovel://file/10.1.2.3:9910/a.txt:" + kHashA + ":5"));
  ASSERT_TRUE(request.Parse("dovel://unknown/x"));
  EXPECT_EQ(request.kind, RequestKind::None);
  EXPECT_EQ(request.address, 0u);
  EXPECT_EQ(request.name, "");
}

TEST(LaunchRequest, HashListIsCappedAtFifty) {
  std::string list = kHashA;
  for (int i = 0; i < 60; ++i) list += "," + kHashB;
  CLaunchRequest request;
  ASSERT_TRUE(request.Parse("dovel://search_hash/" + credentials("a", "b") + "/w/" + Encode(kHashA) + "/" + list));
  EXPECT_EQ(request.hash_list.size(), kMaxRequestHashes);
}

TEST(LaunchRequest, BadSourceFieldsLeaveNoAddress) {
  CLaunchRequest request;
  ASSERT_TRUE(request.Parse("dovel://server/999.1.1.1:70000"));
  EXPECT_EQ(request.kind, RequestKind::Server);
  EXPECT_EQ(request.address, 0u);
  EXPECT_EQ(request.port, 0u);
}

}  // namespace
}  // namespace dovel::util
