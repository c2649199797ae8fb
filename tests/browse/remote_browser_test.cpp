// The remote browser against a real share server running in-process on a
// loopback address of its own.
#include <gtest/gtest.h>

#include <atomic>

#include "browse/browse_fixture.h"
#include "browse/remote_browser.h"
#include "core/message_ids.h"
#include "platform/registry_store.h"
#include "server/server_fixture.h"
#include "settings/setting_table.h"
#include "share/file_hash.h"
#include "support/fake_clock.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"
#include "util/letter_pair.h"

namespace dovel::browse {
namespace {

using namespace test_support;

constexpr uint32_t kPublicFlags = settings::SHARE_READ;
constexpr uint32_t kSecretFlags = settings::SHARE_READ | settings::SHARE_SECRET;
constexpr uint32_t kAdultFlags = settings::SHARE_READ | settings::SHARE_ADULT;

class RemoteBrowserTest : public server::ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    context.bind_address = test::unique_loopback_address();
    set_shares({{"Public", kPublicFlags}, {"Secret", kSecretFlags}, {"Adult", kAdultFlags}});
    settings.update([](settings::StoredSettings& values) { values.folder_pass = "열쇠"; });
    temp.write("shares/Public/a.txt", "abc");
    temp.write("shares/Public/노래.mp3", std::string(5000, 'm'));
    temp.write("shares/Public/c.bin", "cc");
    temp.write("shares/Public/Thumbs.db", "thumbs");
    temp.write("shares/Public/sub/b.bin", "bb");
    temp.write("shares/Secret/s.txt", "secret");
    temp.write("shares/Adult/x.txt", "x");
    temp.write("intro.html", "<p>어서오세요</p><SCRIPT>steal()</SCRIPT>");
    start_server();

    service::SessionRecord record;
    record.identity = {"visitor", 3, "방문객", "ta", "tb"};
    me.set_record(record);
    me.set_identity(record.identity);
  }

  BrowseContext browse_context() {
    BrowseContext made;
    made.settings = &client_view;
    made.session = &me;
    made.endpoints.web_base = "http://127.0.0.1:11080";
    made.endpoints.bind_address = client_address;
    made.downloads = &adder;
    made.hub = &hub;
    made.folder_lists = &folders;
    made.own_server_address = context.bind_address;
    return made;
  }

  SessionRequest to_server() const {
    SessionRequest request;
    request.address = context.bind_address;
    request.port = server->port();
    return request;
  }

  // Opens the server's top level.
  void open(RemoteBrowser& browser, SessionRequest request) {
    ASSERT_EQ(answer_of(browser, [&] { EXPECT_EQ(browser.start_session(request), StartOutcome::Started); }), ListingWait::Listing);
  }
  void open(RemoteBrowser& browser) { open(browser, to_server()); }

  static ListingWait enter(RemoteBrowser& browser, const std::string& name, OpenOptions options = {}) {
    return answer_of(browser, [&] { EXPECT_TRUE(browser.open_entry(name, options)) << name; });
  }

  platform::Ipv4 client_address = test::unique_loopback_address();
  platform::RegistryStore client_store{temp / "client-config"};
  settings::LiveSettings client_settings;
  settings::SettingsRegistry client_registry{client_store};
  BrowseSettings client_view{client_settings, client_registry};
  service::ServiceSession me;
  RecordingAdder adder;
  test::RecordingTarget hub;
  RecordingFolderSink folders;
};

TEST_F(RemoteBrowserTest, BrowsesTheTopLevelAndWalksThroughAShare) {
  RemoteBrowser browser(browse_context());
  open(browser);
  BrowserSnapshot top = browser.snapshot();
  EXPECT_TRUE(top.connected);
  EXPECT_EQ(top.current_path, "");
  EXPECT_EQ(names_of(top), (std::vector<std::string>{"..", "Public", "Secret", "Adult"}));
  EXPECT_EQ(top.rows[0].size_text, "<이전페이지>");
  EXPECT_EQ(top.rows[2].attribute_text, "비밀");
  EXPECT_EQ(top.peer_id, "owner");
  EXPECT_EQ(top.peer_label, "주인장");
  EXPECT_EQ(top.peer_level, 5);
  EXPECT_EQ(top.title, "접속됨") << "users without privileges do not see IDs";
  EXPECT_EQ(top.home_page_url, "http://127.0.0.1:11080/client/hompy.html?q_id_userid=" + util::EncodeWire("owner"));
  EXPECT_EQ(top.intro.kind, PeerIntro::Kind::Page);
  EXPECT_EQ(top.intro.page, "<p>어서오세요</p>&ltscript>steal()&lt/script>") << "the page is kept disarmed";
  EXPECT_EQ(top.speed_line, "속도(현재/제한): 0.00k/무제한");
  EXPECT_EQ(top.transfers_line, "전송수(현재/최대): 0/10");
  EXPECT_EQ(top.server_version, 11);
  EXPECT_TRUE(top.file_link_enabled);
  EXPECT_TRUE(top.folder_download_supported);
  EXPECT_EQ(top.up_text, "이전 탭");
  EXPECT_FALSE(top.up_enabled) << "no tab to go back to";
  EXPECT_TRUE(has_message(top, "접속을 시도합니다."));

  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  BrowserSnapshot share = browser.snapshot();
  EXPECT_EQ(share.current_path, "\\Public");
  EXPECT_EQ(share.share_index, 0);
  EXPECT_EQ(names_of(share), (std::vector<std::string>{"..", "sub", "a.txt", "c.bin", "노래.mp3"})) << "sorted by name, folders first";
  EXPECT_EQ(share.rows[0].size_text, "<상위폴더>");
  EXPECT_EQ(share.rows[4].size_text, "4KB");
  EXPECT_EQ(share.up_text, "상위폴더");
  EXPECT_TRUE(share.up_enabled);

  browser.set_sort(1, false);
  EXPECT_EQ(names_of(browser.snapshot()), (std::vector<std::string>{"..", "sub", "노래.mp3", "a.txt", "c.bin"}));

  ASSERT_EQ(enter(browser, "sub"), ListingWait::Listing);
  EXPECT_EQ(browser.snapshot().current_path, "\\Public\\sub");
  ASSERT_EQ(enter(browser, ".."), ListingWait::Listing);
  EXPECT_EQ(browser.snapshot().current_path, "\\Public");
  ASSERT_EQ(enter(browser, ".."), ListingWait::Listing);
  EXPECT_EQ(browser.snapshot().current_path, "");
  EXPECT_FALSE(browser.open_entry("..")) << "the back row without an origin does nothing";
  EXPECT_FALSE(browser.open_entry("no such entry"));
}

TEST_F(RemoteBrowserTest, TheChangeListenerHearsOfEveryChangeUntilItIsDetached) {
  RemoteBrowser browser(browse_context());
  std::atomic<int> changes{0};
  browser.set_change_listener([&changes] { ++changes; });
  open(browser);
  const int after_listing = changes;
  EXPECT_GT(after_listing, 0) << "the session's start and its listing change the snapshot";
  browser.set_sort(1, false);
  EXPECT_GT(changes, after_listing);
  browser.set_change_listener({});
  const int detached = changes;
  browser.set_sort(0, true);
  browser.stop_session();
  EXPECT_EQ(changes, detached);
}

TEST_F(RemoteBrowserTest, TheBackRowReturnsToTheOriginTab) {
  ScriptedFront front;
  BrowseContext with_front = browse_context();
  with_front.front = &front;
  RemoteBrowser browser(with_front);
  SessionRequest request = to_server();
  request.origin = kSearchResultsOrigin;
  open(browser, request);
  EXPECT_TRUE(browser.snapshot().up_enabled);
  EXPECT_TRUE(browser.open_entry(".."));
  EXPECT_FALSE(browser.snapshot().session_running);
  EXPECT_EQ(front.calls(), (std::vector<std::string>{"browse tab", "origin tab 2"}));
}

TEST_F(RemoteBrowserTest, ASecretShareOpensWithItsPasswordOnly) {
  RemoteBrowser browser(browse_context());
  open(browser);
  ASSERT_EQ(enter(browser, "Secret", {false, std::string("틀림")}), ListingWait::Refused);
  EXPECT_TRUE(has_message(browser.snapshot(), "암호가 틀렸습니다."));
  EXPECT_FALSE(browser.open_entry("Secret")) << "the wrong password was forgotten and nobody can be asked";
  ASSERT_EQ(enter(browser, "Secret", {true, std::nullopt}), ListingWait::Refused) << "\"탐색\" never prompts";

  ASSERT_EQ(enter(browser, "Secret", {false, std::string("열쇠")}), ListingWait::Listing);
  BrowserSnapshot secret = browser.snapshot();
  EXPECT_EQ(secret.current_path, "\\Secret");
  EXPECT_EQ(names_of(secret), (std::vector<std::string>{"..", "s.txt"}));

  // The share's password travels with the file's download.
  EXPECT_EQ(browser.request_downloads({"s.txt"}), 1u);
  ASSERT_TRUE(adder.wait_for(1));
  EXPECT_EQ(adder.requests()[0].folder_password, "열쇠");
  EXPECT_EQ(adder.requests()[0].listing_attributes, kSecretFlags);
}

TEST_F(RemoteBrowserTest, TheFrontIsAskedForAPasswordOnceNoneIsRemembered) {
  ScriptedFront front;
  front.password = "틀림";
  BrowseContext with_front = browse_context();
  with_front.front = &front;
  RemoteBrowser browser(with_front);
  open(browser);
  ASSERT_EQ(enter(browser, "Secret"), ListingWait::Refused);
  front.password = "열쇠";
  ASSERT_EQ(enter(browser, "Secret"), ListingWait::Listing) << "after a wrong password the next attempt asks again";
  ASSERT_EQ(enter(browser, ".."), ListingWait::Listing);
  ASSERT_EQ(enter(browser, "Secret"), ListingWait::Listing) << "a remembered password is not asked for again";
  front.password.reset();
  const std::vector<std::string> calls = front.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "password?"), 2);
  ASSERT_EQ(enter(browser, ".."), ListingWait::Listing);
}

TEST_F(RemoteBrowserTest, AdultSharesNeedAnAdultUser) {
  RemoteBrowser browser(browse_context());
  open(browser);
  ASSERT_EQ(enter(browser, "Adult"), ListingWait::Refused);
  EXPECT_TRUE(has_message(browser.snapshot(), "해당 폴더에 접근권한이 없습니다."));

  service::SessionRecord adult = me.record();
  adult.is_adult = 1;
  me.set_record(adult);
  open(browser);
  ASSERT_EQ(enter(browser, "Adult"), ListingWait::Listing);
}

TEST_F(RemoteBrowserTest, ANewDataHomeSwitchesToTheDownloadTabAfterQueuing) {
  EXPECT_TRUE(RemoteBrowser(browse_context()).snapshot().move_to_download_tab);
  client_registry.write(settings::kExploreAutoMoveDownload, false);
  EXPECT_FALSE(RemoteBrowser(browse_context()).snapshot().move_to_download_tab) << "the stored choice";
}

TEST_F(RemoteBrowserTest, DownloadRequestsQueueTheFilesTheServerNames) {
  ScriptedFront front;
  BrowseContext with_front = browse_context();
  with_front.front = &front;
  RemoteBrowser browser(with_front);
  browser.set_move_to_download_tab(false);
  open(browser);
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);

  EXPECT_EQ(browser.request_downloads({"a.txt", "노래.mp3", "c.bin", "sub", "missing"}, "내 폴더"), 3u) << "three files, three requests";
  ASSERT_TRUE(adder.wait_for(3));
  std::map<std::string, DownloadRequest> by_name;
  for (const DownloadRequest& request : adder.requests()) by_name[request.file_name] = request;
  ASSERT_EQ(by_name.size(), 3u);
  const DownloadRequest& a = by_name["a.txt"];
  EXPECT_EQ(a.hash, *share::sampled_md5_of_file(share_folder("Public") / "a.txt"));
  EXPECT_EQ(a.size, 3);
  EXPECT_EQ(a.sub_folder, "내 폴더");
  EXPECT_EQ(a.listing_attributes, kPublicFlags);
  EXPECT_EQ(a.folder_password, "");
  EXPECT_FALSE(a.switch_to_download_tab);
  ASSERT_EQ(a.sources.size(), 1u);
  EXPECT_EQ(a.sources[0].address, context.bind_address);
  EXPECT_EQ(a.sources[0].port, server->port());
  EXPECT_EQ(a.sources[0].peer_id, "owner");
  EXPECT_EQ(by_name["노래.mp3"].size, 5000);
  EXPECT_EQ(by_name["노래.mp3"].hash, *share::sampled_md5_of_file(share_folder("Public") / "노래.mp3"));
  const BrowserSnapshot after = browser.snapshot();
  EXPECT_EQ(std::count(after.messages.begin(), after.messages.end(), "파일정보요청을 하였습니다."), 3);

  browser.set_move_to_download_tab(true);
  EXPECT_EQ(browser.request_downloads({"a.txt"}), 1u);
  ASSERT_TRUE(adder.wait_for(4));
  EXPECT_TRUE(adder.requests()[3].switch_to_download_tab);
  EXPECT_EQ(adder.requests()[3].sub_folder, "") << "the sub-folder was taken with its answer";
  EXPECT_EQ(front.calls().back(), "download tab");
  const std::string setting_key = std::string(settings::kFallbackRoot) + "\\Setting";
  EXPECT_EQ(client_store.read_dword(platform::Hive::CurrentUser, setting_key, "ExploreAutoMoveDownload"), 1u);
}

TEST_F(RemoteBrowserTest, ABadSubFolderSendsNothing) {
  RemoteBrowser browser(browse_context());
  open(browser);
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  EXPECT_EQ(browser.request_downloads({"a.txt"}, "a:b"), 0u);
  EXPECT_TRUE(has_message(browser.snapshot(), "경로에 ':' 문자는 사용할 수 없습니다."));
  EXPECT_EQ(browser.request_downloads({"a.txt"}, ".."), 0u);
  ASSERT_EQ(enter(browser, "sub"), ListingWait::Listing) << "the session goes on";
  EXPECT_TRUE(adder.requests().empty());
}

TEST_F(RemoteBrowserTest, AQueueThatRefusesEndsTheSession) {
  adder.accept = false;
  RemoteBrowser browser(browse_context());
  open(browser);
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  EXPECT_EQ(answer_of(browser, [&] { EXPECT_EQ(browser.request_downloads({"a.txt"}), 1u); }), ListingWait::Ended);
  BrowserSnapshot ended = browser.snapshot();
  EXPECT_FALSE(ended.session_running);
  EXPECT_TRUE(ended.rows.empty());
  EXPECT_EQ(ended.current_path, "");
}

TEST_F(RemoteBrowserTest, AShareIndexOpensThatShareAtOnce) {
  RemoteBrowser browser(browse_context());
  SessionRequest request = to_server();
  request.share_index = 0;
  open(browser, request);
  EXPECT_EQ(browser.snapshot().current_path, "\\Public") << "the share, not the top level";

  request.start_path = "sub";
  open(browser, request);
  EXPECT_EQ(browser.snapshot().current_path, "\\Public\\sub");

  request.share_index = -1;
  request.start_path = "Public";
  open(browser, request);
  EXPECT_EQ(browser.snapshot().current_path, "\\Public");

  request.share_index = 1;
  request.start_path = "";
  ASSERT_EQ(answer_of(browser, [&] { browser.start_session(request); }), ListingWait::Refused) << "a secret share still wants its password";
}

TEST_F(RemoteBrowserTest, FileInformationAndLinkRepliesGoToTheHub) {
  RemoteBrowser browser(browse_context());
  open(browser);
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  const std::string hash = *share::sampled_md5_of_file(share_folder("Public") / "노래.mp3");
  EXPECT_TRUE(browser.request_file_info("노래.mp3"));
  ASSERT_TRUE(hub.wait_for(1));
  EXPECT_TRUE(browser.request_file_link("노래.mp3"));
  ASSERT_TRUE(hub.wait_for(2));
  const auto seen = hub.seen();
  EXPECT_EQ(seen[0].id, core::UM_FILE_INFO_REPLY);
  EXPECT_EQ(seen[0].text, hash + "|노래.mp3|5000");
  EXPECT_EQ(seen[1].id, core::UM_FILE_LINK_REPLY);
  EXPECT_EQ(seen[1].text, hash + "|노래.mp3|5000|" + util::EncodeWire("owner"));
  EXPECT_FALSE(browser.request_file_info("sub")) << "folders have no file information";
}

TEST_F(RemoteBrowserTest, FolderDownloadsAskForTheList) {
  RemoteBrowser browser(browse_context());
  open(browser);
  EXPECT_FALSE(browser.request_folder_download());
  EXPECT_TRUE(has_message(browser.snapshot(), "루트폴더는 폴더다운이 안됩니다."));
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  EXPECT_FALSE(browser.request_folder_download("a.txt")) << "files are no folders";
  EXPECT_TRUE(browser.request_folder_download("sub"));
  ASSERT_TRUE(folders.wait_for(1));
  EXPECT_EQ(folders.lists()[0].substr(0, 4), "sub\x01");
  ASSERT_EQ(enter(browser, "sub"), ListingWait::Listing);
  EXPECT_TRUE(browser.request_folder_download());
  ASSERT_TRUE(folders.wait_for(2));
  EXPECT_EQ(folders.lists()[1].substr(0, 4), "sub\x01");
}

TEST_F(RemoteBrowserTest, TheOwnServerOpensEverythingButDownloadsNothing) {
  RemoteBrowser browser(browse_context());
  SessionRequest own = to_server();
  own.address = 0;
  own.skip_service_checks = true;
  open(browser, own);
  EXPECT_TRUE(browser.snapshot().own_server);
  ASSERT_EQ(enter(browser, "Adult"), ListingWait::Listing) << "the own server is asked as an adult";
  EXPECT_EQ(browser.request_downloads({"x.txt"}), 0u);
  EXPECT_TRUE(has_message(browser.snapshot(), "자신의 파일은 다운로드가 안됩니다."));
  EXPECT_FALSE(browser.request_folder_download());
}

TEST_F(RemoteBrowserTest, FiveIdleMinutesStopTheSession) {
  test::FakeClock clock;
  BrowseContext with_clock = browse_context();
  with_clock.clock = &clock;
  RemoteBrowser browser(with_clock);
  open(browser);
  clock.advance_ms(RemoteBrowser::kIdleMs - 1);
  browser.check_idle();
  EXPECT_TRUE(browser.snapshot().session_running);
  ASSERT_EQ(enter(browser, "Public"), ListingWait::Listing);
  clock.advance_ms(RemoteBrowser::kIdleMs - 1);
  browser.check_idle();
  EXPECT_TRUE(browser.snapshot().session_running) << "every action restarts the timer";
  clock.advance_ms(1);
  browser.check_idle();
  BrowserSnapshot stopped = browser.snapshot();
  EXPECT_FALSE(stopped.session_running);
  EXPECT_TRUE(has_message(stopped, "5분간 입력이 없어서 서버탐색이 중지되었습니다."));
  EXPECT_TRUE(stopped.rows.empty());
}

TEST_F(RemoteBrowserTest, AServerThatStopsEndsTheSession) {
  RemoteBrowser browser(browse_context());
  open(browser);
  EXPECT_EQ(answer_of(browser, [&] { server->stop_share_server(false); }), ListingWait::Ended);
  EXPECT_FALSE(browser.snapshot().connected);
  EXPECT_EQ(browser.request_downloads({"a.txt"}), 0u);
  EXPECT_FALSE(browser.open_entry("Public"));
}

TEST_F(RemoteBrowserTest, AnUnreachableServerIsToldOnce) {
  service::SessionRecord privileged = me.record();
  privileged.privilege_a = 1;
  me.set_record(privileged);
  RemoteBrowser browser(browse_context());
  SessionRequest request;
  request.address = test::unique_loopback_address();
  request.port = server->port();
  request.peer_id = "ghost";
  EXPECT_EQ(answer_of(browser, [&] { browser.start_session(request); }), ListingWait::Ended);
  const BrowserSnapshot snapshot = browser.snapshot();
  EXPECT_TRUE(has_message(snapshot, "'ghost'님 서버로 접속을 시도합니다."));
  EXPECT_TRUE(has_message(snapshot, "'ghost'님의 서버에 접속할 수 없습니다. Error: Connect Timeout"));
  EXPECT_EQ(snapshot.history.front(), "ghost") << "privileged users keep a history";
}

}  // namespace
}  // namespace dovel::browse
