#include "search/search_client.h"

#include <cstdlib>

#include "util/current_user.h"

namespace dovel::search {
namespace {

constexpr size_t kRelays = 2;

uint32_t library_random() { return static_cast<uint32_t>(std::rand()); }

bool is_logged_in(const service::ServiceSession* session, const service::SessionRecord& record) {
  return session != nullptr && session->logged_in() && !record.identity.user_id.empty() && record.identity.user_id != util::kGuestUserId;
}

}  // namespace

SearchClient::SearchClient(SearchContext context)
    : context_(std::move(context)),
      observer_(context_.observer != nullptr ? *context_.observer : quiet_),
      peer_lists_(*context_.clock, context_.random ? context_.random : library_random) {
  if (!context_.random) context_.random = library_random;
  if (context_.lists == nullptr) context_.lists = &passing_lists_;
}

SearchClient::~SearchClient() { stop(); }

StartOutcome SearchClient::start(const SearchRequest& request) {
  std::lock_guard control(control_lock_);
  const service::SessionRecord session = context_.session != nullptr ? context_.session->record() : service::SessionRecord{};
  if (!is_logged_in(context_.session, session)) return {std::nullopt, {}, true};
  PreparedQuery prepared =
      prepare_query(request, {session.transfer_flag != 0, session.privilege_a != 0}, *context_.lists);
  if (!prepared.ready()) {
    observer_.user_message(prepared.refusal);
    return {std::nullopt, prepared.refusal, false};
  }

  // The search in progress ends first; its results stay in its tab.
  std::unique_ptr<SearchRun> previous;
  {
    std::lock_guard guard(run_lock_);
    previous = std::move(run_);
  }
  if (previous) previous->stop();
  previous.reset();

  const SearchSettings settings = context_.settings ? context_.settings() : SearchSettings{};
  RunPlan plan;
  plan.number = next_number();
  plan.query_text = prepared.text.value_or(std::string());
  plan.hashes = std::move(prepared.hashes);
  plan.own = context_.own_server ? context_.own_server() : OwnServer{};
  plan.user_id = session.identity.user_id;
  plan.rules = {session.is_adult != 0, session.transfer_flag != 0, context_.lists};
  plan.send_delay_ms = send_delay_ms(settings.send_delay_index);
  plan.auto_sort = auto_sort_column(settings.auto_sort_index);
  plan.relay_index = context_.random() % kRelays;
  const uint32_t number = plan.number;
  tabs_.open(number);

  auto run = std::make_unique<SearchRun>(std::move(plan), RunParts{&context_.endpoints, context_.clock, &peer_lists_, &tabs_, &observer_});
  SearchRun* started = run.get();
  {
    std::lock_guard guard(run_lock_);
    run_ = std::move(run);
  }
  observer_.search_started(number);
  // Only start and stop replace or end the run, and they wait for this lock.
  started->launch();
  return {number, {}, false};
}

void SearchClient::stop() {
  std::lock_guard control(control_lock_);
  if (SearchRun* run = current_run()) run->stop();
}

bool SearchClient::running() const {
  const SearchState state = progress().state;
  return state == SearchState::FetchingLists || state == SearchState::Sending || state == SearchState::SendingDone;
}

SearchProgress SearchClient::progress() const {
  std::lock_guard guard(run_lock_);
  return run_ ? run_->progress() : SearchProgress{};
}

std::optional<ResultSnapshot> SearchClient::results(std::optional<uint32_t> number) const {
  if (!number) number = tabs_.latest();
  if (!number) return std::nullopt;
  return tabs_.snapshot(*number);
}

std::optional<SortOrder> SearchClient::sort_latest(SortColumn column) {
  const std::optional<uint32_t> latest = tabs_.latest();
  if (!latest) return std::nullopt;
  return tabs_.click(*latest, column);
}

void SearchClient::clear_latest() {
  if (const std::optional<uint32_t> latest = tabs_.latest()) tabs_.clear(*latest);
}

void SearchClient::search_result_received(std::string datagram, service::Endpoint) {
  const platform::Tick arrival = context_.clock->tick();
  std::lock_guard guard(run_lock_);
  if (run_) run_->take_result(std::move(datagram), arrival);
}

// The tick when the search starts; never the number of the search before, so
// that its late results cannot pass for the new one's.
uint32_t SearchClient::next_number() {
  uint32_t number = context_.clock->tick();
  if (last_number_ && number == *last_number_) ++number;
  last_number_ = number;
  return number;
}

SearchRun* SearchClient::current_run() const {
  std::lock_guard guard(run_lock_);
  return run_.get();
}

}  // namespace dovel::search
