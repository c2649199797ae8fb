#include "share/hash_on_demand.h"

#include <gtest/gtest.h>

#include <thread>

#include "share/hash_runner.h"
#include "share/hashing_fixture.h"
#include "support/eventually.h"
#include "support/held_database.h"

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
  FileHash ask(std::string_view path, std::string_view name, int64_t size, settings::ShareIndex index) {
    return hash_on_demand(hash_settings, temp / "DovelData.dat", platform::system_clock(), path, name, size, index, any_share, [] { return false; });
  }
};

TEST_F(HashOnDemandTest, HashesAFileTheTableDoesNotKnowAndRecordsIt) {
  const auto file = temp.write("shares/public/Music/song.mp3", "la la la");
  const FileHash expected = *sampled_md5_of_file(file);
  EXPECT_EQ(ask("\\Music\\", "song.mp3", 8, 0), expected);
  auto recorded = rows_named("song");
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].hash, expected);
  EXPECT_EQ(recorded[0].path, "Music");
  EXPECT_EQ(recorded[0].extension, "mp3");
  EXPECT_EQ(recorded[0].size, 8);
  EXPECT_EQ(ask("Music", "song.mp3", 8, 0), expected) << "found the second time";
  EXPECT_EQ(rows_named("song").size(), 1u);
}

TEST_F(HashOnDemandTest, ARunHoldingTheDatabaseGivesNoHashInsteadOfAWait) {
  temp.write("shares/public/song.mp3", "la la la");
  FileHash hash;
  {
    test::HeldDatabase walk;
    hash = hash_on_demand(hash_settings, temp / "DovelData.dat", platform::system_clock(), "", "song.mp3", 8, 0, any_share, [] { return true; });
  }
  EXPECT_EQ(hash, "");
  EXPECT_TRUE(rows_named("song").empty());
}

TEST_F(HashOnDemandTest, FillsTheEmptyHashOfAKnownRow) {
  const auto file = temp.write("shares/secret/diary.txt", "dear diary");
  run();
  ASSERT_EQ(rows_named("diary").at(0).hash, "");
  EXPECT_EQ(ask("", "diary.txt", 10, 1), *sampled_md5_of_file(file));
  EXPECT_EQ(rows_named("diary").at(0).hash, *sampled_md5_of_file(file));
}

TEST_F(HashOnDemandTest, LooksInTheOtherSharesWhenTheIndexIsWrong) {
  const auto file = temp.write("shares/secret/x.bin", "x");
  EXPECT_EQ(ask("", "x.bin", 1, 0), *sampled_md5_of_file(file));
  EXPECT_EQ(ask("", "x.bin", 1, 57), *sampled_md5_of_file(file));
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
    int64_t size;
    settings::ShareIndex index;
  } refused[] = {
      {"", "ok.txt", 2, -1},
      {"", "", 2, 0},
      {"", "empty.txt", 0, 0},
      {"", "missing.txt", 2, 0},
      {"..\\..\\outside", "secret.txt", 10, 0},
      {"..", "outside", 0, 0},
      {"", "..", 0, 0},
      {"", "../../outside/secret.txt", 10, 0},
      {"", "link.txt", 10, 0},
      {"out", "secret.txt", 10, 0},
      {"a\\\\b", "ok.txt", 2, 0},
      {"", "shares", 0, 0},
  };
  for (const auto& r : refused) EXPECT_EQ(ask(r.path, r.name, r.size, r.index), "") << r.path << " / " << r.name;
  EXPECT_TRUE(rows().empty());
}

TEST_F(HashOnDemandTest, OnlyTheSizeThePeerNamedGetsAHash) {
  const auto file = temp.write("shares/secret/letter.txt", "12345678");
  for (int64_t wrong : {int64_t{0}, int64_t{-1}, int64_t{7}, int64_t{9}, int64_t{8} << 32}) {
    EXPECT_EQ(ask("", "letter.txt", wrong, 1), "") << wrong;
  }
  EXPECT_TRUE(rows().empty()) << "nothing was hashed or recorded for a wrong size";
  EXPECT_EQ(ask("", "letter.txt", 8, 1), *sampled_md5_of_file(file));
}

TEST_F(HashOnDemandTest, PartialDownloadsAreNeitherHashedNorRecorded) {
  set_shares({{"home", settings::SHARE_READ}});
  settings.update([this](settings::StoredSettings& values) { values.down_path = (share_folder("home") / "Download").string(); });
  temp.write("shares/home/Download/_DTEMP_/[DOVEL]movie.avi", "part");
  temp.write("shares/home/Download/_DTEMP_/stray.avi", "part");
  temp.write("shares/home/Download/Album/[DOVEL]track.mp3", "part");
  temp.write("shares/home/Download/Album/[dovel]other.mp3", "part");
  const auto done = temp.write("shares/home/Download/Album/done.mp3", "done");
  EXPECT_EQ(ask("Download\\_DTEMP_", "[DOVEL]movie.avi", 4, 0), "");
  EXPECT_EQ(ask("Download\\_DTEMP_", "stray.avi", 4, 0), "");
  EXPECT_EQ(ask("Download\\Album", "[DOVEL]track.mp3", 4, 0), "");
  EXPECT_EQ(ask("Download\\Album", "[dovel]other.mp3", 4, 0), "");
  EXPECT_TRUE(rows().empty()) << "a partial download never becomes a shared file";
  EXPECT_EQ(ask("Download\\Album", "done.mp3", 4, 0), *sampled_md5_of_file(done));
}

TEST_F(HashOnDemandTest, LinksInsideAShareAreNotFollowed) {
  temp.write("shares/public/real/a.txt", "abc");
  std::filesystem::create_directory_symlink(share_folder("public") / "real", share_folder("public") / "alias");
  std::filesystem::create_symlink(share_folder("public") / "real/a.txt", share_folder("public") / "a_link.txt");
  EXPECT_EQ(ask("alias", "a.txt", 3, 0), "");
  EXPECT_EQ(ask("", "a_link.txt", 3, 0), "");
  EXPECT_TRUE(rows().empty());
}

TEST_F(HashOnDemandTest, AFileInsideAStricterNestedShareIsHashedOnlyThroughIt) {
  // A list stored before nesting was refused: the secret share lies inside the public one.
  const std::vector<settings::SharedFolder> nested = {{"public", share_folder("public").string(), settings::SHARE_READ},
                                                      {"inner", (share_folder("public") / "inner").string(), settings::SHARE_READ | settings::SHARE_SECRET}};
  ASSERT_TRUE(settings.set_shared_folders(nested));
  const auto file = temp.write("shares/public/inner/s.txt", "secret");
  EXPECT_EQ(ask("inner", "s.txt", 6, 0), "") << "not through the public share";
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(ask("", "s.txt", 6, 1), *sampled_md5_of_file(file)) << "through the secret share itself";
  EXPECT_EQ(rows_named("s").at(0).shared_index, 1);
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
  EXPECT_EQ(runner.hash_on_demand("", "a.txt", 1, 0, any_share), "");
  gate.release();
  ASSERT_TRUE(target.wait_for(1));
  // The run forgets itself when it ends on its own.
  EXPECT_TRUE(test::eventually([&] { return !runner.active(); }));
  EXPECT_EQ(runner.hash_on_demand("", "a.txt", 1, 0, any_share), *sampled_md5_of_file(file));
}

}  // namespace
}  // namespace dovel::share
