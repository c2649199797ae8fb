#pragma once

#include <cstddef>
#include <cstdint>

namespace dovel::server {

// What the search responder answers at most. A query is 96 bytes and its answer
// up to six datagrams of 1 KiB, often to an address nobody can check: these keep
// the responder from being turned on a third host, on the service's relay, or on
// the responder's own line.
struct SearchRateLimits {
  // Queries one source address may have answered: `burst` at once, then `per_second`.
  uint32_t burst = 10;
  uint32_t per_second = 4;
  // Source addresses remembered; a new one pushes out the one heard from longest ago.
  size_t max_sources = 4096;
  // Result datagrams a source's first query gets; once it asks again it gets the
  // full answer. A forged source never asks again.
  size_t first_contact_datagrams = 1;
  // Result bytes per second to all destinations together, and to any one
  // destination address (a relay of the service included); each may save up one
  // second's worth. Below one datagram's size nothing can be sent.
  uint32_t reply_bytes_per_second = 256 * 1024;
  uint32_t destination_bytes_per_second = 32 * 1024;
  // Destination addresses remembered, pushed out as the sources are.
  size_t max_destinations = 4096;
  // List-change notices of both kinds together: `notice_burst` at once, then one
  // per `notice_interval_ms`. Each costs a round trip to the service.
  uint32_t notice_burst = 4;
  uint32_t notice_interval_ms = 15000;
};

}  // namespace dovel::server
