// The client side of the service against the stand-in, on a loopback address of the test's own.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "central/central_service.h"
#include "base/text.h"
#include "core/message_ids.h"
#include "platform/registry_store.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"
#include "service/file_index_client.h"
#include "service/registration_client.h"
#include "service/registration_settings.h"
#include "service/registration_source.h"
#include "service/server_directory.h"
#include "service/service_socket.h"
#include "service/session_flow.h"
#include "support/eventually.h"
#include "settings/settings_registry.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"
#include "util/current_user.h"
#include "util/letter_pair.h"
#include "util/log_files.h"

namespace dovel::service {
namespace {

using test::eventually;
using namespace std::chrono_literals;

// A text as the settings store keeps it, by its stored name.
std::string stored_text(const platform::RegistryStore& store, const char* name) {
  return store.read_string(platform::Hive::CurrentUser, std::string(settings::kFallbackRoot) + "\\Setting", name).value_or("");
}

class ServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    address = platform::format_ipv4(test::unique_loopback_address());
    config.home = temp / "central";
    config.service = ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = *platform::parse_ipv4(address);
    config.service.web_base = "http://" + address + ":" + std::to_string(11080);
    central = std::make_unique<central::CentralService>(config);
    ASSERT_TRUE(central->accounts().add({"alice", "secret", "앨리스", 3, true}) == central::AccountStore::Change::Done);
    ASSERT_TRUE(central->accounts().add({"bob", "hunter2", "밥", 1, false}) == central::AccountStore::Change::Done);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    endpoints = config.service.endpoints();
    endpoints.bind_address = *platform::parse_ipv4(address);  // the test is the client
  }
  void TearDown() override {
    central.reset();
    util::SetCurrentUserId(util::kGuestUserId);
  }

  // The recorded messages of one kind.
  static size_t count_of(const test::RecordingTarget& target, core::MessageId id) {
    size_t count = 0;
    for (const auto& seen : target.seen()) count += seen.id == id;
    return count;
  }

  // The same service again, as after a restart.
  void restart_central() {
    central.reset();
    central = std::make_unique<central::CentralService>(config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
  }

  test::TempFolder temp;
  std::string address;
  central::CentralConfig config;
  std::unique_ptr<central::CentralService> central;
  ServiceEndpoints endpoints;
  test::RecordingTarget hub;
  ServiceSession session;
};

TEST_F(ServiceClientTest, LoginFillsTheSessionOrLeavesNone) {
  AuthClient auth(endpoints, session, &hub);
  LoginOutcome wrong = auth.login("alice", "wrong", true, false);
  EXPECT_EQ(wrong.result, kLoginFailed);
  EXPECT_EQ(login_failure_text(wrong.result, wrong.reason), "로그인실패: 암호가 일치하지않습니다. 암호를 확인하세요.");
  EXPECT_FALSE(auth.connected());
  EXPECT_FALSE(session.logged_in());

  LoginOutcome unknown = auth.login("nobody", "x", true, false);
  EXPECT_EQ(login_failure_text(unknown.result, unknown.reason), "로그인실패: 가입된 사용자가 아닙니다.");

  LoginOutcome right = auth.login("alice", "secret", true, false);
  ASSERT_EQ(right.result, kLoginOk);
  EXPECT_TRUE(auth.connected());
  SessionRecord record = session.record();
  EXPECT_EQ(record.identity.user_id, "alice");
  EXPECT_EQ(record.identity.member_label, "앨리스");
  EXPECT_EQ(record.identity.member_level, 3);
  EXPECT_EQ(record.is_adult, 1);
  EXPECT_EQ(record.password, "secret");
  EXPECT_FALSE(record.identity.auth_token_a.empty());
  EXPECT_EQ(util::CurrentUserId(), "alice");
  EXPECT_TRUE(hub.wait_for(1));
  EXPECT_EQ(hub.seen()[0].id, core::UM_LOGIN_DONE);
}

TEST_F(ServiceClientTest, IdChecksComeBeforeAnySession) {
  AuthClient auth(endpoints, session, &hub);
  EXPECT_EQ(auth.login("sixteen-letters!", "x", true, false).result, kLoginTooLong);
  EXPECT_EQ(test::read_file(central->request_log_file()), "") << "refused before any connection";

  // The service knows the user in lower case: an ID typed in capitals is not the same ID.
  LoginOutcome capitals = auth.login("Alice", "secret", true, true);
  EXPECT_EQ(capitals.result, kLoginNotAuthenticated);
  EXPECT_EQ(login_failure_text(capitals.result, 0), "로그인실패: 인증에 실패하였습니다.");
  EXPECT_FALSE(auth.connected());
  EXPECT_FALSE(session.logged_in());
  EXPECT_EQ(count_of(hub, core::UM_LOGIN_DONE), 0u);
  // The service admitted "alice" before the client refused the reply; the
  // session ends when the service has seen the connection close.
  ASSERT_TRUE(eventually([&] { return central->online_count() == 0; }));

  // The login window lower-cases what was typed.
  platform::RegistryStore store(temp / "config");
  settings::SettingsRegistry registry(store);
  SignIn signed_in = sign_in(auth, session, registry, {"ALICE", "secret", true, true, endpoints.web_base});
  EXPECT_EQ(signed_in.result, kLoginOk);
  EXPECT_EQ(session.identity().user_id, "alice");
  EXPECT_EQ(util::Decode(stored_text(store, "data1")), "alice");
  EXPECT_EQ(util::Decode(stored_text(store, "data2")), "secret");
}

TEST_F(ServiceClientTest, ASecondLoginOfTheSameIdAsksAndEndsTheFirstInOrder) {
  test::RecordingTarget first_hub;
  ServiceSession first_session;
  AuthClient first(endpoints, first_session, &first_hub);
  ASSERT_EQ(first.login("alice", "secret", true, false).result, kLoginOk);

  AuthClient second(endpoints, session, &hub);
  std::string asked;
  LoginOutcome declined = second.login("alice", "secret", true, false, [&asked](const std::string& id) {
    asked = id;
    return false;
  });
  EXPECT_EQ(declined.result, kLoginDuplicate);
  EXPECT_EQ(asked, "alice");
  EXPECT_EQ(login_failure_text(declined.result, 0), "") << "no box for a declined takeover";
  EXPECT_TRUE(first.connected());

  EXPECT_EQ(second.login("alice", "secret", true, false, [](const std::string&) { return true; }).result, kLoginOk);
  ASSERT_TRUE(eventually([&] { return count_of(first_hub, core::UM_AUTH_CLOSED) == 1; }));
  for (const auto& seen : first_hub.seen()) {
    if (seen.id == core::UM_AUTH_CLOSED) {
      EXPECT_EQ(seen.wparam, 0u) << "closed in order: the session ends, no silent re-login";
    }
  }
  EXPECT_FALSE(first.connected());
  EXPECT_TRUE(first.session_held_elsewhere()) << "what tells this close from a service going away";
}

TEST_F(ServiceClientTest, PushesReachTheHub) {
  AuthClient auth(endpoints, session, &hub);
  ASSERT_EQ(auth.login("alice", "secret", true, false).result, kLoginOk);
  ASSERT_TRUE(eventually([&] { return central->online_count() == 1; }));
  EXPECT_EQ(auth.online_count(), 1u);

  ASSERT_EQ(central->push(kNoticePush, "점검 안내"), 1u);
  ASSERT_TRUE(eventually([&] { return count_of(hub, core::UM_SERVICE_NOTICE) == 1; }));

  test::RecordingTarget bob_hub;
  ServiceSession bob_session;
  AuthClient bob(endpoints, bob_session, &bob_hub);
  ASSERT_EQ(bob.login("bob", "hunter2", true, false).result, kLoginOk);
  EXPECT_TRUE(eventually([&] { return count_of(hub, core::UM_ONLINE_COUNT) >= 1; })) << "the count of users online changed";

  EXPECT_TRUE(bob.send_chat_frame(kMemoType, "alice", "안녕하세요"));
  EXPECT_TRUE(eventually([&] { return count_of(hub, core::UM_SERVICE_MEMO) == 1; }));
  EXPECT_FALSE(bob.send_chat_frame(kMemoType, "alice", std::string(1025, 'x'))) << "at most 1024 bytes of text";
  EXPECT_FALSE(bob.send_chat_frame(kMemoType, "", "text"));
}

TEST_F(ServiceClientTest, ServiceEndingTheSessionAndSilentRelogin) {
  AuthClient auth(endpoints, session, &hub);
  ASSERT_EQ(auth.login("alice", "secret", true, false).result, kLoginOk);
  central->stop();
  ASSERT_TRUE(eventually([&] { return count_of(hub, core::UM_AUTH_CLOSED) == 1; }));
  EXPECT_FALSE(auth.connected());
  EXPECT_FALSE(auth.session_held_elsewhere()) << "a service that went away holds no session";

  EXPECT_FALSE(auth.relogin_silently()) << "no service to log in to";
  EXPECT_FALSE(auth.relogin_silently()) << "nor on the next try";
  EXPECT_TRUE(session.logged_in()) << "a try that finds no service keeps the stored ID and password";
  EXPECT_EQ(session.identity().user_id, "alice");

  restart_central();
  EXPECT_TRUE(auth.relogin_silently()) << "the stored ID and password log in again";
  EXPECT_TRUE(auth.connected());
  EXPECT_FALSE(auth.relogin_silently()) << "nothing to do while connected";

  auth.close();
  ASSERT_EQ(central->accounts().update("alice", {.password = std::string("changed")}), central::AccountStore::Change::Done);
  EXPECT_FALSE(auth.relogin_silently());
  EXPECT_FALSE(session.logged_in()) << "a refused password leaves no session";
  EXPECT_FALSE(auth.relogin_silently()) << "and nothing to try again";
}

TEST_F(ServiceClientTest, WarningsAreCheckedAfterLogin) {
  ASSERT_EQ(central->accounts().update("alice", {.warning_level = uint8_t{2}, .suspension_kind = uint8_t{1},
                                              .warning_text = std::string("불법 자료 공유")}),
            central::AccountStore::Change::Done);
  AuthClient auth(endpoints, session, &hub);
  platform::RegistryStore store(temp / "config");
  settings::SettingsRegistry registry(store);
  SignIn signed_in = sign_in(auth, session, registry, {"alice", "secret", false, true, endpoints.web_base});
  EXPECT_EQ(signed_in.warning_result, 2);
  EXPECT_EQ(signed_in.warning_notice, "사용중지 내역이 있습니다.\r\n\r\n\r\n불법 자료 공유");
  EXPECT_EQ(session.record().warning_text, "불법 자료 공유");
  EXPECT_EQ(stored_text(store, "data2"), "") << "no stored password without automatic login";
}

class RegisteredTest : public ServiceClientTest {
 protected:
  void SetUp() override {
    ServiceClientTest::SetUp();
    settings.update([](settings::StoredSettings& values) {
      values.server_subject = "불법 자료 서버";
      values.share_port = 9911;
    });
    totals.publish({1234, 56});
    meter.highest_upload_speed = 2048;
    auth = std::make_unique<AuthClient>(endpoints, session, nullptr);
    ASSERT_EQ(auth->login("alice", "secret", true, false).result, kLoginOk) << "the service registers logged-in users only";
  }
  std::optional<RegistrationRecord> record() {
    return current_registration_record(session, registration_settings, totals, meter, [](std::string_view title) {
      std::string masked(title);
      base::replace_all(masked, "불법", "##");
      return std::optional<std::string>(masked);
    });
  }

  settings::LiveSettings settings;
  RegistrationSettings registration_settings{settings};
  share::ShareTotals totals;
  core::TransferMeter meter;
  std::unique_ptr<AuthClient> auth;
};

TEST_F(RegisteredTest, RegistersOnAChannelAndWrapsWhenOneIsTaken) {
  auto built = record();
  ASSERT_TRUE(built);
  RegistrationClient first(endpoints, &hub, [] { return 0; });
  EXPECT_EQ(register_and_report(first, *built), kRegisterOk);
  EXPECT_EQ(first.channel(), 0);

  RegistrationClient second(endpoints, &hub, [] { return 0; });
  EXPECT_EQ(second.register_server(*built), kRegisterOk) << "channel 0 answers 35, channel 1 takes it";
  EXPECT_EQ(second.channel(), 1);
  const std::string log = test::read_file(util::ProcessLog()->file_for(util::kSystemLog, platform::system_clock().local_now()));
  EXPECT_NE(log.find("[루비] 서버로 등록을 하였습니다."), std::string::npos) << log;
}

TEST_F(RegisteredTest, TheServerListShowsRegisteredServers) {
  RegistrationClient registration(endpoints, &hub, [] { return 2; });
  ASSERT_EQ(registration.register_server(*record()), kRegisterOk);
  auto list = fetch_server_list(endpoints, 2);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 1u);
  const ListedServer& server = list->front();
  EXPECT_EQ(server.user_id, "alice");
  EXPECT_EQ(server.title, "## 자료 서버") << "the title travels masked";
  EXPECT_EQ(server.port, 9911);
  EXPECT_EQ(server.address, *platform::parse_ipv4(address));
  EXPECT_EQ(server.shared_mib, 1234u);
  EXPECT_EQ(server.shared_files, 56u);
  EXPECT_EQ(server.peak_speed, 2048u);
  EXPECT_EQ(fetch_server_list(endpoints, 0)->size(), 0u) << "other channels do not list it";

  ASSERT_TRUE(registration.send_counters({2000, 70}, 4096));
  ASSERT_TRUE(registration.send_title("새 제목"));
  ASSERT_TRUE(eventually([&] {
    auto now = fetch_server_list(endpoints, 2);
    return now && now->size() == 1 && now->front().shared_files == 70 && now->front().title == "새 제목";
  }));
  EXPECT_FALSE(registration.send_title(std::string(51, 't')));
  EXPECT_FALSE(registration.send_title(""));

  EXPECT_TRUE(registration.set_visibility(false));
  // The switch travels on the registration connection, the list on another: wait for the service.
  EXPECT_TRUE(eventually([&] {
    auto now = fetch_server_list(endpoints, 2);
    return now && now->empty();
  })) << "hidden from the list";

  ServerLists lists;
  lists.channels[2] = std::vector<ListedServer>{server};
  lists.online_users = 1234;
  EXPECT_EQ(server_list_header(lists), "User(1,234) :: Server(1) :: 0 TB :: 56 Files");

  auto found = lookup_address(endpoints, "alice", 1);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->port, 9911);
  EXPECT_FALSE(lookup_address(endpoints, "nobody", 0));

  registration.close();
  EXPECT_TRUE(eventually([&] { return !lookup_address(endpoints, "alice", 0); })) << "the registration ends with its connection";
}

TEST_F(RegisteredTest, TheRegistrationsEndReachesTheHub) {
  RegistrationClient registration(endpoints, &hub, [] { return 1; });
  ASSERT_EQ(registration.register_server(*record()), kRegisterOk);
  central->stop();
  ASSERT_TRUE(eventually([&] { return count_of(hub, core::UM_REGISTRATION_CLOSED) == 1; }));
}

TEST_F(ServiceClientTest, AnnouncementsFindSources) {
  const std::string hash = "0123456789abcdef0123456789abcdef";
  FileIndexClient announcer(endpoints, &hub, [] { return 1; });
  ASSERT_TRUE(announcer.announce_files(9910, {hash}));
  FileIndexClient empty(endpoints, &hub, [] { return 0; });
  EXPECT_TRUE(empty.announce_files(9920, {})) << "an announcement of no files is accepted";

  // Each of the three servers is asked; they may share what they know.
  std::set<std::pair<platform::Ipv4, uint16_t>> found;
  for (size_t index = 0; index < 3; ++index) {
    if (auto sources = lookup_sources(endpoints, hash, index)) {
      for (const Source& source : *sources) found.insert({source.address, source.port});
    }
  }
  EXPECT_EQ(found, (std::set<std::pair<platform::Ipv4, uint16_t>>{{*platform::parse_ipv4(address), 9910}}));

  announcer.close();
  ASSERT_TRUE(eventually([&] {
    for (size_t index = 0; index < 3; ++index) {
      auto sources = lookup_sources(endpoints, hash, index);
      if (!sources || !sources->empty()) return false;
    }
    return true;
  })) << "an announcement ends with its connection";
}

// A reply announcing no body, or more than the client takes, fails at once.
TEST(ServiceReplies, LengthsOutsideTheLimitFailWithoutReadingOn) {
  const std::string address = platform::format_ipv4(test::unique_loopback_address());
  int listener = platform::make_tcp_listener(*platform::parse_ipv4(address), 0, 4);
  ASSERT_GE(listener, 0);
  platform::UniqueFd owned(listener);
  ServiceConfig config = ServiceConfig::defaults();
  config.host_a = config.host_b = *platform::parse_ipv4(address);
  config.registration_ports = {platform::local_port(listener), platform::local_port(listener), platform::local_port(listener)};
  const ServiceEndpoints endpoints = config.endpoints();
  for (uint32_t length : {0u, 101u, 2048u}) {
    // Every channel points at this fake; each asking connection gets the bad length.
    std::thread fake([listener, length] {
      for (int channel = 0; channel < 3; ++channel) {
        platform::UniqueFd client(::accept(listener, nullptr, nullptr));
        char request[64];
        platform::receive_some(client.get(), request, sizeof request, 5000);
        std::string reply(4, '\0');
        std::memcpy(reply.data(), &length, 4);
        reply += std::string(200, 'x');  // never taken
        platform::send_all(client.get(), reply.data(), reply.size());
      }
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(lookup_address(endpoints, "alice", 0).has_value()) << length;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "no waiting for a body that is refused anyway";
    fake.join();
  }
}

}  // namespace
}  // namespace dovel::service
