// The sampled hash must cost the same few kilobytes of reading whatever the
// file's size: compare a small file read whole with large sparse files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "share/file_hash.h"

namespace {

std::filesystem::path make_file(int64_t size) {
  std::string pattern = (std::filesystem::temp_directory_path() / "dovel-bench-XXXXXX").string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return {};
  if (::ftruncate(fd, size) != 0) pattern.clear();
  ::close(fd);
  return pattern;
}

void SampledMd5(benchmark::State& state) {
  std::filesystem::path file = make_file(state.range(0));
  if (file.empty()) {
    state.SkipWithError("cannot make the file");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(dovel::share::sampled_md5_of_file(file));
  std::filesystem::remove(file);
}

BENCHMARK(SampledMd5)->Arg(100 << 10)->Arg(512 << 10)->Arg(int64_t{64} << 20)->Arg(int64_t{4} << 30)->Arg(int64_t{64} << 30);

}  // namespace
