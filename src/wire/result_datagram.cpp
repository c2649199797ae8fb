#include "wire/result_datagram.h"

#include <cinttypes>
#include <utility>

#include "base/string_printf.h"
#include "service/frame.h"
#include "util/little_endian.h"
#include "wire/search_datagram.h"
#include "wire/wire_text.h"

namespace dovel::wire {
namespace {

constexpr char kRecordEnd = '*';
// A record's texts must not hold the bytes that split it.
constexpr std::string_view kRecordSeparators = "|*";
constexpr size_t kMaxPayload = kMaxResultDatagram - kResultHeaderSize;

}  // namespace

std::optional<std::string> format_result_record(const ResultRow& row) {
  const bool with_extension = row.file_type == 1 && !row.extension.empty();
  const std::optional<std::string> name = field(with_extension ? row.name + "." + row.extension : row.name, kRecordSeparators);
  const std::optional<std::string> hash = field(row.hash, kRecordSeparators);
  if (!name || !hash) return std::nullopt;
  std::string record = base::string_printf("%s|%" PRId64 "|%s|%d|%d", name->c_str(), row.size, hash->c_str(), row.file_type, static_cast<int>(row.right));
  if (!row.hash.empty()) return record;
  const std::optional<std::string> path = field(row.path, kRecordSeparators);
  if (!path) return std::nullopt;
  return record + base::string_printf("|%s|%d", path->c_str(), row.shared_index);
}

ResultPager::ResultPager(std::string_view responder_id, size_t full_payloads)
    : prefix_(std::string(responder_id) + kRecordEnd), full_payloads_(full_payloads), open_(prefix_) {}

bool ResultPager::add(std::string_view record) {
  if (done_) return false;
  const size_t needed = record.size() + 1;
  if (prefix_.size() + needed > kMaxPayload) return true;
  if (open_.size() + needed > kMaxPayload) {
    closed_.push_back(std::exchange(open_, prefix_));
    done_ = closed_.size() >= full_payloads_;
  }
  open_.append(record).push_back(kRecordEnd);
  return !done_;
}

std::vector<std::string> ResultPager::finish() {
  if (open_.size() > prefix_.size()) closed_.push_back(std::exchange(open_, prefix_));
  return std::move(closed_);
}

std::string build_result_datagram(const ResultHeader& header, std::string_view payload) {
  std::string datagram;
  datagram.reserve(kResultHeaderSize + payload.size());
  datagram.push_back(static_cast<char>(service::search_check_byte(kResultDatagram)));
  datagram.push_back(static_cast<char>(kResultDatagram));
  datagram.append(reinterpret_cast<const char*>(&header.responder_address), sizeof header.responder_address);
  util::append_u32(datagram, header.responder_port);
  datagram.append(reinterpret_cast<const char*>(header.searcher_key.data()), header.searcher_key.size());
  util::append_u32(datagram, header.search_number);
  util::append_u32(datagram, header.time_field);
  datagram.push_back(static_cast<char>(header.destination));
  datagram += service::scrambled(payload);
  return datagram;
}

}  // namespace dovel::wire
