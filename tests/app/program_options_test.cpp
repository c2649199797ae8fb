#include "app/program_options.h"

#include <gtest/gtest.h>

namespace dovel::app {
namespace {

TEST(ProgramOptions, ReadsEveryOption) {
  std::string error;
  const std::optional<ProgramOptions> options = read_program_options(
      {"--home", "/tmp/h", "--bind", "127.0.0.5", "--service", "127.0.0.6", "dovel://search/words"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->home, "/tmp/h");
  EXPECT_EQ(options->bind_address, platform::parse_ipv4("127.0.0.5"));
  EXPECT_EQ(options->service_host, platform::parse_ipv4("127.0.0.6"));
  EXPECT_EQ(options->request, "dovel://search/words");
  EXPECT_FALSE(options->help);
}

TEST(ProgramOptions, NothingGivenLeavesEverythingToTheDefaults) {
  std::string error;
  const std::optional<ProgramOptions> options = read_program_options({}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_FALSE(options->home);
  EXPECT_FALSE(options->bind_address);
  EXPECT_FALSE(options->service_host);
  EXPECT_EQ(options->request, "");
}

TEST(ProgramOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> refused = {
      {"--home"},
      {"--home", ""},
      {"--bind"},
      {"--bind", "localhost"},
      {"--service", "127.0.0.300"},
      {"--verbose"},
      {"dovel://a", "dovel://b"},
      {"plain"},
  };
  for (const std::vector<std::string>& arguments : refused) {
    SCOPED_TRACE(arguments.front());
    std::string error;
    EXPECT_FALSE(read_program_options(arguments, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ProgramOptions, HelpIsRecognised) {
  std::string error;
  for (const char* word : {"--help", "-h"}) {
    const std::optional<ProgramOptions> options = read_program_options({word}, error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->help);
  }
}

TEST(ProgramOptions, UsageNamesTheProgramAndEveryOption) {
  const std::string usage = program_usage("doveld");
  EXPECT_EQ(usage.rfind("usage: doveld ", 0), 0u);
  for (const char* option : {"--home", "--bind", "--service", "dovel://"}) EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace dovel::app
