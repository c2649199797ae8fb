#pragma once

#include <array>
#include <cstddef>

#include "core/message.h"

namespace dovel::core {

// A hashing run ended: wparam = its mode, lparam = 1 unless it was cancelled.
inline constexpr MessageId UM_HASH_DONE = 0x0B23;

// The start-up port check ended (closes its waiting note): wparam 1 when the
// share server is usable; payload server::StartupPortCheckOutcome.
inline constexpr MessageId UM_INIT_DONE = 0x4C30;

// To the upload monitor, from the share server's connection threads; the payload
// describes the upload or the peer (see server/upload_monitor.h).
inline constexpr MessageId UM_UPLOAD_STARTED = 0x0955;
inline constexpr MessageId UM_UPLOAD_ENDED = 0x0956;
inline constexpr MessageId UM_PEER_CONNECTED = 0x0960;
inline constexpr MessageId UM_PEER_DISCONNECTED = 0x0961;

// From the service connections to the hub.
inline constexpr MessageId UM_LOGIN_DONE = 0x0808;
// wparam: 0 when the service closed the connection, else the socket error.
inline constexpr MessageId UM_AUTH_CLOSED = 0x0843;
inline constexpr MessageId UM_FILE_INDEX_CLOSED = 0x0844;
inline constexpr MessageId UM_REGISTRATION_CLOSED = 0x3845;
inline constexpr MessageId UM_SERVER_LIST_DONE = 0x5D21;
// The service's pushes on the session (this program's own numbers): a notice and
// a system line (TextPayload, UTF-8), a relayed memo (MemoPayload), the number of
// users online (wparam).
inline constexpr MessageId UM_SERVICE_NOTICE = 0x0870;
inline constexpr MessageId UM_SERVICE_MEMO = 0x0871;
inline constexpr MessageId UM_SERVICE_LINE = 0x0872;
inline constexpr MessageId UM_ONLINE_COUNT = 0x0873;

// The hub's own messages.
inline constexpr MessageId UM_START = 0x0806;
// A second copy handed its request over: wparam = the request kind, TextPayload = the request text.
inline constexpr MessageId UM_HANDOVER = 0x0880;
// A request to carry out, from the launcher channel or the control socket (TextPayload).
inline constexpr MessageId UM_CARRY_OUT_REQUEST = 0x0881;
// The exit command (menu, tray, a stop signal, the control socket).
inline constexpr MessageId UM_EXIT_COMMAND = 0x0882;
// The download manager stopped the last download of an exit; the search stopped.
inline constexpr MessageId UM_DOWNLOADS_STOPPED = 0x0883;
inline constexpr MessageId UM_SEARCH_STOPPED = 0x0884;
// Results of the hub's service work, done on its service worker (payloads in main_frame.h).
inline constexpr MessageId UM_SIGN_IN_DONE = 0x0885;
inline constexpr MessageId UM_REGISTRATION_DONE = 0x0886;  // wparam 1 when registered, lparam the result
inline constexpr MessageId UM_SERVER_LISTS_FETCHED = 0x0887;
inline constexpr MessageId UM_WARNINGS_CHECKED = 0x0888;
inline constexpr MessageId UM_FILE_INDEX_DONE = 0x0889;  // wparam 1 when announced
inline constexpr MessageId UM_USER_LISTS_FETCHED = 0x088A;  // TextPayload with the error, none when fetched
inline constexpr MessageId UM_RELOGIN_DONE = 0x088B;        // wparam 1 when the session is open again
// The service closed the session in order: wparam 1 when another login holds the ID now.
inline constexpr MessageId UM_AUTH_CLOSE_EXAMINED = 0x0898;
// The visibility switch: show (wparam 1) or hide this server in the lists; and
// its answer, wparam the asked visibility, lparam 1 when the service changed it.
inline constexpr MessageId UM_SET_SERVER_VISIBILITY = 0x0899;
inline constexpr MessageId UM_SERVER_VISIBILITY_DONE = 0x089A;
// A part of the program asks for one of the views (wparam = the view).
inline constexpr MessageId UM_SHOW_VIEW = 0x088C;
// A download finished: TextPayload with the notifier's text, wparam 1 for a folder download.
inline constexpr MessageId UM_DOWNLOAD_FINISHED = 0x088D;
// From the point thread, the downloads, the notifier and the browse sessions.
inline constexpr MessageId UM_POINT_BALANCE = 0x0C36;
inline constexpr MessageId UM_POINT_SHORTAGE = 0x28C32;
inline constexpr MessageId UM_NOTIFIER_CLICK = 0x047B;
inline constexpr MessageId UM_FILE_INFO_REPLY = 0x8B32;  // TextPayload
inline constexpr MessageId UM_FILE_LINK_REPLY = 0x8B33;  // TextPayload

// To the download list: the run of an item ended (lparam = its status code).
inline constexpr MessageId UM_DOWNLOAD_STATUS = 0x0603;

// Thread messages of message-driven workers.
inline constexpr MessageId TM_CONTROL_HASH_REQUEST = 1929;  // a control session's hash worker
inline constexpr MessageId TM_CONNECT_REQUEST = 0x0523;     // the share server's connect worker

// The subtitle upload thread's message: a finished download's path (TextPayload).
inline constexpr MessageId TM_SUBTITLE_UPLOAD = 34677;

// Timers. Every timer that runs on the hub's loop has its id here, the hub's own
// and those of the windows that share its loop, so that no two can ever collide.
inline constexpr TimerId kListFetchTimer = 79;
inline constexpr TimerId kKeepAliveTimer = 100;
inline constexpr TimerId kStatusTimer = 200;
inline constexpr TimerId kThrottleTimer = 300;
inline constexpr TimerId kReloginTimer = 400;
inline constexpr TimerId kWarningTimer = 500;
inline constexpr TimerId kBalanceTimer = 600;
inline constexpr TimerId kRegistrationRefreshTimer = 700;
inline constexpr TimerId kServerButtonTimer = 800;
inline constexpr TimerId kExitWaitTimer = 900;  // once, while the downloads stop for the exit

inline constexpr std::array kLoopTimers = {kListFetchTimer, kKeepAliveTimer, kStatusTimer, kThrottleTimer,
                                           kReloginTimer, kWarningTimer, kBalanceTimer, kRegistrationRefreshTimer,
                                           kServerButtonTimer, kExitWaitTimer};

static_assert(
    [] {
      for (size_t i = 0; i < kLoopTimers.size(); ++i) {
        for (size_t j = i + 1; j < kLoopTimers.size(); ++j) {
          if (kLoopTimers[i] == kLoopTimers[j]) return false;
        }
      }
      return true;
    }(),
    "two timers on one loop share an id");

}  // namespace dovel::core
