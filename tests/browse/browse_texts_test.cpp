// The small rules of remote browsing: reply bodies, the sub-folder name
// check, the address history and the peer's pages.
#include <gtest/gtest.h>

#include "browse/address_history.h"
#include "browse/browse_settings.h"
#include "browse/leading_fields.h"
#include "browse/peer_pages.h"
#include "browse/session_replies.h"
#include "browse/sub_folder_name.h"
#include "platform/cp949.h"
#include "platform/registry_store.h"
#include "settings/settings_registry.h"
#include "support/cp949_text.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel::browse {
namespace {

using dovel::test::cp949;

TEST(SessionReplies, StatusLines) {
  struct Case {
    std::string body;
    std::string speed;
    std::string transfers;
  } cases[] = {
      {"10\a3\a12.50\a300", "속도(현재/제한): 12.50k/300k", "전송수(현재/최대): 3/10"},
      {"10\a3\a12.50\a-1", "속도(현재/제한): 12.50k/무제한", "전송수(현재/최대): 3/10"},
      {"5\a0\a0.00", "현재속도: 0.00k", "전송수(현재/최대): 0/5"},
  };
  for (const Case& c : cases) {
    auto lines = parse_server_status(c.body);
    ASSERT_TRUE(lines) << c.body;
    EXPECT_EQ(lines->speed, c.speed);
    EXPECT_EQ(lines->transfers, c.transfers);
  }
  for (const std::string& refused : std::vector<std::string>{"", "10", "10\a3", "10|3|1.0", "10\a3\a" + std::string(100, '9'), std::string("10\a3\a\xff")}) {
    EXPECT_FALSE(parse_server_status(refused)) << refused;
  }
}

TEST(SessionReplies, IdentityLevelsOutsideOneToNineBecomeNine) {
  const std::pair<std::string, int> cases[] = {{"1", 1}, {"9", 9}, {"5", 5}, {"0", 9}, {"10", 9}, {"-3", 9}, {"x", 9}, {"", 9}};
  for (const auto& [level, expected] : cases) {
    auto identity = parse_peer_identity(cp949("alice|" + level + "|앨리스"));
    ASSERT_TRUE(identity) << level;
    EXPECT_EQ(identity->user_id, "alice");
    EXPECT_EQ(identity->label, "앨리스");
    EXPECT_EQ(identity->level, expected) << level;
  }
  EXPECT_FALSE(parse_peer_identity("alice|3")) << "too few fields";
  EXPECT_FALSE(parse_peer_identity("\xff\xff|3|x")) << "not CP949";
}

TEST(SessionReplies, IntroAndFileHash) {
  auto intro = parse_peer_intro(cp949("1|www.example.org/나"));
  ASSERT_TRUE(intro);
  EXPECT_EQ(intro->kind, 1);
  EXPECT_EQ(intro->text, "www.example.org/나");
  EXPECT_EQ(parse_peer_intro("0|")->text, "");
  EXPECT_FALSE(parse_peer_intro(""));
  EXPECT_FALSE(parse_peer_intro("1"));
  EXPECT_FALSE(parse_peer_intro("x|text"));

  const std::string hash = "0123456789abcdef0123456789ABCDEF";
  auto reply = parse_file_hash_reply(hash + "|" + cp949("노래.mp3") + "|4096");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->hash, hash);
  EXPECT_EQ(reply->name, "노래.mp3");
  EXPECT_EQ(reply->size, 4096);
  EXPECT_EQ(reply->size_text, "4096");
  for (const std::string& refused : std::vector<std::string>{hash + "|a.mp3", hash, "", "xyz|a.mp3|1", hash + "0|a.mp3|1", hash + "||1", hash + "|a.mp3|-1",
                                    hash + "|a.mp3|1k", hash + "|\xff\xff|1", hash + "|..|1", hash + "|../../x|1", hash + "|a/b|1",
                                    hash + "|a\x01" "b|1", hash + "|.|1"}) {
    EXPECT_FALSE(parse_file_hash_reply(refused)) << refused;
  }
  EXPECT_TRUE(has_fields("a|b|c", 3));
  EXPECT_FALSE(has_fields("a|b", 3));
  EXPECT_TRUE(has_fields("||", 3));
}

TEST(LeadingFields, OnlyTheFieldsAskedForAreMade) {
  struct Case {
    std::string text;
    size_t most;
    std::vector<std::string_view> fields;
  } cases[] = {
      {"", 3, {""}},
      {"a", 3, {"a"}},
      {"a|b|c", 3, {"a", "b", "c"}},
      {"a|b|c|d|e", 3, {"a", "b", "c"}},
      {"a||", 5, {"a", "", ""}},
      {"a|b", 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(leading_fields(c.text, '|', c.most), c.fields) << c.text;
  EXPECT_EQ(leading_fields(std::string(5'000'000, '|'), '|', 6).size(), 6u);
  EXPECT_TRUE(has_status_fields(std::string(5'000'000, '\a'), 3));
}

TEST(SubFolderName, TheFirstForbiddenCharacterIsNamed) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"영화", std::nullopt},
      {"my files", std::nullopt},
      {"", std::nullopt},
      {"a:b", "경로에 ':' 문자는 사용할 수 없습니다."},
      {"a\\b", "경로에 '\\' 문자는 사용할 수 없습니다."},
      {"a/b", "경로에 '/' 문자는 사용할 수 없습니다."},
      {"a|b*c", "경로에 '*' 문자는 사용할 수 없습니다."},
      {"?\"", "경로에 '?' 문자는 사용할 수 없습니다."},
      {"<>", "경로에 '<' 문자는 사용할 수 없습니다."},
      {"a>b", "경로에 '>' 문자는 사용할 수 없습니다."},
      {"\"x", "경로에 '\"' 문자는 사용할 수 없습니다."},
      {"|", "경로에 '|' 문자는 사용할 수 없습니다."},
      {"..", "경로에 '..' 폴더는 사용할 수 없습니다."},
      {".", "경로에 '.' 폴더는 사용할 수 없습니다."},
      {"a\tb", "경로에 제어 문자는 사용할 수 없습니다."},
      {"..x", std::nullopt},
  };
  for (const auto& [name, refusal] : cases) EXPECT_EQ(sub_folder_refusal(name), refusal) << name;
}

TEST(AddressHistoryTest, NewestFirstAtMostTwentyIds) {
  AddressHistory history;
  for (int i = 1; i <= 20; ++i) history.add("user" + std::to_string(i));
  EXPECT_EQ(history.ids().size(), 20u);
  EXPECT_EQ(history.ids().front(), "user20");
  EXPECT_EQ(history.ids().back(), "user1");
  history.add("user21");
  EXPECT_EQ(history.ids().size(), 20u);
  EXPECT_EQ(history.ids().back(), "user2") << "the oldest dropped out";
  history.add("user22");
  EXPECT_EQ(history.ids().back(), "user3");
  EXPECT_EQ(history.entries().size(), 21u);
  EXPECT_EQ(history.entries().back(), "-모두삭제-");

  history.add("USER10");
  EXPECT_EQ(history.ids().front(), "USER10") << "an ID explored again moves to the top";
  EXPECT_EQ(history.ids().size(), 20u);
  const std::vector<std::string> ids = history.ids();
  EXPECT_EQ(std::count(ids.begin(), ids.end(), "user10"), 0);
  history.add("");
  history.add("-모두삭제-");
  EXPECT_EQ(history.ids().front(), "USER10");
  history.clear();
  EXPECT_EQ(history.entries(), std::vector<std::string>{"-모두삭제-"});
}

TEST(AddressHistoryTest, StoredAsOneSettingJoinedByByte3) {
  test::TempFolder temp;
  platform::RegistryStore store(temp / "config");
  settings::SettingsRegistry registry(store);
  settings::LiveSettings live;
  BrowseSettings browse_settings(live, registry);
  AddressHistory history;
  history.add("철수");
  history.add("bob");
  ASSERT_TRUE(browse_settings.store_address_history(history.stored_text()));
  EXPECT_EQ(store.read_string(platform::Hive::CurrentUser, std::string(settings::kFallbackRoot) + "\\Setting", "UserList"), "bob\x03철수");

  AddressHistory loaded;
  loaded.load_text(browse_settings.address_history());
  EXPECT_EQ(loaded.ids(), (std::vector<std::string>{"bob", "철수"}));

  std::string many = "\x03\x03-모두삭제-\x03" "dup\x03" "DUP";
  for (int i = 0; i < 30; ++i) many += "\x03" "id" + std::to_string(i);
  loaded.load_text(many);
  EXPECT_EQ(loaded.ids().size(), 20u);
  EXPECT_EQ(loaded.ids().front(), "dup") << "empty parts, the clear entry and repeats are skipped";
}

TEST(PeerPages, HomePageAddress) {
  EXPECT_EQ(url_encoded("aZ09 +/%한"), "aZ09+%2B%2F%25%ED%95%9C");
  const std::string url = home_page_url("http://127.0.0.1:11080", "alice");
  EXPECT_EQ(url, "http://127.0.0.1:11080/client/hompy.html?q_id_userid=" + util::EncodeWire("alice"));
  EXPECT_EQ(util::DecodeWire(url.substr(url.find('=') + 1)), "alice");
}

TEST(PeerPages, IntroPagesAreNeutralised) {
  const std::pair<std::string, std::string> cases[] = {
      {"<SCRIPT>alert(1)</Script>", "&ltscript>alert(1)&lt/script>"},
      {"<b>Hi</b>", "<b>hi</b>"},
      {"<iframe src=x></iframe>", "&ltiframe src=x>&lt/iframe>"},
      {"<FRAME><frameset>", "&ltframe>&ltframeset>"},
      {"<object data=y>", "&ltobject data=y>"},
      {"<p>안녕 SCRIPT</p>", "<p>안녕 script</p>"},
      {"< script>", "< script>"},
  };
  for (const auto& [page, expected] : cases) EXPECT_EQ(neutralised_intro(page), expected) << page;
}

TEST(PeerPages, IntroKinds) {
  const std::string web = "http://service.example:11080";
  PeerIntro address = peer_intro_of({1, "www.peer.example/me"}, web, true);
  EXPECT_EQ(address.kind, PeerIntro::Kind::WebAddress);
  EXPECT_EQ(address.url, "http://www.peer.example/me");
  EXPECT_EQ(peer_intro_of({1, "SERVICE.example/evil"}, web, true).kind, PeerIntro::Kind::None) << "the service's own domain is not opened";
  EXPECT_EQ(peer_intro_of({1, ""}, web, true).kind, PeerIntro::Kind::None);

  PeerIntro page = peer_intro_of({0, "<Script>x</script>"}, web, true);
  EXPECT_EQ(page.kind, PeerIntro::Kind::Page);
  EXPECT_EQ(page.page, "&ltscript>x&lt/script>");
  EXPECT_EQ(peer_intro_of({0, "<Script>x</script>"}, web, false).page, "<Script>x</script>") << "IntroNoScript off";
  EXPECT_EQ(peer_intro_of({7, "<b>"}, web, true).kind, PeerIntro::Kind::Page);
}

}  // namespace
}  // namespace dovel::browse
