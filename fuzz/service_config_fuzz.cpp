// service.conf is a file the user writes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/endpoints.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::service;
  ServiceConfigLoad load = parse_service_config(std::string_view(reinterpret_cast<const char*>(data), size));
  ServiceConfigLoad again = parse_service_config(load.config.format());
  if (!again.problems.empty() || again.config.format() != load.config.format()) __builtin_trap();
  return 0;
}
