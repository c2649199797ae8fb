// A flood of new source addresses: each query from one costs the responder's
// workers the same whatever the number of sources remembered, because the one
// pushed out is found without looking through the rest.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/clock.h"
#include "server/search_rate_limit.h"

namespace {

// Every query from an address never seen, into a table kept full.
void NewSourceIntoAFullTable(benchmark::State& state) {
  const size_t remembered = static_cast<size_t>(state.range(0));
  dovel::server::SearchRateLimit limit(dovel::platform::system_clock(), {.burst = 10, .per_second = 4, .max_sources = remembered});
  uint32_t source = 0;
  for (size_t i = 0; i < remembered; ++i) limit.admit(++source);
  for (auto _ : state) benchmark::DoNotOptimize(limit.admit(++source));
  state.SetComplexityN(state.range(0));
}

BENCHMARK(NewSourceIntoAFullTable)->RangeMultiplier(4)->Range(1024, 262144)->Complexity();

}  // namespace
