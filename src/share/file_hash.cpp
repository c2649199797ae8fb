#include "share/file_hash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/cp949.h"
#include "platform/safe_path.h"
#include "util/little_endian.h"
#include "util/md5.h"

namespace dovel::share {
namespace {

// One read as the whole-block read of the original expects it: as many bytes as
// asked for unless the file ends first.
ssize_t read_block(SampleSource& source, uint64_t offset, uint8_t* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    ssize_t got = source.read_at(offset + total, buffer + total, size - total);
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(total);
}

}  // namespace

std::optional<uint64_t> FileSampleSource::length() {
  struct stat status {};
  if (::fstat(fd_, &status) != 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

ssize_t FileSampleSource::read_at(uint64_t offset, void* buffer, size_t size) {
  while (true) {
    ssize_t got = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

std::optional<FileHash> sampled_md5(SampleSource& source) {
  auto first_length = source.length();
  if (!first_length) return std::nullopt;
  const uint64_t length0 = *first_length;
  const bool sampled = length0 > kWholeReadLimit;
  const size_t block = sampled ? kSampleBlock : static_cast<size_t>(length0);
  const uint64_t gap = sampled ? length0 / 10 : length0;

  util::Md5 md5;
  std::vector<uint8_t> buffer(std::max<size_t>(block, kTailBytes));
  uint64_t position = 0;
  while (true) {
    ssize_t got = read_block(source, position, buffer.data(), block);
    if (got <= 0) break;
    md5.update(buffer.data(), static_cast<size_t>(got));
    if (static_cast<size_t>(got) < block) {
      position += static_cast<uint64_t>(got);
      break;
    }
    position += static_cast<uint64_t>(got) + gap;
  }

  auto second_length = source.length();
  if (!second_length) return std::nullopt;
  const uint64_t length1 = *second_length;
  if (length1 > kTailReadThreshold) {
    ssize_t got = read_block(source, length1 - kTailBytes, buffer.data(), kTailBytes);
    if (got < 0) return std::nullopt;
    md5.update(buffer.data(), static_cast<size_t>(got));
  }
  std::string length_bytes;
  util::append_u64(length_bytes, length1);
  md5.update(length_bytes);
  uint8_t probe[kProbeBytes];
  ssize_t probed = read_block(source, kProbeOffset, probe, kProbeBytes);
  if (probed > 0) md5.update(probe, static_cast<size_t>(probed));

  if (position < length1) return std::nullopt;
  return md5.hex_digest();
}

std::optional<FileHash> sampled_md5_of_file(const std::filesystem::path& path) {
  int fd = platform::open_regular_file(path, O_RDONLY);
  if (fd < 0) return std::nullopt;
  FileSampleSource source(fd);
  auto hash = sampled_md5(source);
  ::close(fd);
  return hash;
}

std::optional<FileHash> folder_hash(std::string_view walk_path, std::string_view name, settings::ShareIndex share_index) {
  auto walk = platform::utf8_to_cp949(walk_path);
  auto folder = platform::utf8_to_cp949(name);
  if (!walk || !folder) return std::nullopt;
  util::Md5 md5;
  md5.update(*walk);
  md5.update(*folder);
  uint8_t index_byte = static_cast<uint8_t>(share_index + 1);
  md5.update(&index_byte, 1);
  return md5.hex_digest();
}

}  // namespace dovel::share
