#include "search/result_download.h"

#include "browse/file_hash_query.h"
#include "util/log_files.h"

namespace dovel::search {
namespace {

constexpr int kFileRecord = 1;

void tell_failure(const ResultRow& row) {
  util::LogSystem("'%s'파일의 정보를 가져오는데 실패하였습니다. 잠시후 다시 시도하세요.", row.name.c_str());
}

}  // namespace

download::AddRequest add_request_of(const ResultRow& row, const std::string& hash) {
  download::AddRequest request;
  request.hash = hash;
  request.file_name = row.name;
  request.size = row.size;
  for (const ResultSource& source : row.sources) {
    if (request.sources.size() == download::kMaxSources) break;
    request.sources.push_back({source.server.address, source.server.port, source.responder_id});
  }
  if (!row.sources.empty()) {
    request.peer_id = row.sources.front().responder_id;
    request.listing_attributes = static_cast<int>(row.sources.front().right);
  }
  return request;
}

ResultDownloads::ResultDownloads(Queue queue, platform::Ipv4 bind_address, HashQuery ask) : queue_(std::move(queue)), ask_(std::move(ask)) {
  if (!ask_) {
    ask_ = [bind_address](const ResultRow& row, const ResultSource& source, platform::StopSignal& stop) {
      const browse::FileHashQuery query{source.path, source.name, row.size, source.share_index};
      return browse::query_file_hash(source.server.address, source.server.port, query, browse::kFileHashQueryTimeoutMs, bind_address, &stop);
    };
  }
}

ResultDownloads::~ResultDownloads() {
  stop_.stop();
  worker_.stop();
}

bool ResultDownloads::download(const ResultRow& row) {
  if (!row.hash.empty()) return queue_(add_request_of(row, row.hash));
  if (row.file_type != kFileRecord || row.sources.empty()) return false;
  if (waiting_.fetch_add(1) >= kMaxWaiting) {
    --waiting_;
    tell_failure(row);
    return false;
  }
  worker_.run([this, row] {
    fetch_and_queue(row);
    --waiting_;
  });
  return true;
}

void ResultDownloads::fetch_and_queue(const ResultRow& row) {
  for (size_t i = 0; i < row.sources.size() && i < kMaxAskedSources && !stop_.stopped(); ++i) {
    if (std::optional<std::string> hash = ask_(row, row.sources[i], stop_)) {
      queue_(add_request_of(row, *hash));
      return;
    }
  }
  if (!stop_.stopped()) tell_failure(row);
}

}  // namespace dovel::search
