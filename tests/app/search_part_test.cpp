// The search as the hub and the control socket drive it, against a service
// address where nothing answers: a started search finds no server and ends.
#include <gtest/gtest.h>

#include <string>

#include "app/search_control_commands.h"
#include "app/search_system.h"
#include "core/message_ids.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"

namespace dovel::app {
namespace {

class SearchPartTest : public ::testing::Test {
 protected:
  SearchPartTest() {
    service::ServiceConfig config = service::ServiceConfig::defaults();
    config.host_a = config.host_b = config.bind_address = test::unique_loopback_address();
    search::SearchContext context;
    context.endpoints = config.endpoints();
    context.session = &session;
    client = std::make_unique<search::SearchClient>(std::move(context));
    part = std::make_unique<SearchPart>(*client, [this] { ++login_asked; });
    add_search_control_commands(commands, *client, result_downloads);
  }

  void log_in(const std::string& user_id) {
    service::SessionRecord record;
    record.identity.user_id = user_id;
    session.set_record(record);
  }

  std::string command(const std::string& name, std::string_view argument) { return commands.commands.at(name)(argument); }

  service::ServiceSession session;
  std::unique_ptr<search::SearchClient> client;
  std::unique_ptr<SearchPart> part;
  search::ResultDownloads result_downloads{[](const download::AddRequest&) { return false; }, 0};
  ControlTarget commands;
  int login_asked = 0;
};

TEST_F(SearchPartTest, ASearchAskedForBeforeTheLoginStartsOnceAfterIt) {
  part->search_words("노래 모음");
  EXPECT_EQ(login_asked, 1);
  EXPECT_FALSE(client->results().has_value()) << "nothing searched without a user";

  log_in("alice");
  part->login_done();
  ASSERT_TRUE(client->results().has_value());
  const uint32_t number = client->results()->number;
  part->login_done();
  EXPECT_EQ(client->results()->number, number) << "the waiting search started once";
}

TEST_F(SearchPartTest, ControlCommandsCheckTheirWordsAndAnswerTheSearch) {
  EXPECT_NE(command("search", "rainbow").find("log in first"), std::string::npos);
  log_in("alice");
  struct Case {
    std::string argument;
    std::string answer_part;
  };
  for (const Case& c : std::vector<Case>{
           {"a b", "영문일경우 1자 이상이어야 합니다."},
           {"", "검색어를 입력하세요."},
           {"--hash", "usage: search"},
           {"--hash 0123456789abcdef0123456789abcdef extra", "usage: search"},
           {"song --ext mp3 --ext ogg", "usage: search"},
           {"song --ext", "usage: search"},
       }) {
    EXPECT_NE(command("search", c.argument).find(c.answer_part), std::string::npos) << c.argument;
  }
  EXPECT_NE(command("results", "").find("no such search"), std::string::npos);

  const std::string started = command("search", "rainbow --ext mp3");
  ASSERT_NE(started.find("\"ok\":true,\"number\":"), std::string::npos) << started;
  const std::string number = started.substr(started.find("\"number\":") + 9, started.find('}') - started.find("\"number\":") - 9);
  const std::string results = command("results", number);
  EXPECT_NE(results.find("\"number\":" + number), std::string::npos) << results;
  EXPECT_NE(results.find("\"rows\":[]"), std::string::npos) << results;
  EXPECT_NE(command("results", "12x").find("results takes a search number"), std::string::npos);
  EXPECT_NE(command("stop-search", "").find("\"ok\":true"), std::string::npos);
  EXPECT_NE(command("stop-search", "now").find("\"ok\":false"), std::string::npos);
}

// The window's observer: everything the search tells, only while attached.
class CountingObserver final : public search::SearchObserver {
 public:
  void search_started(uint32_t) override { ++told; }
  void sending_done(uint32_t) override { ++told; }
  void results_changed(uint32_t) override { ++told; }
  void search_stopped(uint32_t) override { ++told; }
  void user_message(const std::string&) override { ++told; }
  int told = 0;
};

TEST(HubSearchObserverTest, TheHubHearsOfEveryEndAndTheWindowOfAllWhileAttached) {
  test::RecordingTarget hub;
  HubSearchObserver observer(hub);
  CountingObserver window;
  observer.attach_window(&window);
  observer.search_started(7);
  observer.results_changed(7);
  observer.sending_done(7);
  observer.user_message("검색어를 입력하세요.");
  observer.search_stopped(7);
  EXPECT_EQ(window.told, 5);
  observer.attach_window(nullptr);
  observer.results_changed(8);
  observer.search_stopped(8);
  EXPECT_EQ(window.told, 5);
  ASSERT_EQ(hub.seen().size(), 2U);
  EXPECT_EQ(hub.seen()[0].id, core::UM_SEARCH_STOPPED);
  EXPECT_EQ(hub.seen()[1].wparam, 8U);
}

}  // namespace
}  // namespace dovel::app
