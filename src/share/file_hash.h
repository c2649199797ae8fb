#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/shared_folder.h"

namespace dovel::share {

// 32 lower-case hex digits: the identity of a file on the network.
using FileHash = std::string;

// What sampled_md5 reads from: the file's current length and positioned reads.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  virtual std::optional<uint64_t> length() = 0;
  // Up to `size` bytes at `offset`; fewer only at the end of the file; -1 on error.
  virtual ssize_t read_at(uint64_t offset, void* buffer, size_t size) = 0;
};

// An open regular file.
class FileSampleSource final : public SampleSource {
 public:
  explicit FileSampleSource(int fd) : fd_(fd) {}
  std::optional<uint64_t> length() override;
  ssize_t read_at(uint64_t offset, void* buffer, size_t size) override;

 private:
  int fd_;
};

inline constexpr uint64_t kWholeReadLimit = 524288;   // files up to this size are read whole
inline constexpr uint64_t kTailReadThreshold = 534528;
inline constexpr size_t kSampleBlock = 1024;
inline constexpr size_t kTailBytes = 10240;
inline constexpr uint64_t kProbeOffset = 418316228;
inline constexpr size_t kProbeBytes = 512;

// The sampled MD5 of a file: spaced 1 KiB blocks (or the whole file when small),
// a 10 KiB tail, the length and a 512-byte probe at a fixed offset. nullopt when
// the file could not be read to its end (read error, or it grew meanwhile).
std::optional<FileHash> sampled_md5(SampleSource& source);
std::optional<FileHash> sampled_md5_of_file(const std::filesystem::path& path);

// The hash of a sub-folder: MD5 of the parent's walk path ("" at the top,
// otherwise "\\A\\B"), the folder name and the byte ShareIndex + 1, the texts in
// their CP949 form. nullopt when a text has no CP949 form.
std::optional<FileHash> folder_hash(std::string_view walk_path, std::string_view name, settings::ShareIndex share_index);

}  // namespace dovel::share
