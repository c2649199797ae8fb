#include "ui/app/desktop_core.h"

#include "app/dovel_app.h"
#include "core/message_ids.h"
#include "service/stored_login.h"
#include "ui/controls/open_browser.h"

namespace dovel::ui {

WindowCore make_window_core(app::CDovelApp& application, mainframe::StatusLog& status_log, core::MessageLoop& loop) {
  mainframe::CMainFrame& hub = application.main_frame();
  WindowCore core;
  core.hub_status = [&hub] { return hub.status(); };
  core.status_log = &status_log;
  core.log_out = [&hub] { hub.log_out(); };
  core.start_share_server = [&hub] { hub.start_share_server_by_hand(); };
  core.set_server_visibility = [&hub](bool shown) { hub.set_server_visibility(shown); };
  core.request_exit = [&loop] { loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr}); };
  settings::Settings& settings = application.settings();
  core.auto_login = [&settings] { return service::read_stored_login(settings.registry().reader()).auto_login; };
  core.set_auto_login = [&settings](bool on) {
    settings.registry().edit([on](settings::SettingsRegistry::Writer& writer) { service::set_auto_login(writer, on); });
  };
  core.download_folder = [&settings] { return settings.values().down_path; };
  core.notify_window_on = [&settings] { return settings.values().use_notify_window; };
  core.open_web_page = [web_base = application.endpoints().web_base](const std::string& page) {
    OpenBrowser(web_base + page);
  };
  return core;
}

}  // namespace dovel::ui
