#include "util/links.h"

#include "util/letter_pair.h"

namespace dovel::util {
namespace {

constexpr std::string_view kFilePrefix = "dovel://file/";
constexpr std::string_view kServerPrefix = "dovel://server_e/";

std::string file_part(std::string_view name, std::string_view hash, std::string_view size) {
  std::string part(name);
  part += ':';
  part += hash;
  part += ':';
  part += size;
  return part;
}

}  // namespace

std::string FileLink(std::string_view name, std::string_view hash, int64_t size) {
  return std::string(kFilePrefix) + file_part(name, hash, std::to_string(size));
}

std::string FileLinkFromSizeText(std::string_view name, std::string_view hash, std::string_view size_text) {
  std::string size;
  for (char c : size_text) {
    if (c != ',') size += c;
  }
  return std::string(kFilePrefix) + file_part(name, hash, size);
}

std::string FileLinkWithSource(std::string_view source, std::string_view name, std::string_view hash, std::string_view size_text) {
  return std::string(kFilePrefix) + std::string(source) + "/" + file_part(name, hash, size_text);
}

std::string ServerLink(platform::Ipv4 address, uint16_t port) {
  return std::string(kServerPrefix) + Encode(platform::format_ipv4(address)) + ":" + Encode(std::to_string(port));
}

std::string ServerLinkForUser(std::string_view user_id) { return std::string(kServerPrefix) + EncodeWire(user_id); }

}  // namespace dovel::util
