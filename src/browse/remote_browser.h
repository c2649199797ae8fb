#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "browse/address_history.h"
#include "browse/address_resolver.h"
#include "browse/browse_context.h"
#include "browse/browser_snapshot.h"
#include "browse/client_control_session.h"
#include "browse/listing.h"

namespace dovel::browse {

// How a browse session is asked for (every explore command of the program).
struct SessionRequest {
  platform::Ipv4 address = 0;  // 0 with a peer ID: resolved from the ID first
  uint16_t port = 0;
  std::string focus_file;
  std::string peer_id;         // may be in the letter-pair encoding
  std::string start_path;
  int share_index = -1;
  bool skip_service_checks = false;  // only for the user's own server
  int origin = kNoOrigin;
};

enum class StartOutcome {
  Started,      // a new session runs (it reports its own failures)
  AlreadyOpen,  // the same user was explored within 30 s and is still open: nothing changed
  Refused,      // nothing started (the reason was told)
};

// Counters to wait on: what had happened when a command was sent.
struct ListingMark {
  uint64_t listings = 0;
  uint64_t refusals = 0;
  uint64_t ends = 0;
};

enum class ListingWait { Listing, Refused, Ended, TimedOut };

struct OpenOptions {
  bool explore_command = false;         // "탐색": files are not downloaded, passwords never asked
  std::optional<std::string> password;  // given with the command: used instead of asking
};

// The core of the remote-browsing window: owns at most one control session,
// turns its listings into rows, and sends the user's requests (change folder,
// download, file information, file link, folder download) over it. Every
// public method may be called from any thread (never from inside the
// browser's own callbacks); the session's replies arrive on its thread.
class RemoteBrowser {
 public:
  static constexpr platform::Tick kIdleMs = 300000;
  static constexpr size_t kKeptMessages = 50;

  explicit RemoteBrowser(BrowseContext context);
  // Stops the session and stores the history.
  ~RemoteBrowser();
  RemoteBrowser(const RemoteBrowser&) = delete;
  RemoteBrowser& operator=(const RemoteBrowser&) = delete;

  // Stops the current session, empties the window and starts a new session.
  // Neither this nor stop_session waits for the old session's thread.
  StartOutcome start_session(const SessionRequest& request);
  // By user ID: the address is resolved on the session's thread.
  StartOutcome explore_user(const std::string& user_id, int origin = kNoOrigin);
  StartOutcome explore_address(platform::Ipv4 address, uint16_t port, int origin = kNoOrigin);
  // The last request again.
  StartOutcome reconnect();
  void stop_session();

  // Opens a row of the listing by its name (the up row is ".."): a file is
  // queued, a folder or share is entered (a protected share asks for its
  // password at the top level), ".." at the top level goes back to the origin
  // tab. False when nothing was sent.
  bool open_entry(const std::string& name, const OpenOptions& options = {});
  // "C" with a whole path (a leading backslash starts from the server's top).
  bool change_folder(const std::string& path);
  // Asks the server for the FileHash of each named file of the current folder;
  // its answers queue them. The number of requests sent.
  size_t request_downloads(const std::vector<std::string>& names, const std::string& sub_folder = {});
  bool request_file_info(const std::string& name);
  bool request_file_link(const std::string& name);
  // A folder of the current folder by name, or the current folder when empty.
  bool request_folder_download(const std::string& folder_name = {});

  // The sort box: column index (0 name, 1 size, 2 time, 3 attributes).
  void set_sort(int column_index, bool ascending = true);
  void set_move_to_download_tab(bool move);
  void set_folder_password(const std::string& password);

  // Restarts the 5-minute idle timer (every user action does).
  void touch();
  // The idle timer's tick, called by the owner now and then: after 5 minutes
  // without a user action the session is stopped.
  void check_idle();

  AddressHistory& history() { return history_; }
  bool save_history();

  BrowserSnapshot snapshot() const;
  // Called whenever the snapshot changed, from whichever thread changed it and
  // with the browser's state locked: it may only hand the news on (post), never
  // call back into the browser.
  void set_change_listener(std::function<void()> listener);
  ListingMark mark() const;
  // Waits until a listing arrived, the folder request was refused or the
  // session ended, after `since`.
  ListingWait wait_for_listing(const ListingMark& since, std::chrono::milliseconds timeout) const;

 private:
  class Relay;
  friend class Relay;

  struct Active {
    std::unique_ptr<Relay> relay;
    std::unique_ptr<ClientControlSession> session;
    std::string requested_id;  // the peer ID the session was asked for
  };

  // Session events, on the session's thread; those of a replaced session are dropped.
  bool prepare(uint64_t generation, SessionTarget& target, bool skip_service_checks, platform::StopSignal& stop);
  void on_started(uint64_t generation);
  void on_connected(uint64_t generation, const ClientControlSession& session);
  void on_listing(uint64_t generation, const ClientControlSession& session, std::string_view wire_body);
  void on_status(uint64_t generation, const ClientControlSession& session, const ServerStatusLines& lines);
  void on_identity(uint64_t generation, const ClientControlSession& session, const PeerIdentity& identity);
  void on_intro(uint64_t generation, const PeerIntroReply& intro);
  void on_message(uint64_t generation, const std::string& text);
  void on_password_refused(uint64_t generation);
  void on_access_refused(uint64_t generation);
  bool on_file_hash(uint64_t generation, const ClientControlSession& session, const FileHashReply& reply);
  void on_ended(uint64_t generation);
  // The session is over as far as the view goes: emptied, the end counted.
  void end_view_locked();
  // The session's flags as the view shows them.
  void copy_session_flags_locked(const ClientControlSession& session);

  void say(const std::string& text);
  void say_locked(const std::string& text);
  void tell_no_server(const std::string& user_id);
  void reset_view_locked();
  bool current_generation(uint64_t generation) const { return generation == generation_; }
  bool is_privileged() const;
  // The session under session_lock_, or null.
  ClientControlSession* session_locked() const { return active_.session.get(); }
  size_t send_locked(const std::string& payload);
  std::optional<ListingRow> find_row(const std::string& name) const;
  void stop_locked();
  // The snapshot changed: wakes the waiters and tells the listener.
  void changed_locked();

  BrowseContext context_;
  util::ScratchStore own_scratch_;
  util::ScratchStore& scratch_;
  AddressResolver resolver_;
  AddressHistory history_;
  const PassingContentLists pass_everything_;

  // Lock order: session_lock_, then state_lock_. Sessions call back with
  // state_lock_ only, so a session is stopped and joined without state_lock_.
  mutable std::mutex session_lock_;
  Active active_;
  // Stopped sessions whose threads may still wind down (joined once ended).
  std::vector<Active> retired_;
  SessionRequest last_request_;

  mutable std::mutex state_lock_;
  mutable std::condition_variable changed_;
  uint64_t generation_ = 0;
  BrowserSnapshot view_;
  std::deque<std::string> messages_;
  std::string folder_password_;
  uint32_t listing_attributes_ = 0;
  ListingMark counters_;
  bool idle_armed_ = false;
  platform::Tick last_action_ = 0;

  // Taken after state_lock_.
  std::mutex listener_lock_;
  std::function<void()> listener_;
};

}  // namespace dovel::browse
