#pragma once

#include <functional>

#include "browse/address_resolver.h"
#include "browse/browse_settings.h"
#include "browse/browser_front.h"
#include "browse/content_lists.h"
#include "browse/download_adder.h"
#include "browse/session_events.h"
#include "core/message.h"
#include "platform/clock.h"
#include "platform/profile_ini.h"
#include "service/endpoints.h"
#include "service/service_session.h"
#include "util/scratch_store.h"

namespace dovel::browse {

// The connection to the service's authentication server as browsing needs it.
class ServiceLink {
 public:
  virtual ~ServiceLink() = default;
  virtual bool connected() const = 0;
  // One attempt to log in again; may block for seconds (a session's thread).
  virtual bool reconnect() = 0;
  // The same attempt, made in the background (the window's thread, which
  // must not wait for it).
  virtual void reconnect_later() = 0;
};

// What the remote browser needs from the rest of the program. Every pointer
// outlives the browser; optional ones may be null.
struct BrowseContext {
  BrowseSettings* settings = nullptr;         // optional: own port and address, own share password, the window's values
  service::ServiceSession* session = nullptr; // the user's identity and privileges
  service::ServiceEndpoints endpoints;        // web host, bind address, address look-up servers
  ServiceLink* service_link = nullptr;        // optional: taken as connected
  const OnlineServers* online_servers = nullptr;  // optional
  AddressLookup lookup;                       // empty: the service's look-up servers from `endpoints`
  std::function<int()> random;                // picks the first look-up server; empty: always the first
  DownloadAdder* downloads = nullptr;         // optional: files cannot be queued without it
  util::ScratchStore* scratch = nullptr;      // optional: the browser keeps its own
  core::MessageTarget* hub = nullptr;    // optional: file information and link replies
  FolderListSink* folder_lists = nullptr;     // optional
  const ContentLists* content_lists = nullptr;  // optional: everything passes
  BrowserFront* front = nullptr;              // optional: headless
  platform::ProfileIni* profile = nullptr;    // optional: the sort choice
  const platform::Clock* clock = &platform::system_clock();
  // Where this program's own share server listens (0: 127.0.0.1).
  platform::Ipv4 own_server_address = 0;
};

}  // namespace dovel::browse
