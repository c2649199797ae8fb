// Result datagrams of a search from any peer (or forwarded by a relay): the
// header and payload readers and the grouping of what they let through. Nothing
// may crash or hang, and no table may grow past its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "search/result_filter.h"
#include "search/result_table.h"
#include "search/search_content_lists.h"
#include "service/frame.h"
#include "wire/result_reader.h"
#include "wire/search_datagram.h"

// The first byte chooses help for the fuzzer: bit 0 sets the right check byte,
// bit 1 scrambles the payload as a responder would.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel;
  if (size < 1 || size > wire::kMaxReceivedDatagram + 1) return 0;
  const uint8_t help = data[0];
  std::string datagram(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((help & 1) != 0 && datagram.size() >= 2) datagram[0] = static_cast<char>(service::search_check_byte(static_cast<uint8_t>(datagram[1])));
  if ((help & 2) != 0 && datagram.size() > wire::kResultHeaderSize) {
    datagram.replace(wire::kResultHeaderSize, std::string::npos, service::scrambled(datagram.substr(wire::kResultHeaderSize)));
  }

  const std::optional<wire::ResultHeader> header = wire::read_result_header(datagram);
  if (!header) return 0;
  const std::optional<wire::ResultPayload> payload = wire::read_result_payload(datagram);
  if (!payload) return 0;
  static const search::PassingSearchContentLists lists;
  const search::ResultRules rules{(help & 4) != 0, (help & 8) != 0, &lists};
  search::ResultTable table;
  const search::FoundAt at{payload->responder_id, {header->responder_address, static_cast<uint16_t>(header->responder_port)}, 1};
  for (const wire::ResultRecord& record : payload->records) {
    if (record.name.empty() || record.size < 0 || (record.hash.empty() && record.share_index < 0)) std::abort();
    if (std::optional<std::string> name = search::shown_name(record, rules)) table.insert(record, *name, at);
  }
  if (table.rows().size() > payload->records.size()) std::abort();
  table.sort({search::SortColumn::FileHash, (help & 16) != 0});
  return 0;
}
