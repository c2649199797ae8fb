// dovel-tool as a user runs it: UTF-8 arguments in, UTF-8 lines out, exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel {
namespace {

test::ProgramResult tool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {DOVEL_TOOL_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return test::run_program(argv);
}

TEST(DovelTool, HashesFilesAndFolders) {
  test::TempFolder folder;
  auto hashed = tool({"hash", folder.write("abc.txt", "abc").string()});
  EXPECT_EQ(hashed.exit_code, 0);
  EXPECT_EQ(hashed.output, "e58e96f6a1864258fc0f25148e81c086\n");

  EXPECT_EQ(tool({"hash", (folder / "missing").string()}).exit_code, 1);
  EXPECT_EQ(tool({"hash", folder.path().string()}).exit_code, 1) << "a folder has no hash";

  auto top = tool({"folder-hash", "", "Music", "0"});
  EXPECT_EQ(top.exit_code, 0);
  EXPECT_EQ(top.output, "814624101b52b5df207bd94e95c4ccda\n");
  EXPECT_NE(tool({"folder-hash", "\\Music", "Rock", "0"}).output, top.output);
  EXPECT_EQ(tool({"folder-hash", "", "Music", "x"}).exit_code, 2);
}

TEST(DovelTool, EncodesAndDecodesTheWireForm) {
  auto encoded = tool({"encode", "도벨"});
  ASSERT_EQ(encoded.exit_code, 0);
  EXPECT_EQ(encoded.output, util::EncodeWire("도벨") + "\n");
  EXPECT_EQ(encoded.output.size(), 2u * (4 + 1) + 1) << "two CP949 characters are four bytes";

  auto decoded = tool({"decode", util::EncodeWire("도벨")});
  EXPECT_EQ(decoded.exit_code, 0);
  EXPECT_EQ(decoded.output, "도벨\n");

  EXPECT_EQ(tool({"decode", "mimi"}).exit_code, 1);
  EXPECT_EQ(tool({"encode", ""}).exit_code, 1);
}

TEST(DovelTool, PrintsTheFieldsOfARequestInOrder) {
  const std::string hash = "0123456789abcdef0123456789abcdef";
  const std::string url = "dovel://file/" + util::Encode("10.0.0.7") + ":" + util::Encode("9910") + "/노래.mp3:" + hash + ":321";
  auto parsed = tool({"parse", url});
  EXPECT_EQ(parsed.exit_code, 0);
  EXPECT_EQ(parsed.output,
            "kind=2\n"
            "raw=" + url + "\n"
            "address=10.0.0.7\n"
            "port=9910\n"
            "user_id=\n"
            "hash=" + hash + "\n"
            "name=노래.mp3\n"
            "size=321\n"
            "search_text=\n"
            "hash_list=\n"
            "login_id=\n"
            "password=\n");

  auto hashes = tool({"parse", "dovel://search_hash/" + util::EncodeWire("id\x07pw") + "/w/" + util::Encode(hash) + "/" + hash + "," + hash});
  EXPECT_NE(hashes.output.find("hash_list=" + hash + "," + hash + "\n"), std::string::npos) << hashes.output;
  EXPECT_NE(hashes.output.find("login_id=id\npassword=pw\n"), std::string::npos) << hashes.output;

  EXPECT_EQ(tool({"parse", "dovel://file/name:hash"}).exit_code, 1);
  EXPECT_EQ(tool({"parse", "no scheme"}).exit_code, 1);
}

TEST(DovelTool, IndexesTheSharedFoldersOfADataHome) {
  test::TempFolder home;
  auto init = tool({"db-init", "--home", home.path().string()});
  ASSERT_EQ(init.exit_code, 0) << init.errors;
  EXPECT_TRUE(std::filesystem::exists(home / "DovelData.dat"));
  EXPECT_TRUE(std::filesystem::exists(home / "DovelInfo.dat"));

  // The default shared folder is "Upload" in the data home.
  home.write("Upload/small.txt", "hello");
  home.write("Upload/Movies/big.avi", "");
  std::filesystem::resize_file(home / "Upload/Movies/big.avi", 20u << 20);
  auto indexed = tool({"index", "--home", home.path().string()});
  ASSERT_EQ(indexed.exit_code, 0) << indexed.errors;
  EXPECT_EQ(indexed.output, "files=2 bytes=20971525 mib=20 hashed=1\n");

  auto again = tool({"index", "--home", home.path().string()});
  EXPECT_EQ(again.output, "files=2 bytes=20971525 mib=20 hashed=0\n") << "the unchanged large file is reused";
  EXPECT_EQ(tool({"index", "--bogus"}).exit_code, 2);
}

TEST(DovelTool, HelpAndUsage) {
  auto help = tool({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("folder-hash"), std::string::npos);
  EXPECT_EQ(tool({}).exit_code, 2);
  EXPECT_EQ(tool({"hash"}).exit_code, 2);
  EXPECT_EQ(tool({"bogus", "x"}).exit_code, 2);
}

}  // namespace
}  // namespace dovel
