// Runs one fuzz target's entry point on its corpus and on inputs mutated from it
// with a fixed seed, so every build checks the parsers the fuzzers aim at.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> corpus() {
  std::vector<std::string> inputs = {"", std::string(1, '\0'), "A", std::string(64, '\xff')};
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS, error)) {
    if (entry.is_regular_file()) inputs.push_back(dovel::test::read_file(entry.path()));
  }
  return inputs;
}

std::string mutated(const std::string& seed, std::mt19937& random) {
  std::string input = seed;
  int changes = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < changes; ++i) {
    switch (random() % 4) {
      case 0:  // change a byte
        if (!input.empty()) input[random() % input.size()] = static_cast<char>(random());
        break;
      case 1:  // insert bytes
        input.insert(input.empty() ? 0 : random() % input.size(), std::string(1 + random() % 16, static_cast<char>(random())));
        break;
      case 2:  // cut
        if (!input.empty()) input.resize(random() % input.size());
        break;
      default:  // repeat a piece
        if (!input.empty()) input += input.substr(random() % input.size(), 1 + random() % 32);
        break;
    }
  }
  return input;
}

TEST(FuzzSmoke, CorpusAndMutations) {
  const std::vector<std::string> seeds = corpus();
  for (const std::string& seed : seeds) LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());

  const char* configured = std::getenv("DOVEL_FUZZ_SMOKE_ITERATIONS");
  const int iterations = configured != nullptr ? std::atoi(configured) : 2000;
  std::mt19937 random(20261210);
  for (int i = 0; i < iterations; ++i) {
    std::string input = mutated(seeds[random() % seeds.size()], random);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
}

}  // namespace
