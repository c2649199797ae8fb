#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "core/task_worker.h"
#include "download/add_request.h"
#include "platform/socket.h"
#include "platform/stop_signal.h"
#include "search/result_rows.h"

namespace dovel::search {

// The download list's form of a search result: its servers in the order the
// result lists them, `hash` as its FileHash.
download::AddRequest add_request_of(const ResultRow& row, const std::string& hash);

// Queues search results for download. A row with its FileHash goes to the
// list at once. A file listed without one is queued once one of its servers
// has told the hash over its side channel: on a worker of this object's own,
// the servers asked one after another within a time-out each. When none tells
// it, the user reads "'%s'파일의 정보를 가져오는데 실패하였습니다. 잠시후 다시 시도하세요.".
class ResultDownloads {
 public:
  using Queue = std::function<bool(const download::AddRequest& request)>;
  // Asks one server for a row's FileHash (may block up to its time-out).
  using HashQuery = std::function<std::optional<std::string>(const ResultRow& row, const ResultSource& source, platform::StopSignal& stop)>;

  // The most rows that wait for their hash at once, and the most servers asked for one.
  static constexpr int kMaxWaiting = 32;
  static constexpr size_t kMaxAskedSources = 3;

  // `ask` empty: the servers' side channels, leaving from `bind_address`.
  ResultDownloads(Queue queue, platform::Ipv4 bind_address, HashQuery ask = {});
  // Ends the question under way and drops the waiting rows.
  ~ResultDownloads();
  ResultDownloads(const ResultDownloads&) = delete;
  ResultDownloads& operator=(const ResultDownloads&) = delete;

  // True when the row's file was queued, or its hash is being asked for; false
  // for a folder, a row without servers, or when the list refused the file.
  bool download(const ResultRow& row);

 private:
  void fetch_and_queue(const ResultRow& row);

  Queue queue_;
  HashQuery ask_;
  platform::StopSignal stop_;
  std::atomic<int> waiting_{0};
  core::TaskWorker worker_;  // last: it stops before the rest goes
};

}  // namespace dovel::search
