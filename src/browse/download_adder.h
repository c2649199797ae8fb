#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "download/download_item.h"

namespace dovel::browse {

// A file the browse session asks to queue, after the server told its FileHash.
struct DownloadRequest {
  std::string hash;                  // as the server sent it: 32 hexadecimal digits
  std::string file_name;             // local text, as the server named it (not yet checked as a path)
  int64_t size = 0;
  std::vector<download::Source> sources;  // the browsed server
  uint32_t listing_attributes = 0;   // ShareFlags of the folder it was listed in
  std::string folder_password;       // the browse window's remembered password
  std::string sub_folder;            // below the download folder; empty = none
  bool switch_to_download_tab = false;
};

// Where queued files go: the download manager.
class DownloadAdder {
 public:
  virtual ~DownloadAdder() = default;
  // True when the file is queued, re-queued or already in the queue; false
  // when it cannot be (the browse session then ends, as the server's answer
  // could not be used). Called on a browse session's thread.
  virtual bool add(const DownloadRequest& request) = 0;
};

}  // namespace dovel::browse
