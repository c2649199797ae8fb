#include "share/hash_on_demand.h"

#include <gtest/gtest.h>

#include <thread>

#include "share/hash_runner.h"
#include "share/hashing_fixture.h"
#include "support/eventually.h"

namespace dovel::share {
namespace {

class HashOnDemandTest : public HashingFixture {
 protected:
  void SetUp() override {
    HashingFixture::SetUp();
    set_shares({{"public", settings::SHARE_READ}, {"secret", settings::SHARE_READ | settings::SHARE_SECRET}});
    std::filesystem::create_directories(temp / "outside");
    temp.write("outside/secret.txt", "not shared");
  }
  FileHash ask(std::string_view path, std::string_view name, settings::ShareIndex index) {
    return hash_on_demand(hash_settings, temp / "DovelData.dat", platform::system_clock(), path, name, index, any_share);
  }
};

TEST_F(HashOnDemandTest, HashesAFileTheTableDoesNotKnowAndRecordsIt) {
  const auto file = temp.write("shares/public/Music/song.mp3", "la la la");
  const FileHash expected = *sampled_md5_of_file(file);
  EXPECT_EQ(ask("\\Music\\", "song.mp3", 0), expected);
  auto recorded = rows_named("song");
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].hash, expected);
  EXPECT_EQ(recorded[0].path, "Music");
  EXPECT_EQ(recorded[0].extension, "mp3");
  EXPECT_EQ(recorded[0].size, 8);
  EXPECT_EQ(ask("Music", "song.mp3", 0), expected) << "found the second time";
  EXPECT_EQ(rows_named("song").size(), 1u);
}

TEST_F(HashOnDemandTest, FillsTheEmptyHashOfAKnownRow) {
  const auto file = temp.write("shares/secret/diary.txt", "dear diary");
  run();
  ASSERT_EQ(rows_named("diary").at(0).hash, "");
  EXPECT_EQ(ask("", "diary.txt", 1), *sampled_md5_of_file(file));
  EXPECT_EQ(rows_named("diary").at(0).hash, *sampled_md5_of_file(file));
}

TEST_F(HashOnDemandTest, LooksInTheOtherSharesWhenTheIndexIsWrong) {
  const auto file = temp.write("shares/secret/x.bin", "x");
  EXPECT_EQ(ask("", "x.bin", 0), *sampled_md5_of_file(file));
  EXPECT_EQ(ask("", "x.bin", 57), *sampled_md5_of_file(file));
  EXPECT_EQ(rows_named("x").at(0).shared_index, 1);
}

TEST_F(HashOnDemandTest, RefusesWhatIsNotANonEmptyFileInsideAShare) {
  temp.write("shares/public/empty.txt", "");
  temp.write("shares/public/ok.txt", "ok");
  std::filesystem::create_symlink(temp / "outside/secret.txt", share_folder("public") / "link.txt");
  std::filesystem::create_directory_symlink(temp / "outside", share_folder("public") / "out");
  const struct {
    const char* path;
    const char* name;
    settings::ShareIndex index;
  } refused[] = {
      {"", "ok.txt", -1},
      {"", "", 0},
      {"", "empty.txt", 0},
      {"", "missing.txt", 0},
      {"..\\..\\outside", "secret.txt", 0},
      {"..", "outside", 0},
      {"", "..", 0},
      {"", "../../outside/secret.txt", 0},
      {"", "link.txt", 0},
      {"out", "secret.txt", 0},
      {"a\\\\b", "ok.txt", 0},
      {"", "shares", 0},
  };
  for (const auto& r : refused) EXPECT_EQ(ask(r.path, r.name, r.index), "") << r.path << " / " << r.name;
  EXPECT_TRUE(rows().empty());
}

TEST_F(HashOnDemandTest, TheRunnerRefusesWhileAFullRunIsActive) {
  const auto file = temp.write("shares/public/a.txt", "a");
  test::FirstFileGate gate;
  HashRunContext runner_context = context();
  runner_context.after_each_file = gate.callback();
  HashRunner runner(runner_context);
  runner.start_hash_run(0);
  gate.wait_until_entered();
  EXPECT_TRUE(runner.active());
  EXPECT_EQ(runner.hash_on_demand("", "a.txt", 0, any_share), "");
  gate.release();
  ASSERT_TRUE(target.wait_for(1));
  // The run forgets itself when it ends on its own.
  EXPECT_TRUE(test::eventually([&] { return !runner.active(); }));
  EXPECT_EQ(runner.hash_on_demand("", "a.txt", 0, any_share), *sampled_md5_of_file(file));
}

}  // namespace
}  // namespace dovel::share
