#include "app/updater.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/update_step.h"
#include "base/text.h"
#include "fake_update_host.h"
#include "support/eventually.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

namespace fs = std::filesystem;
using test::euc_kr_document;
using test::FakeUpdateHost;

void make_runnable(const fs::path& file) { fs::permissions(file, fs::perms::owner_all, fs::perm_options::add); }

TEST(ConfiguredUpdater, OnlyAnAbsolutePathIsAnUpdater) {
  struct Case {
    const char* value;
    std::string updater;
  };
  const Case cases[] = {
      {nullptr, ""},
      {"", ""},
      {"   ", ""},
      {"dovel-updater", ""},
      {"bin/dovel-updater", ""},
      {"/opt/dovel/", ""},
      {"/opt/dovel/dovel-updater", "/opt/dovel/dovel-updater"},
      {" /opt/my dovel/dovel updater \n", "/opt/my dovel/dovel updater"},
  };
  for (const Case& c : cases) {
    auto environment = [&c](const char* name) { return std::string(name) == kUpdaterCommandVariable ? c.value : nullptr; };
    EXPECT_EQ(ConfiguredUpdater(environment), fs::path(c.updater)) << (c.value ? c.value : "(unset)");
  }
}

TEST(PendingUpdaterPath, IsBesideTheUpdaterWithAnUnderscore) {
  EXPECT_EQ(PendingUpdaterPath("/opt/dovel/dovel-updater"), fs::path("/opt/dovel/_dovel-updater"));
}

TEST(ReplaceUpdaterWithPending, OnlyARunnableNonEmptyFileReplacesTheUpdater) {
  struct Case {
    std::string label;
    std::optional<std::string> pending;  // nullopt: none
    bool runnable;
    bool replaced;
  };
  const Case cases[] = {
      {"new updater", "#!/bin/sh\necho new\n", true, true},
      {"empty file", "", true, false},
      {"not runnable", "#!/bin/sh\necho new\n", false, false},
      {"none", std::nullopt, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    dovel::test::TempFolder folder;
    const fs::path updater = folder.write("dovel-updater", "#!/bin/sh\necho old\n");
    make_runnable(updater);
    if (c.pending) {
      folder.write("_dovel-updater", *c.pending);
      if (c.runnable) make_runnable(folder / "_dovel-updater");
    }
    EXPECT_EQ(ReplaceUpdaterWithPending(updater), c.replaced);
    EXPECT_EQ(dovel::test::read_file(updater), c.replaced ? *c.pending : "#!/bin/sh\necho old\n");
    EXPECT_EQ(fs::exists(folder / "_dovel-updater"), c.pending.has_value() && !c.replaced);
  }
}

TEST(ReplaceUpdaterWithPending, NeitherALinkNorAFolderIsTakenForTheNewUpdater) {
  dovel::test::TempFolder folder;
  const fs::path updater = folder.write("dovel-updater", "old");
  const fs::path elsewhere = folder.write("elsewhere", "#!/bin/sh\n");
  make_runnable(elsewhere);
  fs::create_symlink(elsewhere, folder / "_dovel-updater");
  EXPECT_FALSE(ReplaceUpdaterWithPending(updater));
  fs::remove(folder / "_dovel-updater");
  fs::create_directory(folder / "_dovel-updater");
  EXPECT_FALSE(ReplaceUpdaterWithPending(updater));
  EXPECT_EQ(dovel::test::read_file(updater), "old");
  EXPECT_FALSE(ReplaceUpdaterWithPending(folder / "missing-updater")) << "no pending file, nothing done";
}

// The program folder, a recording updater script, and an update host whose
// list needs an update or not.
class UpdateStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_folder.write("Dovel.bin", "program");
    program_folder.write("update.xml", euc_kr_document("<update><file name=\"Dovel.bin\" version=\"1.0\"/></update>"));
  }

  // A script that writes its working folder and its arguments, one a line, to
  // `record` (complete or not at all).
  fs::path recording_script(const std::string& file_name, const std::string& marker) {
    const fs::path script = tools.write(file_name, "#!/bin/sh\n{ echo " + marker + "; pwd -P; for a in \"$0\" \"$@\"; do echo \"$a\"; done; } > '" +
                                                       (tools / "record.tmp").string() + "' && mv '" + (tools / "record.tmp").string() + "' '" +
                                                       record().string() + "'\n");
    make_runnable(script);
    return script;
  }
  fs::path record() const { return tools / "record"; }
  std::vector<std::string> recorded_lines() const {
    std::vector<std::string> lines = base::split(dovel::test::read_file(record()), '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }

  UpdateHost host_listing(const std::string& version) {
    host.serve("http://update.test/dovel/update/update.xml",
               euc_kr_document("<update><file name=\"Dovel.bin\" version=\"" + version + "\"/></update>"));
    return host.host();
  }

  dovel::test::TempFolder program_folder;
  dovel::test::TempFolder tools;
  FakeUpdateHost host;
  const fs::path executable = "/opt/dovel/bin/dovel";
};

TEST_F(UpdateStepTest, AnUpdateStartsTheConfiguredUpdaterWithItsArguments) {
  const fs::path updater = recording_script("dovel-updater", "old");
  EXPECT_EQ(RunUpdateStep(host_listing("1.1"), program_folder.path(), {updater, executable}), UpdateStepOutcome::UpdaterStarted);
  ASSERT_TRUE(dovel::test::eventually([&] { return fs::exists(record()); }));
  EXPECT_EQ(recorded_lines(), (std::vector<std::string>{"old", fs::canonical(program_folder.path()).string(), updater.string(),
                                                        "http://update.test/dovel/update", executable.string(), "1"}));
}

TEST_F(UpdateStepTest, TheUpdaterIsStartedOnlyWhenConfiguredAndNeeded) {
  const fs::path updater = recording_script("dovel-updater", "old");
  EXPECT_EQ(RunUpdateStep(host_listing("1.0"), program_folder.path(), {updater, executable}), UpdateStepOutcome::UpToDate);
  EXPECT_EQ(RunUpdateStep(host_listing("1.1"), program_folder.path(), {"", executable}), UpdateStepOutcome::UpdateWithoutUpdater);
  EXPECT_EQ(RunUpdateStep(FakeUpdateHost().host(), program_folder.path(), {updater, executable}), UpdateStepOutcome::UpToDate)
      << "an update host that cannot be reached";
  EXPECT_EQ(RunUpdateStep(host_listing("1.1"), program_folder.path(), {tools / "missing-updater", executable}),
            UpdateStepOutcome::UpdaterNotStarted);
  EXPECT_FALSE(fs::exists(record())) << "no outcome above started anything";
}

TEST_F(UpdateStepTest, APendingUpdaterReplacesTheOldOneBeforeTheCheck) {
  const fs::path updater = recording_script("dovel-updater", "old");
  const fs::path pending = recording_script("_dovel-updater", "new");
  EXPECT_EQ(RunUpdateStep(host_listing("1.0"), program_folder.path(), {updater, executable}), UpdateStepOutcome::UpToDate);
  EXPECT_FALSE(fs::exists(pending)) << "replaced also when nothing needs an update";

  EXPECT_EQ(RunUpdateStep(host_listing("2.0"), program_folder.path(), {updater, executable}), UpdateStepOutcome::UpdaterStarted);
  ASSERT_TRUE(dovel::test::eventually([&] { return fs::exists(record()); }));
  EXPECT_EQ(recorded_lines().front(), "new");
}

TEST_F(UpdateStepTest, WithoutAConfiguredUpdaterNoFileIsReplaced) {
  const fs::path pending = recording_script("_dovel-updater", "new");
  EXPECT_EQ(RunUpdateStep(host_listing("1.0"), program_folder.path(), {"", executable}), UpdateStepOutcome::UpToDate);
  EXPECT_TRUE(fs::exists(pending));
  EXPECT_FALSE(fs::exists(tools / "dovel-updater"));
}

TEST(UpdaterLaunch, FromTheEnvironmentNamesThisProgram) {
  UpdaterLaunch launch = UpdaterLaunch::FromEnvironment();
  EXPECT_EQ(launch.executable, fs::read_symlink("/proc/self/exe"));
}

}  // namespace
}  // namespace dovel::app
