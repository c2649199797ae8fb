#include "app/update_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/listed_file_path.h"
#include "fake_update_host.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

namespace fs = std::filesystem;
using test::euc_kr_document;
using test::FakeUpdateHost;

struct Listed {
  Listed(std::string file_name, std::string file_version, std::optional<std::string> file_check_size = std::nullopt)
      : name(std::move(file_name)), version(std::move(file_version)), check_size(std::move(file_check_size)) {}
  std::string name;
  std::string version;
  std::optional<std::string> check_size;  // nullopt: no attribute
};

std::string update_document(const std::vector<Listed>& files) {
  std::string body = "<update>";
  for (const Listed& file : files) {
    body += "<file name=\"" + file.name + "\" version=\"" + file.version + "\" exec=\"0\"";
    if (file.check_size) body += " check_size=\"" + *file.check_size + "\"";
    body += "/>";
  }
  return euc_kr_document(body + "</update>");
}

// A program folder, its local update list, and a host that serves the remote one.
class UpdateCheckTest : public ::testing::Test {
 protected:
  void local_list(const std::vector<Listed>& files) { program_folder.write("update.xml", update_document(files)); }
  bool update_needed(const std::vector<Listed>& remote) { return update_needed_for(update_document(remote)); }
  bool update_needed_for(const std::string& remote_document) {
    FakeUpdateHost host;
    host.serve("http://update.test/dovel/update/update.xml", remote_document);
    return CheckForUpdate(host.host(), program_folder.path());
  }

  dovel::test::TempFolder program_folder;
};

TEST(UpdateHostAddresses, AreBuiltFromTheHostBase) {
  EXPECT_EQ(UpdateBaseUrl("http://127.0.0.1:11080"), "http://127.0.0.1:11080/dovel/update");
  EXPECT_EQ(UpdateBaseUrl("http://host/"), "http://host/dovel/update");
  EXPECT_EQ(UpdateListUrl("http://host/dovel/update"), "http://host/dovel/update/update.xml");
  EXPECT_EQ(UpdateListUrl("http://host/dovel/update//"), "http://host/dovel/update/update.xml");
  EXPECT_EQ(StatusFileUrl("http://host", 12345), "http://host/dovel/server.xml?d=12345");
  EXPECT_EQ(StatusFileUrl("http://host", 0xFFFFFFFFu), "http://host/dovel/server.xml?d=-1") << "written as the signed tick count";
}

TEST_F(UpdateCheckTest, AsksTheUpdateListOfTheUpdateBase) {
  FakeUpdateHost host;
  host.serve("http://update.test/dovel/update/update.xml", update_document({}));
  EXPECT_FALSE(CheckForUpdate(host.host(), program_folder.path()));
  EXPECT_EQ(host.requests(), std::vector<std::string>{"http://update.test/dovel/update/update.xml"});
}

TEST_F(UpdateCheckTest, ElementsWithoutANameNeedNoUpdate) {
  EXPECT_FALSE(update_needed({{"", "9.9"}}));
  EXPECT_FALSE(update_needed_for(euc_kr_document("<update><file version=\"9.9\"/><file/></update>")));
}

TEST_F(UpdateCheckTest, WithoutALocalListEveryNamedFileIsOutOfDate) {
  program_folder.write("Dovel.bin", "program");
  EXPECT_TRUE(update_needed({{"Dovel.bin", "1"}}));
  program_folder.write("update.xml", "not a list");
  EXPECT_TRUE(update_needed({{"Dovel.bin", "1"}})) << "an unreadable local list is no list";
}

TEST_F(UpdateCheckTest, UnreadableOrUnreachableRemoteListsNeedNoUpdate) {
  EXPECT_FALSE(update_needed_for("<update><file name=\"Dovel.bin\" version=\"1\"></update>"));
  EXPECT_FALSE(update_needed_for(""));
  FakeUpdateHost unreachable;
  EXPECT_FALSE(CheckForUpdate(unreachable.host(), program_folder.path()));
  EXPECT_FALSE(CheckForUpdate(UpdateHost{"http://update.test", nullptr}, program_folder.path()));
}

// The local list holds the version (or a newer one): the file on disk decides,
// unless check_size is exactly "false".
TEST_F(UpdateCheckTest, AnEmptyOrMissingFileIsOutOfDateUnlessSizeIsNotChecked) {
  struct Case {
    std::optional<std::string> check_size;
    bool checks_size;
  };
  const Case cases[] = {
      {std::nullopt, true}, {"", true}, {"true", true}, {"False", true}, {"FALSE", true}, {"0", true}, {"false", false},
  };
  local_list({{"same.bin", "1.5"}, {"newer.bin", "2.0"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.check_size.value_or("(no attribute)"));
    for (const char* name : {"same.bin", "newer.bin"}) {
      SCOPED_TRACE(name);
      fs::remove(program_folder / name);
      EXPECT_EQ(update_needed({{name, "1.5", c.check_size}}), c.checks_size) << "missing";
      program_folder.write(name, "");
      EXPECT_EQ(update_needed({{name, "1.5", c.check_size}}), c.checks_size) << "empty";
      program_folder.write(name, "content");
      EXPECT_FALSE(update_needed({{name, "1.5", c.check_size}})) << "present";
    }
  }
}

TEST_F(UpdateCheckTest, SlashNamesAreLookedUpBelowTheProgramFolder) {
  local_list({{"skin/default/main.png", "3"}, {"dec\\alz.bin", "1"}});
  program_folder.write("skin/default/main.png", "png");
  program_folder.write("dec/alz.bin", "alz");
  EXPECT_FALSE(update_needed({{"skin/default/main.png", "3"}, {"dec\\alz.bin", "1"}}));
  fs::remove(program_folder / "skin/default/main.png");
  EXPECT_TRUE(update_needed({{"skin/default/main.png", "3"}}));
  EXPECT_TRUE(update_needed({{"skin\\default\\main.png", "3"}})) << "the local list is looked up by the remote name exactly";
}

TEST_F(UpdateCheckTest, VersionsCompareAsDottedNumbers) {
  struct Case {
    std::string local;
    std::string remote;
    bool update;
  };
  const Case cases[] = {
      {"1.2.10", "1.2.3", false}, {"1.2.3", "1.2.10", true}, {"1.2.3", "1.2.3", false}, {"2", "10", true},
      {"beta-7", "beta-7", false}, {"1.2a", "1.2b", true},    {"1.2b", "1.2a", true},    {"", "", false},
  };
  program_folder.write("Dovel.bin", "program");
  for (const Case& c : cases) {
    local_list({{"Dovel.bin", c.local}});
    EXPECT_EQ(update_needed({{"Dovel.bin", c.remote}}), c.update) << "local " << c.local << ", remote " << c.remote;
  }
}

TEST(IsFileCurrent, ComparesTheNameExactlyAndAcceptsAnyEntryThatIsRecentEnough) {
  const std::optional<UpdateList> local = UpdateList{
      {"Dovel.bin", "1.0", ""}, {"Dovel.bin", "1.4", ""}, {"a'b", "1", ""}, {"skin/x.png", "2", ""},
  };
  struct Case {
    std::string name;
    std::string version;
    bool current;
  };
  const Case cases[] = {
      {"Dovel.bin", "1.4", true},   {"Dovel.bin", "1.3", true},  {"Dovel.bin", "1.5", false}, {"dovel.bin", "1.0", false},
      {"Dovel.bin ", "1.0", false}, {"a'b", "1", true},          {"x' or '1'='1", "0", false}, {"skin/x.png", "2", true},
      {"skin\\x.png", "2", false},  {"", "1", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsFileCurrent(local, c.name, c.version), c.current) << c.name << " " << c.version;
  }
  EXPECT_FALSE(IsFileCurrent(std::nullopt, "Dovel.bin", "0"));
}

TEST(FirstOutOfDateFile, IsTheFirstInListOrder) {
  dovel::test::TempFolder program_folder;
  program_folder.write("a", "1");
  program_folder.write("b", "1");
  program_folder.write("c", "1");
  const UpdateList local{{"a", "1", ""}, {"b", "1", ""}, {"c", "1", ""}};
  const UpdateList remote{{"a", "1", ""}, {"b", "2", ""}, {"c", "2", ""}};
  EXPECT_EQ(FirstOutOfDateFile(remote, local, program_folder.path()), (ListedFile{"b", "2", ""}));
}

// Names from the remote list are untrusted: one that does not name a file
// below the program folder is skipped, never looked up elsewhere, and never
// makes the updater start at every start.
class HostileNamesTest : public UpdateCheckTest {
 protected:
  void SetUp() override {
    fs::create_directories(program_folder / "program");
    fs::create_directories(program_folder / "outside");
    program_folder.write("outside/escape.bin", "");  // empty: out of date if it were looked at
    fs::create_directory_symlink(program_folder / "outside", program_folder / "program" / "link");
    fs::create_directory_symlink("/etc", program_folder / "program" / "etc-link");
    program_folder.write("program/update.xml", update_document({}));
  }
  bool needed(const std::vector<Listed>& remote) {
    FakeUpdateHost host;
    host.serve("http://update.test/dovel/update/update.xml", update_document(remote));
    return CheckForUpdate(host.host(), program_folder / "program");
  }
};

const std::vector<std::string> kHostileNames = {
    "../outside/escape.bin",
    "sub/../../outside/escape.bin",
    "..\\outside\\escape.bin",
    "/etc/passwd",
    "\\etc\\passwd",
    "C:/Windows/system.ini",
    "C:\\Windows\\system.ini",
    "stream.bin:evil",
    "link/escape.bin",
    "etc-link/passwd",
    "a//b.bin",
    "./a.bin",
    "a/./b.bin",
    "..",
    ".",
    "folder/",
    std::string(kMaxListedNameBytes + 1, 'n'),
};

TEST_F(HostileNamesTest, AreSkipped) {
  for (const std::string& name : kHostileNames) {
    EXPECT_FALSE(needed({{name, "1"}})) << name;
    EXPECT_FALSE(ListedFilePath(program_folder / "program", name)) << name;
  }
  program_folder.write("program/Dovel.bin", "");
  EXPECT_TRUE(needed({{"../outside/escape.bin", "1"}, {"Dovel.bin", "1"}})) << "the check goes on after a skipped name";
}

TEST(ListedFilePath, PlainNamesResolveBelowTheProgramFolder) {
  dovel::test::TempFolder program_folder;
  const fs::path root = fs::canonical(program_folder.path());
  EXPECT_EQ(ListedFilePath(program_folder.path(), "Dovel.bin"), root / "Dovel.bin");
  EXPECT_EQ(ListedFilePath(program_folder.path(), "skin/default/main.png"), root / "skin/default/main.png");
  EXPECT_EQ(ListedFilePath(program_folder.path(), "dec\\alz.bin"), root / "dec/alz.bin");
  EXPECT_EQ(ListedFilePath(program_folder.path(), "이름 있는 파일.txt"), root / "이름 있는 파일.txt");
  EXPECT_FALSE(ListedFilePath(program_folder / "missing", "Dovel.bin")) << "without a program folder nothing is looked up";
}

}  // namespace
}  // namespace dovel::app
