#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/message.h"
#include "mainframe/hub_parts.h"
#include "mainframe/main_frame.h"
#include "search/result_download.h"
#include "search/search_client.h"
#include "server/search_responder.h"
#include "service/service_session.h"
#include "settings/settings.h"

namespace dovel::app {

// Hands the own search responder's results to the search once that is there:
// the hub's responder needs its sink from the start, the search needs the hub's
// session. Detached before the search goes, so that no result reaches it after.
class ResultSinkSlot final : public wire::SearchResultSink {
 public:
  void attach(wire::SearchResultSink* target);
  void search_result_received(std::string datagram, service::Endpoint source) override;

 private:
  std::mutex lock_;
  wire::SearchResultSink* target_ = nullptr;
};

// The search settings of the search window's boxes, as stored ("SendtoDelay", "AutoSort").
search::SearchSettings stored_search_settings(const settings::SettingsRegistry& registry);

// What a search tells the program: the hub hears of its end (an exit waits for
// it), the user of a refused input; a search window, once attached, hears all.
class HubSearchObserver final : public search::SearchObserver {
 public:
  explicit HubSearchObserver(core::MessageTarget& hub) : hub_(hub) {}
  // The window's observer (null detaches it); it must outlive its attachment.
  void attach_window(search::SearchObserver* window);

  void search_started(uint32_t number) override;
  void sending_done(uint32_t number) override;
  void results_changed(uint32_t number) override;
  void search_stopped(uint32_t number) override;
  void user_message(const std::string& text) override;

 private:
  template <typename Call>
  void tell_window(Call call);

  core::MessageTarget& hub_;
  std::mutex window_lock_;
  search::SearchObserver* window_ = nullptr;
};

// The search as the hub drives it for dovel:// requests and the exit. A search
// asked for while nobody (or the guest) is logged in waits for the login.
class SearchPart final : public mainframe::SearchControl {
 public:
  SearchPart(search::SearchClient& client, std::function<void()> ask_for_login)
      : client_(client), ask_for_login_(std::move(ask_for_login)) {}

  bool running() const override { return client_.running(); }
  void stop() override { client_.stop(); }
  void search_words(const std::string& words) override;
  void search_text(const util::CLaunchRequest& request) override;
  void search_hashes(const util::CLaunchRequest& request) override;
  void login_done() override;
  // Starts the search; one that needs a login first waits for it (and the
  // login window is asked for).
  search::StartOutcome start(const search::SearchRequest& request);

 private:

  search::SearchClient& client_;
  std::function<void()> ask_for_login_;
  std::mutex lock_;
  std::optional<search::SearchRequest> waiting_;
};

// The search side of the program, made once the hub exists.
class SearchSystem {
 public:
  // `queue` puts the results' files into the download list.
  SearchSystem(settings::Settings& settings, mainframe::CMainFrame& hub, core::MessageTarget& loop, const service::ServiceEndpoints& endpoints,
               std::function<void()> ask_for_login, search::ResultDownloads::Queue queue);

  search::SearchClient& client() { return client_; }
  search::ResultDownloads& result_downloads() { return result_downloads_; }
  // The search window's observer, told everything the search tells; null detaches.
  void attach_window(search::SearchObserver* window) { observer_.attach_window(window); }
  mainframe::SearchControl* part() { return &part_; }
  SearchPart& starter() { return part_; }

 private:
  HubSearchObserver observer_;
  search::SearchClient client_;
  SearchPart part_;
  search::ResultDownloads result_downloads_;
};

}  // namespace dovel::app
