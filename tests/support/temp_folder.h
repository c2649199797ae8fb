#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dovel::test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }
  // Writes a file (creating its folders) and returns its path.
  std::filesystem::path write(std::string_view name, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

// Makes a file of `size` bytes that takes no disk space (and its folders); its path.
std::filesystem::path write_sparse_file(const std::filesystem::path& path, int64_t size);

// The whole file, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);

}  // namespace dovel::test
