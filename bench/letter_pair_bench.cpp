// Encode and Decode run on every request, cookie and service text.
#include <benchmark/benchmark.h>

#include <string>

#include "util/letter_pair.h"

namespace {

void EncodeDecode(benchmark::State& state) {
  const std::string text(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) benchmark::DoNotOptimize(dovel::util::Decode(dovel::util::Encode(text)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(EncodeDecode)->Arg(16)->Arg(1024);

}  // namespace
