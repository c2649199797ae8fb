#include "wire/result_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/text.h"
#include "service/frame.h"
#include "share/shareable_name.h"
#include "util/file_hash_text.h"
#include "util/little_endian.h"
#include "wire/search_datagram.h"
#include "wire/wire_text.h"

namespace dovel::wire {
namespace {

constexpr char kRecordEnd = '*';
constexpr char kFieldSeparator = '|';
constexpr size_t kFieldsWithHash = 5;
constexpr size_t kFieldsWithPlace = 7;
constexpr uint32_t kMaxPort = 0xFFFF;

std::optional<std::string> file_name_of(std::string_view cp949) {
  std::optional<std::string> name = read_field(cp949);
  if (!name || !share::is_shareable_name(*name) || *name == "." || *name == "..") return std::nullopt;
  return name;
}

std::optional<int> file_type_of(std::string_view text) {
  if (text == "1") return 1;
  if (text == "0") return 0;
  return std::nullopt;
}

// The folder inside the share: backslash-separated, never a path of this machine.
std::optional<std::string> folder_path_of(std::string_view cp949) {
  std::optional<std::string> path = read_plain_field(cp949);
  if (!path || path->find('/') != std::string::npos) return std::nullopt;
  return path;
}

std::optional<settings::ShareIndex> share_index_of(std::string_view text) {
  std::optional<int64_t> index = base::parse_int64(text);
  if (!index || *index < 0 || *index > std::numeric_limits<settings::ShareIndex>::max()) return std::nullopt;
  return static_cast<settings::ShareIndex>(*index);
}

}  // namespace

std::optional<ResultHeader> read_result_header(std::string_view datagram) {
  if (search_datagram_type(datagram) != kResultDatagram || datagram.size() > kMaxResultDatagram) return std::nullopt;
  if (static_cast<uint8_t>(datagram[kResultDestination]) != kSearchWindowDestination) return std::nullopt;
  ResultHeader header;
  std::memcpy(&header.responder_address, datagram.data() + kResultResponderAddress, sizeof header.responder_address);
  header.responder_port = util::read_u32(datagram.data() + kResultResponderPort);
  if (header.responder_address == 0 || header.responder_port == 0 || header.responder_port > kMaxPort) return std::nullopt;
  std::memcpy(header.searcher_key.data(), datagram.data() + kResultSearcherKey, header.searcher_key.size());
  header.search_number = util::read_u32(datagram.data() + kResultSearchNumber);
  header.time_field = util::read_u32(datagram.data() + kResultTimeField);
  header.destination = kSearchWindowDestination;
  return header;
}

std::optional<ResultPayload> read_result_payload(std::string_view datagram) {
  if (datagram.size() < kResultHeaderSize) return std::nullopt;
  const std::string payload = service::scrambled(datagram.substr(kResultHeaderSize));
  const std::vector<std::string> fields = base::split(payload, kRecordEnd);
  ResultPayload result;
  if (fields.front().size() > kQueryUserIdSize) return std::nullopt;
  std::optional<std::string> responder_id = read_plain_field(fields.front());
  if (!responder_id) return std::nullopt;
  result.responder_id = std::move(*responder_id);
  // Every record ends with "*": what follows the last one is a record cut short.
  if (!fields.back().empty() && fields.size() > 1) ++result.dropped_records;
  for (size_t i = 1; i + 1 < fields.size(); ++i) {
    if (std::optional<ResultRecord> record = parse_result_record(fields[i])) {
      result.records.push_back(std::move(*record));
    } else {
      ++result.dropped_records;
    }
  }
  return result;
}

std::optional<ResultRecord> parse_result_record(std::string_view record) {
  const std::vector<std::string> fields = base::split(record, kFieldSeparator);
  if (fields.size() != kFieldsWithHash && fields.size() != kFieldsWithPlace) return std::nullopt;
  const bool with_hash = fields.size() == kFieldsWithHash;
  std::optional<std::string> name = file_name_of(fields[0]);
  std::optional<int64_t> size = base::parse_int64(fields[1]);
  std::optional<int> file_type = file_type_of(fields[3]);
  std::optional<uint32_t> right = base::parse_uint32(fields[4]);
  if (!name || !size || *size < 0 || !file_type || !right) return std::nullopt;
  ResultRecord parsed{std::move(*name), *size, {}, *file_type, *right, {}, -1};
  if (with_hash) {
    std::optional<std::string> hash = util::lower_case_file_hash(fields[2]);
    if (!hash) return std::nullopt;
    parsed.hash = std::move(*hash);
    return parsed;
  }
  if (!fields[2].empty()) return std::nullopt;
  std::optional<std::string> path = folder_path_of(fields[5]);
  std::optional<settings::ShareIndex> index = share_index_of(fields[6]);
  if (!path || !index) return std::nullopt;
  parsed.path = std::move(*path);
  parsed.share_index = *index;
  return parsed;
}

}  // namespace dovel::wire
