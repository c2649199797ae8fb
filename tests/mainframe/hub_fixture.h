#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/local_databases.h"
#include "central/central_service.h"
#include "core/message_ids.h"
#include "core/message_loop.h"
#include "mainframe/main_frame.h"
#include "platform/registry_store.h"
#include "settings/settings.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::mainframe::test {

// Keeps what the hub shows.
class RecordingFront final : public HubFront {
 public:
  void set_title(const std::string& title) override { this->title = title; }
  void show_transfer_status(const TransferStatus& status) override { transfer = status; }
  void bring_to_front() override { ++brought_to_front; }
  void show_view(int view) override { views.push_back(view); }
  void ask_for_login() override { ++login_asked; }
  void login_done(const service::SessionRecord&, bool) override { ++logins; }
  void session_ended() override { ++sessions_ended; }
  void show_server_lists(const service::ServerLists& lists) override { server_lists.push_back(lists); }
  void open_page_window(const std::string& url) override { pages.push_back(url); }
  void show_file_link(const std::string& link) override { links.push_back(link); }
  void show_server_start_button(bool) override {}
  void show_server_visibility(bool shown) override { visibility.push_back(shown); }
  void show_service_notice(const std::string& text) override { notices.push_back(text); }
  void notify_download_finished(const std::string& text) override { finished_downloads.push_back(text); }
  void service_line_arrived() override {}
  void show_online_count(uint32_t) override {}
  void show_point_balance(const std::string&) override {}
  void show_point_shortage() override {}
  void ask_about_leftover_files(const std::string& question, const std::string& folder) override {
    leftover_questions.push_back({question, folder});
  }
  void tear_down() override { ++torn_down; }

  std::string title;
  TransferStatus transfer;
  int brought_to_front = 0;
  std::vector<int> views;
  int login_asked = 0;
  int logins = 0;
  int sessions_ended = 0;
  std::vector<service::ServerLists> server_lists;
  std::vector<std::string> pages;
  std::vector<std::string> links;
  std::vector<std::string> notices;
  std::vector<std::string> finished_downloads;
  std::vector<std::pair<std::string, std::string>> leftover_questions;
  std::vector<bool> visibility;
  int torn_down = 0;
};

// Answers each question as the test says (yes unless told otherwise) and keeps them.
class ScriptedPrompt final : public UserPrompt {
 public:
  bool ask(Question question, const std::string&) override {
    std::lock_guard guard(lock_);
    asked.push_back(question);
    auto answer = answers.find(question);
    return answer == answers.end() || answer->second;
  }
  void tell(const std::string& text) override {
    std::lock_guard guard(lock_);
    told.push_back(text);
  }

  std::map<Question, bool> answers;
  std::vector<Question> asked;
  std::vector<std::string> told;

 private:
  std::mutex lock_;
};

// A hub on a data home of its own, with its share server and service
// connections on a loopback address of its own, next to a stand-in service on
// another. The hub's network work runs inline on the test's thread, or, when
// the test defers it, when the test says.
class HubFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    central::CentralConfig& config = central_config;
    config.home = service_home.path();
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = service_address;
    config.service.web_base = service::web_base_on(service_address);
    central = std::make_unique<central::CentralService>(config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    ASSERT_EQ(central->accounts().add({"alice", "secret", "앨리스"}), central::AccountStore::Change::Done);
    endpoints = config.service.endpoints();
    endpoints.bind_address = client_address;

    util::ConfigureLogFiles(home.path(), platform::system_clock());
    util::ProcessLog()->SetStatusSink([this](const std::string& line) {
      std::lock_guard guard(log_lock_);
      log_.push_back(line);
    });
    ASSERT_FALSE(app::open_local_databases(home.path(), databases));
    store = std::make_unique<platform::RegistryStore>(home / "config");
    settings = std::make_unique<settings::Settings>(*store, home.path());
    settings->Load();
    std::filesystem::create_directories(home / "shares/public");
    ASSERT_TRUE(settings->set_shared_folders({{"public", (home / "shares/public").string(), settings::kDefaultShareFlags}}));
    ASSERT_TRUE(settings->update([this](settings::StoredSettings& values) { values.share_port = free_port(); }));
    settings->server_usable = true;
  }

  void TearDown() override {
    hub.reset();
    util::ProcessLog()->SetStatusSink({});
  }

  // A port nothing listens on at the client's address just now.
  uint16_t free_port() const {
    platform::UniqueFd probe(platform::make_tcp_listener(client_address, 0, 1));
    return platform::local_port(probe.get());
  }

  void store_login(const std::string& user_id, const std::string& password) {
    settings->registry().edit([&](settings::SettingsRegistry::Writer& writer) {
      writer.write(settings::kStoredUserId, user_id);
      writer.write(settings::kStoredPassword, password);
      writer.write(settings::kAutoLogin, true);
    });
  }

  void make_hub(HubParts parts = {}, bool defer_service_work = false) {
    MainFrameSetup setup;
    setup.settings = settings.get();
    setup.program_folder = home.path();
    setup.endpoints = endpoints;
    setup.loop = &loop;
    setup.front = &front;
    setup.prompt = &prompt;
    setup.parts = parts;
    setup.random = [] { return 0; };
    setup.clock = clock;
    setup.ping_period = {3600000, 1};
    if (defer_service_work) {
      setup.run_service_task = [this](std::function<void()> task) { deferred.push_back(std::move(task)); };
    } else {
      setup.run_service_task = [](std::function<void()> task) { task(); };
    }
    hub = std::make_unique<CMainFrame>(std::move(setup));
  }

  // Runs the deferred network work in order, including what it leads to.
  void run_deferred() {
    while (!deferred.empty()) {
      std::function<void()> task = std::move(deferred.front());
      deferred.pop_front();
      task();
    }
  }

  // Drives the hub's loop until `done` holds or 30 s have passed.
  bool run_until(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      loop.run_for(*hub, 20);
    }
    return true;
  }

  // Logs in with the stored account and hashes; the registration is the test's to watch.
  void start_sequence_without_registration() {
    store_login("alice", "secret");
    hub->create();
    loop.post({core::UM_START, 0, 0, nullptr});
    ASSERT_TRUE(run_until([this] { return hub->session().logged_in() && hub->local_server().is_running(); }));
  }

  // Logs in with the stored account, hashes, starts the server and registers.
  void start_and_register() {
    store_login("alice", "secret");
    hub->create();
    loop.post({core::UM_START, 0, 0, nullptr});
    ASSERT_TRUE(run_until([this] { return hub->registration().registered() && hub->local_server().is_running(); }));
  }

  // The stand-in on the same home and address again, as after a restart.
  void restart_central() {
    central.reset();
    central = std::make_unique<central::CentralService>(central_config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
  }

  // How many requests of the service's log hold `entry` (its request and result columns).
  size_t requests_with(const std::string& entry) const {
    const std::string log = dovel::test::read_file(central->request_log_file());
    size_t count = 0;
    for (size_t at = log.find(entry); at != std::string::npos; at = log.find(entry, at + 1)) ++count;
    return count;
  }
  size_t registrations() const { return requests_with("\tregister\t"); }

  bool logged(const std::string& text) {
    std::lock_guard guard(log_lock_);
    for (const std::string& line : log_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  dovel::test::TempFolder home;
  dovel::test::TempFolder service_home;
  const platform::Ipv4 service_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  central::CentralConfig central_config;
  std::unique_ptr<central::CentralService> central;
  service::ServiceEndpoints endpoints;
  app::LocalDatabases databases;
  std::unique_ptr<platform::RegistryStore> store;
  std::unique_ptr<settings::Settings> settings;
  core::PlainMessageLoop loop;
  RecordingFront front;
  ScriptedPrompt prompt;
  const platform::Clock* clock = &platform::system_clock();
  std::deque<std::function<void()>> deferred;
  std::unique_ptr<CMainFrame> hub;

 private:
  std::mutex log_lock_;
  std::vector<std::string> log_;
};

}  // namespace dovel::mainframe::test
