#include "support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace dovel::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "dovel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::write(std::string_view name, std::string_view content) const {
  std::filesystem::path file = path_ / std::string(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return file;
}

std::filesystem::path write_sparse_file(const std::filesystem::path& path, int64_t size) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).close();
  std::filesystem::resize_file(path, static_cast<uintmax_t>(size));
  return path;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace dovel::test
