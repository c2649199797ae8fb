// The hub against a stand-in service on loopback: the start sequence, the
// server (re)start, sessions that end or drop, requests, replies, the exit.
#include <gtest/gtest.h>

#include <algorithm>

#include "mainframe/hub_fixture.h"
#include "core/message_ids.h"
#include "platform/socket.h"
#include "wire/connection_kind.h"
#include "wire/peer_frame.h"
#include "service/auth_messages.h"
#include "central/reply_prefix.h"
#include "service/frame.h"
#include "service/registration_messages.h"
#include "service/server_directory.h"
#include "support/scripted_peer.h"
#include "support/fake_clock.h"
#include "support/held_database.h"
#include "util/current_user.h"
#include "util/letter_pair.h"

namespace dovel::mainframe::test {
namespace {

using Question = UserPrompt::Question;

class FakeSearch final : public SearchControl {
 public:
  bool running() const override { return running_now; }
  void stop() override { ++stops; }
  void search_words(const std::string& words) override { searched.push_back(words); }
  void search_text(const util::CLaunchRequest& request) override { searched.push_back(request.search_text); }
  void search_hashes(const util::CLaunchRequest&) override {}
  void login_done() override {}

  bool running_now = false;
  int stops = 0;
  std::vector<std::string> searched;
};

class FakeDownloads final : public DownloadsControl {
 public:
  int running_downloads() const override { return running; }
  bool stop_all_for_exit() override {
    ++stopped_for_exit;
    return running > 0;
  }
  void retry_stopped_downloads() override {}
  void refresh() override {}
  void queue_file(const util::CLaunchRequest& request) override { queued.push_back(request.hash); }
  void queue_by_hash(const util::CLaunchRequest& request) override { queued.push_back(request.hash); }

  int running = 0;
  int stopped_for_exit = 0;
  std::vector<std::string> queued;
};

std::optional<service::ListedServer> listed(const service::ServiceEndpoints& endpoints, const std::string& user_id) {
  for (int channel = 0; channel < 3; ++channel) {
    for (const service::ListedServer& server : service::fetch_server_list(endpoints, channel).value_or(std::vector<service::ListedServer>{})) {
      if (server.user_id == user_id) return server;
    }
  }
  return std::nullopt;
}

// A peer browsing the hub's server; true once it has the greeting.
bool greeted(int fd) {
  const std::string kind(1, static_cast<char>(wire::kControlKind));
  if (platform::send_all(fd, kind.data(), kind.size()) != 1) return false;
  char answer[5];
  for (size_t got = 0; got < sizeof answer;) {
    const ssize_t n = platform::receive_some(fd, answer + got, sizeof answer - got, 5000);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  while (auto frame = wire::read_client_frame(fd, wire::kMaxServerFrameLength, 5000, 5000)) {
    if (*frame == "5") return true;
  }
  return false;
}

// True when the next listing comes within five seconds (status frames come meanwhile).
bool listing_arrives(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    std::optional<std::string> frame = wire::read_client_frame(fd, wire::kMaxServerFrameLength, 5000, 5000);
    if (!frame) return false;
    if (!frame->empty() && frame->front() == 'L') return true;
  }
  return false;
}

// With a hashing run in its walk and a peer's request by hash in front of it,
// `stop` must end the server at once.
void expect_stop_without_waiting_for_the_run(platform::Ipv4 address, CMainFrame& hub, const std::function<void()>& stop) {
  platform::UniqueFd peer(platform::create_tcp_socket());
  ASSERT_TRUE(platform::connect_tcp(peer.get(), address, hub.local_server().port(), 5000));
  ASSERT_TRUE(greeted(peer.get()));
  dovel::test::HeldDatabase walk;
  hub.hashing().start_hash_run(1);
  ASSERT_TRUE(hub.hashing().active());
  const std::string requests = wire::build_peer_frame("F0123456789abcdef0123456789abcdef") + wire::build_peer_frame("L");
  ASSERT_EQ(platform::send_all(peer.get(), requests.data(), requests.size()), static_cast<ssize_t>(requests.size()));
  ASSERT_TRUE(listing_arrives(peer.get())) << "the request by hash waited for the run";

  const auto started = std::chrono::steady_clock::now();
  stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_FALSE(hub.local_server().is_running());
  EXPECT_FALSE(hub.hashing().active()) << "the run ends with the server";
}

TEST_F(HubFixture, ExitDoesNotWaitForAHashingRun) {
  make_hub();
  start_and_register();
  expect_stop_without_waiting_for_the_run(client_address, *hub, [this] {
    loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
    ASSERT_TRUE(run_until([this] { return loop.quitting(); }));
  });
}

TEST_F(HubFixture, LogOutDoesNotWaitForAHashingRun) {
  make_hub();
  start_and_register();
  expect_stop_without_waiting_for_the_run(client_address, *hub, [this] { hub->log_out(); });
  EXPECT_FALSE(hub->session().logged_in());
}

TEST_F(HubFixture, StartSequenceLogsInHashesServesAndRegisters) {
  make_hub();
  start_and_register();
  EXPECT_EQ(front.logins, 1);
  EXPECT_EQ(front.title, "Dovel Build 11672 - alice");
  EXPECT_EQ(util::CurrentUserId(), "alice");
  EXPECT_TRUE(logged("파일해싱을 시작합니다.")) << "AutoHash is on by default";
  ASSERT_TRUE(run_until([this] { return !front.server_lists.empty(); }));

  std::optional<service::ListedServer> server = listed(endpoints, "alice");
  ASSERT_TRUE(server) << "visible in the server list";
  EXPECT_EQ(server->port, settings->values().share_port);
  EXPECT_EQ(server->address, client_address);
  EXPECT_TRUE(run_until([this] { return hub->file_index().connected(); })) << "the large files are announced";
}

TEST_F(HubFixture, WithoutStoredLoginTheLoginWindowOpens) {
  make_hub();
  hub->create();
  loop.post({core::UM_START, 0, 0, nullptr});
  loop.run_for(*hub, 200);
  EXPECT_EQ(front.login_asked, 1);
  EXPECT_FALSE(hub->session().logged_in());
  EXPECT_FALSE(hub->local_server().is_running());
}

TEST_F(HubFixture, AStoredPasswordIsForgottenOnlyWhenTheServiceRefusesIt) {
  const struct {
    const char* password;
    bool service_up;
    bool kept;
  } cases[] = {{"wrong", true, false}, {"secret", false, true}};
  for (const auto& c : cases) {
    if (!c.service_up) central->stop();
    make_hub();
    store_login("alice", c.password);
    hub->create();
    loop.post({core::UM_START, 0, 0, nullptr});
    loop.run_for(*hub, 200);
    EXPECT_FALSE(hub->session().logged_in());
    EXPECT_EQ(settings->registry().read(settings::kStoredPassword).empty(), !c.kept) << c.password;
    hub.reset();
  }
  EXPECT_FALSE(prompt.told.empty()) << "the failure is shown";
}

TEST_F(HubFixture, TwoHashingEndsRestartTheServerTwiceButRegisterOnce) {
  make_hub();
  start_and_register();
  ASSERT_EQ(registrations(), 1u);
  const uint16_t port = hub->local_server().port();
  loop.post({core::UM_HASH_DONE, 1, 1, nullptr});
  loop.post({core::UM_HASH_DONE, 1, 1, nullptr});
  loop.run_for(*hub, 300);
  EXPECT_TRUE(hub->local_server().is_running());
  EXPECT_EQ(hub->local_server().port(), port);
  EXPECT_TRUE(hub->registration().registered());
  EXPECT_EQ(registrations(), 1u) << "the open registration only gets the counters";
}

TEST_F(HubFixture, ARegistrationUnderWayIsNotStartedAgain) {
  make_hub({}, true);
  store_login("alice", "secret");
  settings->update([](settings::StoredSettings& values) { values.auto_hash = false; });
  hub->create();
  loop.post({core::UM_START, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  run_deferred();  // the login
  loop.run_for(*hub, 50);
  ASSERT_TRUE(hub->session().logged_in());
  loop.post({core::UM_HASH_DONE, 1, 1, nullptr});
  loop.post({core::UM_HASH_DONE, 1, 1, nullptr});
  loop.run_for(*hub, 100);
  run_deferred();
  loop.run_for(*hub, 100);
  EXPECT_TRUE(hub->registration().registered());
  EXPECT_EQ(registrations(), 1u) << "three server starts, one registration while it was under way";
}

// Another login of the same ID makes the service end this session in order.
TEST_F(HubFixture, TheServiceEndingTheSessionStopsSharing) {
  make_hub();
  start_and_register();
  service::ServiceSession elsewhere_session;
  service::AuthClient elsewhere(endpoints, elsewhere_session, nullptr);
  ASSERT_EQ(elsewhere.login("alice", "secret", true, false, [](const std::string&) { return true; }).result, service::kLoginOk);
  ASSERT_TRUE(run_until([this] { return !hub->session().logged_in(); }));
  EXPECT_FALSE(hub->local_server().is_running());
  EXPECT_FALSE(hub->registration().registered());
  EXPECT_EQ(front.sessions_ended, 1);
  EXPECT_EQ(util::CurrentUserId(), std::string(util::kGuestUserId));
}

TEST_F(HubFixture, ALostSessionIsOpenedAgainSilently) {
  make_hub();
  start_and_register();
  hub->auth().close();
  loop.post({core::UM_AUTH_CLOSED, 104, 0, nullptr});
  ASSERT_TRUE(run_until([this] { return hub->auth().connected(); }));
  EXPECT_TRUE(hub->session().logged_in());
  EXPECT_TRUE(hub->local_server().is_running());
  EXPECT_TRUE(prompt.asked.empty()) << "nothing is asked";
}

// The service goes down (its FIN on every connection) and comes back: nobody
// else holds the ID, so the session waits for it as after a lost connection,
// sharing on, and the relogin timer logs in and registers again.
TEST_F(HubFixture, TheServiceGoingAwayKeepsTheSessionForTheReloginTimer) {
  make_hub();
  start_and_register();
  central->stop();
  ASSERT_TRUE(run_until([this] { return !hub->auth().connected() && !hub->registration().registered(); }));
  loop.run_for(*hub, 200);
  EXPECT_TRUE(hub->session().logged_in()) << "the stored ID and password stay for the next try";
  EXPECT_TRUE(hub->local_server().is_running());
  EXPECT_EQ(front.sessions_ended, 0);

  hub->on_timer(core::kReloginTimer);
  loop.run_for(*hub, 100);
  EXPECT_FALSE(hub->auth().connected()) << "still no service";
  EXPECT_TRUE(hub->session().logged_in()) << "a failed try keeps them too";

  restart_central();
  hub->on_timer(core::kReloginTimer);
  ASSERT_TRUE(run_until([this] { return hub->auth().connected() && hub->registration().registered(); }));
  EXPECT_TRUE(listed(endpoints, "alice").has_value());
  EXPECT_TRUE(prompt.told.empty()) << "nothing is shown";
}

// The service drops the registration and the announcement but keeps the
// session: the next refresh registers and announces again.
TEST_F(HubFixture, ADroppedRegistrationAndAnnouncementAreMadeAgain) {
  make_hub();
  start_and_register();
  ASSERT_TRUE(run_until([this] { return hub->file_index().connected(); }));
  ASSERT_EQ(central->end_registrations_from(client_address), 2u);
  ASSERT_TRUE(run_until([this] { return !hub->registration().registered() && !hub->file_index().connected(); }))
      << "both count as closed once the service ends them";
  EXPECT_EQ(hub->registration().channel(), -1);

  hub->on_timer(core::kRegistrationRefreshTimer);
  ASSERT_TRUE(run_until([this] { return hub->registration().registered() && hub->file_index().connected(); }));
  EXPECT_EQ(requests_with("\tregister\t38 alice"), 2u);
  EXPECT_EQ(requests_with("\tannounce\t21 "), 2u);
  EXPECT_TRUE(listed(endpoints, "alice").has_value());
}

// Settings the check refuses (here: no server title) are never registered.
TEST_F(HubFixture, SettingsTheCheckRefusesAreNotRegistered) {
  ASSERT_TRUE(settings->update([](settings::StoredSettings& values) { values.server_subject.clear(); }));
  make_hub();
  store_login("alice", "secret");
  hub->create();
  loop.post({core::UM_START, 0, 0, nullptr});
  ASSERT_TRUE(run_until([this] { return hub->session().logged_in() && !hub->hashing().active() && logged("파일해싱을 완료하였습니다."); }));
  hub->on_timer(core::kRegistrationRefreshTimer);
  loop.run_for(*hub, 200);
  EXPECT_FALSE(hub->registration().registered());
  EXPECT_EQ(registrations(), 0u);
  bool told = false;
  for (const std::string& text : prompt.told) told = told || text.find("설정에러: ") == 0;
  EXPECT_TRUE(told) << "the check's message is shown";
}

// Every channel answers 37: the box asks for another channel name, once for a
// run of that refusal however often the refresh tries again.
TEST_F(HubFixture, AChannelOverItsLimitShowsItsBoxOnce) {
  dovel::test::ScriptedPeer channels([](int connection) {
    if (dovel::test::read_exactly(connection, service::kFrameHeaderSize + service::kRegistrationRecordSize).empty()) return;
    const std::string reply = central::with_long_prefix(service::build_result_reply(service::kRegisterType, service::kRegisterChannelLimit));
    platform::send_all(connection, reply.data(), reply.size());
    dovel::test::read_until_closed(connection);
  });
  for (service::Endpoint& channel : endpoints.registration) channel = {channels.address(), channels.port()};
  make_hub();
  start_sequence_without_registration();
  const std::string box = "채널사용자가 제한인원을 초과하였습니다. 채널명을 바꾸세요.";
  ASSERT_TRUE(run_until([&] { return std::count(prompt.told.begin(), prompt.told.end(), box) == 1; }));
  const size_t tried = channels.served();
  hub->on_timer(core::kRegistrationRefreshTimer);
  ASSERT_TRUE(run_until([&] { return channels.served() >= tried + 3; })) << "the refresh tries again";
  loop.run_for(*hub, 100);
  EXPECT_EQ(std::count(prompt.told.begin(), prompt.told.end(), box), 1);
  EXPECT_FALSE(logged(box)) << "a box, no log line";
  EXPECT_FALSE(hub->registration().registered());
}

// The visibility switch: the service takes it, the setting and the front follow,
// and the list shows the server or not.
TEST_F(HubFixture, TheVisibilitySwitchHidesAndShowsTheServer) {
  make_hub();
  start_and_register();
  hub->set_server_visibility(false);
  ASSERT_TRUE(run_until([this] { return front.visibility.size() == 1; }));
  EXPECT_FALSE(front.visibility[0]);
  EXPECT_FALSE(settings->values().show_server);
  EXPECT_FALSE(settings->registry().read(settings::kShowServer)) << "written as ShowServer";
  EXPECT_TRUE(logged("서버목록에 내서버가 보이지 않습니다."));
  EXPECT_FALSE(hub->status().server_shown);
  EXPECT_FALSE(listed(endpoints, "alice").has_value());

  hub->set_server_visibility(true);
  ASSERT_TRUE(run_until([this] { return front.visibility.size() == 2; }));
  EXPECT_TRUE(settings->values().show_server);
  EXPECT_TRUE(logged("서버목록에 내서버가 보입니다."));
  EXPECT_TRUE(listed(endpoints, "alice").has_value());
}

TEST_F(HubFixture, AFinishedDownloadReachesTheFrontsNotifier) {
  make_hub();
  loop.post({core::UM_DOWNLOAD_FINISHED, 0, 0, std::make_unique<core::TextPayload>("a.bin 파일다운이 완료되었습니다.")});
  ASSERT_TRUE(run_until([this] { return !front.finished_downloads.empty(); }));
  EXPECT_EQ(front.finished_downloads[0], "a.bin 파일다운이 완료되었습니다.");
}

// A download refused for the lost connection asks for this attempt.
TEST_F(HubFixture, AReconnectInTheBackgroundOpensTheLostSessionAgain) {
  make_hub();
  start_and_register();
  hub->auth().close();
  ASSERT_FALSE(hub->auth().connected());
  hub->reconnect_in_background();
  ASSERT_TRUE(run_until([this] { return hub->auth().connected(); }));
  EXPECT_TRUE(hub->session().logged_in());
}

TEST_F(HubFixture, HandoversWaitForTheReadyFlag) {
  FakeSearch search;
  make_hub({nullptr, &search, nullptr, nullptr});
  auto handover = [this](uint64_t kind, std::string text) {
    loop.post({core::UM_HANDOVER, kind, 0, std::make_unique<core::TextPayload>(std::move(text))});
    loop.run_for(*hub, 50);
  };
  const std::string request = "dovel://search/music";
  handover(3, request);
  EXPECT_TRUE(search.searched.empty()) << "before the ready flag a handover is dropped";
  EXPECT_EQ(front.brought_to_front, 0);

  hub->create();
  handover(0, "");
  EXPECT_EQ(front.brought_to_front, 1) << "a second start without a request only brings the window up";
  EXPECT_TRUE(search.searched.empty());
  handover(3, request);
  ASSERT_EQ(search.searched, std::vector<std::string>{"music"});
  EXPECT_EQ(front.views, std::vector<int>{2});
  handover(3, "dovel://nonsense");
  EXPECT_EQ(search.searched.size(), 1u) << "a request that does not parse is dropped";
}

TEST_F(HubFixture, ARequestDoesNotSwitchTheUserWithoutConsent) {
  ASSERT_EQ(central->accounts().add({"bob", "pw", "밥"}), central::AccountStore::Change::Done);
  FakeSearch search;
  make_hub({nullptr, &search, nullptr, nullptr});
  start_and_register();
  const std::string request = "dovel://search_text/" + util::EncodeWire("bob\x07pw") + "/music";
  util::CLaunchRequest parsed;
  ASSERT_TRUE(parsed.Parse(request));
  ASSERT_EQ(parsed.login_id, "bob") << "a search request may carry a login";

  loop.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(request)});
  loop.run_for(*hub, 100);
  EXPECT_EQ(hub->session().identity().user_id, "alice") << "a connected user is not switched";
  EXPECT_EQ(search.searched.size(), 1u) << "the request runs as the user that is logged in";

  // With the connection down, the request's login would replace alice's session.
  hub->auth().close();
  prompt.answers[Question::SwitchUser] = false;
  loop.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(request)});
  loop.run_for(*hub, 100);
  EXPECT_EQ(prompt.asked.back(), Question::SwitchUser);
  EXPECT_EQ(hub->session().identity().user_id, "alice");
  EXPECT_EQ(search.searched.size(), 1u) << "declined: the request is dropped";
}

// "search_text" with the login it carries.
std::string search_with_login(const std::string& user_id, const std::string& password, const std::string& words) {
  return "dovel://search_text/" + util::EncodeWire(user_id + "\x07" + password) + "/" + words;
}

TEST_F(HubFixture, ARequestWhoseLoginFailsIsDroppedNotKeptForTheNextLogin) {
  ASSERT_EQ(central->accounts().add({"bob", "pw", "밥"}), central::AccountStore::Change::Done);
  FakeSearch search;
  make_hub({nullptr, &search, nullptr, nullptr});
  hub->create();
  loop.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(search_with_login("alice", "wrong", "music"))});
  ASSERT_TRUE(run_until([this] { return !prompt.told.empty(); })) << "the refused login is shown";
  EXPECT_FALSE(hub->session().logged_in());
  EXPECT_TRUE(logged("로그인에 실패하여 요청을 처리하지 않습니다."));

  // The user's own login afterwards, as someone else: the request does not run under it.
  hub->log_in("bob", "pw", false);
  ASSERT_TRUE(run_until([this] { return hub->session().logged_in(); }));
  loop.run_for(*hub, 100);
  EXPECT_EQ(hub->session().identity().user_id, "bob");
  EXPECT_TRUE(search.searched.empty());
}

TEST_F(HubFixture, ARequestThatCameDuringAFailedLoginGetsALoginOfItsOwn) {
  ASSERT_EQ(central->accounts().add({"bob", "pw", "밥"}), central::AccountStore::Change::Done);
  FakeSearch search;
  make_hub({nullptr, &search, nullptr, nullptr}, true);
  hub->create();
  hub->log_in("alice", "wrong", false);
  loop.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>(search_with_login("bob", "pw", "music"))});
  loop.run_for(*hub, 50);
  run_deferred();  // alice's login, refused
  loop.run_for(*hub, 50);
  run_deferred();  // the request's own
  ASSERT_TRUE(run_until([&] { return !search.searched.empty(); }));
  EXPECT_EQ(hub->session().identity().user_id, "bob");
  EXPECT_EQ(search.searched, std::vector<std::string>{"music"});
}

// Text from a second copy, the launcher or the control socket that is not
// UTF-8 is refused before it is read as a request.
TEST_F(HubFixture, HandedTextThatIsNotUtf8IsRefused) {
  FakeSearch search;
  make_hub({nullptr, &search, nullptr, nullptr});
  hub->create();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"a byte no character starts with", "\xff"},
      {"a lone continuation byte", "\x80"},
      {"a character cut short", "\xed\x95"},
      {"a character cut short at the end", "노\xeb"},
      {"an overlong slash", "\xc0\xaf"},
      {"an overlong three-byte form", "\xe0\x80\xaf"},
      {"a surrogate half", "\xed\xa0\x80"},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80"},
      {"a CP949 word", "\xc0\xbd\xbe\xc7"},
  };
  for (const auto& c : cases) {
    for (const core::MessageId id : {core::UM_HANDOVER, core::UM_CARRY_OUT_REQUEST}) {
      const std::string text = "dovel://search/" + c.bytes;
      loop.post({id, 3, 0, std::make_unique<core::TextPayload>(text)});
      loop.run_for(*hub, 20);
      EXPECT_TRUE(search.searched.empty()) << c.what;
      search.searched.clear();
    }
  }
  EXPECT_TRUE(logged("UTF-8이 아닌 요청은 받지 않습니다."));
  EXPECT_FALSE(logged("잘못된 요청입니다.")) << "none reached the parser";

  loop.post({core::UM_CARRY_OUT_REQUEST, 0, 0, std::make_unique<core::TextPayload>("dovel://search/노래")});
  ASSERT_TRUE(run_until([&] { return !search.searched.empty(); }));
  EXPECT_EQ(search.searched, std::vector<std::string>{"노래"}) << "UTF-8 goes through";
}

TEST_F(HubFixture, RepliesBecomeLinksAndPagesOnlyWithAllTheirFields) {
  make_hub();
  hub->create();
  auto reply = [this](core::MessageId id, std::string text) {
    loop.post({id, 0, 0, std::make_unique<core::TextPayload>(std::move(text))});
    loop.run_for(*hub, 30);
  };
  reply(core::UM_FILE_LINK_REPLY, "0123456789abcdef0123456789abcdef|노래.mp3|321");
  EXPECT_TRUE(front.links.empty()) << "three fields do nothing";
  reply(core::UM_FILE_LINK_REPLY, "0123456789abcdef0123456789abcdef|노래.mp3|321|source");
  ASSERT_EQ(front.links.size(), 1u);
  EXPECT_EQ(front.links[0].rfind("dovel://file/source/", 0), 0u) << front.links[0];
  EXPECT_NE(front.links[0].find(":0123456789abcdef0123456789abcdef:321"), std::string::npos);

  reply(core::UM_FILE_INFO_REPLY, "0123456789abcdef0123456789abcdef|노래.mp3");
  EXPECT_TRUE(front.pages.empty());
  // The share server's order: FileHash|name|size.
  reply(core::UM_FILE_INFO_REPLY, "0123456789abcdef0123456789abcdef|노래.mp3|321");
  ASSERT_EQ(front.pages.size(), 1u);
  EXPECT_EQ(front.pages[0], endpoints.web_base + "/client/srh_fileid.html?q_id_fid=" +
                                util::EncodeWire("0123456789abcdef0123456789abcdef") + "&q_no_fsize=" + util::EncodeWire("321") +
                                "&q_nm_fid=" + util::EncodeWire("노래.mp3"));
}

TEST_F(HubFixture, ExitWithNothingRunningAsksNothing) {
  make_hub();
  hub->create();
  loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
  EXPECT_TRUE(run_until([this] { return loop.quitting(); }));
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_TRUE(hub->torn_down());
  EXPECT_EQ(front.torn_down, 1);
}

TEST_F(HubFixture, ExitWaitsForTheDownloadsAtMostFiveSeconds) {
  FakeDownloads downloads;
  downloads.running = 2;
  FakeSearch search;
  search.running_now = true;
  make_hub({&downloads, &search, nullptr, nullptr});
  hub->create();

  prompt.answers[Question::ExitWhileTransferring] = false;
  loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  EXPECT_EQ(prompt.asked, std::vector<Question>{Question::ExitWhileTransferring});
  EXPECT_FALSE(loop.quitting()) << "declined";

  prompt.answers[Question::ExitWhileTransferring] = true;
  loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  EXPECT_EQ(search.stops, 1) << "the search stops first";
  EXPECT_EQ(downloads.stopped_for_exit, 0);
  loop.post({core::UM_SEARCH_STOPPED, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  EXPECT_EQ(downloads.stopped_for_exit, 1);
  EXPECT_FALSE(loop.quitting()) << "the downloads are given their time";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(run_until([this] { return loop.quitting(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_TRUE(hub->torn_down());
}

TEST_F(HubFixture, TheLastDownloadEndingClosesAtOnce) {
  FakeDownloads downloads;
  downloads.running = 1;
  make_hub({&downloads, nullptr, nullptr, nullptr});
  hub->create();
  loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  ASSERT_FALSE(loop.quitting());
  loop.post({core::UM_DOWNLOADS_STOPPED, 0, 0, nullptr});
  loop.run_for(*hub, 50);
  EXPECT_TRUE(loop.quitting());
}

TEST_F(HubFixture, TheThrottleFollowsTheMeasuredUploadSpeed) {
  dovel::test::FakeClock fake;
  clock = &fake;
  make_hub();
  core::TransferMeter& meter = hub->meter();
  settings->upload_speed_limit = 1000;

  meter.uploaded_bytes += 5000;
  fake.advance_ms(1000);
  hub->on_timer(core::kThrottleTimer);
  EXPECT_EQ(meter.upload_delay_ms, 0.0) << "no upload running: the direction is skipped";
  EXPECT_EQ(meter.highest_upload_speed, 0u);

  meter.running_uploads = 2;
  meter.uploaded_bytes += 4000;
  fake.advance_ms(1000);
  hub->on_timer(core::kThrottleTimer);
  EXPECT_DOUBLE_EQ(meter.upload_delay_ms, 2.0) << "4000 B/s against 1000 with two uploads: + 4000 / 1000 / 2";
  EXPECT_EQ(meter.highest_upload_speed, 4000u);

  hub->on_timer(core::kThrottleTimer);
  EXPECT_DOUBLE_EQ(meter.upload_delay_ms, 2.0) << "no time passed: the throttle reads 0 and leaves the delay";

  meter.uploaded_bytes += 500;
  fake.advance_ms(1000);
  hub->on_timer(core::kThrottleTimer);
  EXPECT_DOUBLE_EQ(meter.upload_delay_ms, 1.0) << "500 B/s: - 1000 / 500 / 2";
  EXPECT_EQ(meter.highest_upload_speed, 4000u) << "the highest speed stays";
  EXPECT_DOUBLE_EQ(meter.upload_speed, 500.0);

  meter.running_uploads = 0;
  fake.advance_ms(1000);
  hub->on_timer(core::kThrottleTimer);
  EXPECT_EQ(meter.upload_speed, 0.0) << "peers are not told the speed of uploads that ended";
}

TEST_F(HubFixture, TheTrayTipSaysNotLoginForTheGuest) {
  make_hub();
  hub->create();
  hub->on_timer(core::kStatusTimer);
  EXPECT_EQ(front.transfer.tray_tip, "Dovel Build 11672\r\nNot Login\r\n받기: 0.0K (0)  주기: 0.0K (0)  ");
}

}  // namespace
}  // namespace dovel::mainframe::test
