#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browse/browser_front.h"
#include "browse/listing_row.h"
#include "browse/peer_pages.h"

namespace dovel::browse {

// The browse window's content at one moment, for a front to draw or the
// headless program to answer with.
struct BrowserSnapshot {
  bool session_running = false;  // a session exists and has not ended
  bool connected = false;
  bool own_server = false;
  std::string current_path;      // "" at the server's top level
  std::string relative_path;
  std::vector<ListingRow> rows;  // in list order
  uint64_t listings = 0;         // listings shown so far
  std::string speed_line;        // the server's status lines
  std::string transfers_line;
  std::string peer_id;
  std::string peer_label;
  int peer_level = 0;
  std::string title;             // the window's title label
  std::string home_page_url;
  PeerIntro intro;
  bool upload_paused = false;
  bool folder_download_supported = false;
  int server_version = 0;
  bool file_link_enabled = false;
  int origin = kNoOrigin;
  int share_index = -1;
  std::string up_text;           // "상위폴더" or "이전 탭"
  bool up_enabled = false;
  int sort_column = 0;
  bool sort_ascending = true;
  bool move_to_download_tab = false;
  std::vector<std::string> messages;  // this browser's latest system messages, oldest first
  std::vector<std::string> history;   // explored IDs, newest first, then "-모두삭제-"
};

}  // namespace dovel::browse
