#pragma once

#include "browse/address_resolver.h"
#include "browse/browse_context.h"
#include "mainframe/main_frame.h"

namespace dovel::app {

// The service connection as browsing and downloading check it: up while the
// user is logged in and the authentication connection is open; the one
// attempt to restore it is the hub's silent login, after which the hub
// registers the share server again as it does after its relogin timer.
class HubServiceLink final : public browse::ServiceLink {
 public:
  explicit HubServiceLink(mainframe::CMainFrame& hub) : hub_(hub) {}
  bool connected() const override;
  bool reconnect() override;
  void reconnect_later() override { hub_.reconnect_in_background(); }

 private:
  mainframe::CMainFrame& hub_;
};

// The hub's server lists as the browser's first place to look a user up.
class HubOnlineServers final : public browse::OnlineServers {
 public:
  explicit HubOnlineServers(const mainframe::CMainFrame& hub) : hub_(hub) {}
  std::optional<service::ServerAddress> find_user(std::string_view user_id) const override {
    return hub_.online_servers().find_user(user_id);
  }

 private:
  const mainframe::CMainFrame& hub_;
};

}  // namespace dovel::app
