#include "app/hub_browse_links.h"

namespace dovel::app {

bool HubServiceLink::connected() const { return hub_.session().logged_in() && hub_.auth().connected(); }

bool HubServiceLink::reconnect() {
  if (!hub_.session().logged_in()) return false;
  if (!hub_.auth().connected() && !hub_.auth().relogin_silently()) return false;
  // The hub sees the connection up and registers what the outage dropped.
  hub_.reconnect_in_background();
  return connected();
}

}  // namespace dovel::app
