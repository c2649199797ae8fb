#include "app/download_system.h"

#include <random>

#include "app/completion_hold.h"
#include "core/message_ids.h"
#include "download/connect_worker.h"
#include "mainframe/hub_front.h"
#include "service/paid_content_queries.h"
#include "service/point_queries.h"
#include "service/server_directory.h"
#include "settings/settings_registry.h"
#include "util/log_files.h"

namespace dovel::app {

std::optional<int> ServicePaidContent::paid_state(const service::SessionIdentity& identity, const std::string& hash) {
  std::optional<service::PaidState> state = service::query_paid_state(endpoints_, identity.auth_token_a, identity.auth_token_b, hash);
  if (!state) return std::nullopt;
  return state->answer.status;
}

int ServicePaidContent::check_allowance(int64_t megabytes) {
  return service::check_allowance(endpoints_, session_.identity().auth_token_b, megabytes).result;
}

bool ServicePaidContent::stop_for_false_reports(const std::string& hash) {
  if (!registry_.read(settings::kAutoStopReported)) return false;
  return service::count_false_reports(endpoints_, hash) > 0;
}

namespace {

download::TransferContext transfer_context(download::DownloadSettings& settings, db::InfoDatabase& info, mainframe::CMainFrame& hub,
                                           core::MessageTarget& loop, const service::ServiceEndpoints& endpoints,
                                           share::ArchiveChecker& archive, download::ContentFilter& filter,
                                           ServicePaidContent& paid, download::PeerLocator& locator) {
  download::TransferContext context;
  context.settings = &settings;
  context.session = &hub.session();
  context.info = &info;
  context.meter = &hub.meter();
  context.endpoints = endpoints;
  context.connect_worker = &hub.local_server().connect_worker();
  context.archive = &archive;
  context.filter = &filter;
  context.paid = &paid;
  context.false_reports = &paid;
  context.locator = &locator;
  context.hooks.notify_finished = [&loop](const std::string& text) {
    loop.post({core::UM_DOWNLOAD_FINISHED, 0, 0, std::make_unique<core::TextPayload>(text)});
  };
  context.hooks.queue_subtitle_upload = [&hub](const std::filesystem::path& path) { hub.QueueSubtitleUpload(path.string()); };
  context.hooks.point_shortage = [&loop] { loop.post({core::UM_POINT_SHORTAGE, 0, 0, nullptr}); };
  context.hooks.show_download_tab = [&loop] { loop.post({core::UM_SHOW_VIEW, mainframe::kViewTransfers, 0, nullptr}); };
  context.hooks.completion_step = completion_hold_from_environment();
  return context;
}

// The first of the three address look-up servers to ask.
int random_lookup_server() { return static_cast<int>(std::random_device{}() % 3); }

browse::BrowseContext browse_context(browse::BrowseSettings& settings, mainframe::CMainFrame& hub, core::MessageTarget& loop,
                                     const service::ServiceEndpoints& endpoints, browse::DownloadAdder& adder,
                                     browse::ServiceLink& service_link, const browse::OnlineServers& online_servers,
                                     const BrowseFrontParts& front) {
  browse::BrowseContext context;
  context.settings = &settings;
  context.session = &hub.session();
  context.endpoints = endpoints;
  context.service_link = &service_link;
  context.online_servers = &online_servers;
  context.random = random_lookup_server;
  context.downloads = &adder;
  context.scratch = &hub.scratch_store();
  context.hub = &loop;
  context.own_server_address = endpoints.bind_address;
  context.front = front.front;
  context.profile = front.profile;
  return context;
}

}  // namespace

DownloadSystem::DownloadSystem(settings::Settings& settings, db::InfoDatabase& info, mainframe::CMainFrame& hub, core::MessageTarget& loop,
                               const service::ServiceEndpoints& endpoints, BrowseFrontParts browse_front)
    : hub_(hub),
      download_settings_(settings),
      browse_settings_(settings, settings.registry()),
      paid_(endpoints, hub.session(), settings.registry()),
      locator_(endpoints),
      runner_(transfer_context(download_settings_, info, hub, loop, endpoints, archive_, filter_, paid_, locator_),
              [this](const std::shared_ptr<download::DownloadItem>& item) { manager_.run_ended(item); }),
      queue_host_(settings, hub, loop),
      manager_(info, runner_, queue_host_, platform::system_clock()),
      adder_(manager_),
      service_link_(hub),
      online_servers_(hub),
      browser_(browse_context(browse_settings_, hub, loop, endpoints, adder_, service_link_, online_servers_, browse_front)),
      downloads_part_(manager_, loop,
                      [this, endpoints](const std::string& user_id) {
                        if (auto listed = online_servers_.find_user(user_id)) return listed;
                        // The look-up servers are asked from a random one on, as every look-up does.
                        return service::lookup_address(endpoints, user_id, random_lookup_server());
                      }),
      remote_part_(browser_) {
  hub_.local_server().set_connect_handler([](core::Message& message) { download::handle_connect_request(message); });
}

DownloadSystem::~DownloadSystem() { shut_down(); }

void DownloadSystem::shut_down() {
  if (shut_down_) return;
  shut_down_ = true;
  browser_.stop_session();
  manager_.shut_down();
  hub_.local_server().set_connect_handler({});
}

}  // namespace dovel::app
