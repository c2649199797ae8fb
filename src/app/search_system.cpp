#include "app/search_system.h"

#include "core/message_ids.h"
#include "util/log_files.h"

namespace dovel::app {

void ResultSinkSlot::attach(wire::SearchResultSink* target) {
  std::lock_guard guard(lock_);
  target_ = target;
}

void ResultSinkSlot::search_result_received(std::string datagram, service::Endpoint source) {
  std::lock_guard guard(lock_);
  if (target_ != nullptr) target_->search_result_received(std::move(datagram), source);
}

search::SearchSettings stored_search_settings(const settings::SettingsRegistry& registry) {
  const settings::SettingsRegistry::Reader reader = registry.reader();
  search::SearchSettings settings;
  settings.send_delay_index = static_cast<int>(reader.read(settings::kSendtoDelay));
  settings.auto_sort_index = static_cast<int>(reader.read(settings::kAutoSort));
  return settings;
}

void HubSearchObserver::attach_window(search::SearchObserver* window) {
  std::lock_guard guard(window_lock_);
  window_ = window;
}

template <typename Call>
void HubSearchObserver::tell_window(Call call) {
  std::lock_guard guard(window_lock_);
  if (window_ != nullptr) call(*window_);
}

void HubSearchObserver::search_started(uint32_t number) {
  tell_window([number](search::SearchObserver& window) { window.search_started(number); });
}

void HubSearchObserver::sending_done(uint32_t number) {
  tell_window([number](search::SearchObserver& window) { window.sending_done(number); });
}

void HubSearchObserver::results_changed(uint32_t number) {
  tell_window([number](search::SearchObserver& window) { window.results_changed(number); });
}

void HubSearchObserver::search_stopped(uint32_t number) {
  hub_.post({core::UM_SEARCH_STOPPED, number, 0, nullptr});
  tell_window([number](search::SearchObserver& window) { window.search_stopped(number); });
}

void HubSearchObserver::user_message(const std::string& text) {
  util::LogSystem("%s", text.c_str());
  tell_window([&text](search::SearchObserver& window) { window.user_message(text); });
}

void SearchPart::search_words(const std::string& words) {
  search::SearchRequest request;
  request.keyword = words;
  start(request);
}

void SearchPart::search_text(const util::CLaunchRequest& launch) {
  search::SearchRequest request;
  request.keyword = launch.search_text;
  start(request);
}

void SearchPart::search_hashes(const util::CLaunchRequest& launch) {
  search::SearchRequest request;
  request.keyword = launch.search_text;
  request.hashes = launch.hash_list;
  start(request);
}

search::StartOutcome SearchPart::start(const search::SearchRequest& request) {
  search::StartOutcome outcome = client_.start(request);
  if (!outcome.needs_login) return outcome;
  {
    std::lock_guard guard(lock_);
    waiting_ = request;
  }
  if (ask_for_login_) ask_for_login_();
  return outcome;
}

void SearchPart::login_done() {
  std::optional<search::SearchRequest> request;
  {
    std::lock_guard guard(lock_);
    request.swap(waiting_);
  }
  // Once: a login that still does not let the search start drops it.
  if (request) client_.start(*request);
}

namespace {

search::SearchContext search_context(settings::Settings& settings, mainframe::CMainFrame& hub, const service::ServiceEndpoints& endpoints,
                                     search::SearchObserver& observer) {
  search::SearchContext context;
  context.endpoints = endpoints;
  context.session = &hub.session();
  context.own_server = [&settings] {
    return search::OwnServer{settings.server_usable.load(), settings.external_address.load(), settings.values().share_port};
  };
  context.settings = [&settings] { return stored_search_settings(settings.registry()); };
  context.observer = &observer;
  return context;
}

}  // namespace

SearchSystem::SearchSystem(settings::Settings& settings, mainframe::CMainFrame& hub, core::MessageTarget& loop,
                           const service::ServiceEndpoints& endpoints, std::function<void()> ask_for_login,
                           search::ResultDownloads::Queue queue)
    : observer_(loop),
      client_(search_context(settings, hub, endpoints, observer_)),
      part_(client_, std::move(ask_for_login)),
      result_downloads_(std::move(queue), endpoints.bind_address) {}

}  // namespace dovel::app
