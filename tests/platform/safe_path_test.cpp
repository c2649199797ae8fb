#include "platform/safe_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

namespace fs = std::filesystem;

const char* name_of(PathRefusal refusal) {
  switch (refusal) {
    case PathRefusal::None: return "None";
    case PathRefusal::EmptyPath: return "EmptyPath";
    case PathRefusal::EmptyComponent: return "EmptyComponent";
    case PathRefusal::DotComponent: return "DotComponent";
    case PathRefusal::BadCharacter: return "BadCharacter";
    case PathRefusal::RootUnavailable: return "RootUnavailable";
    case PathRefusal::OutsideRoot: return "OutsideRoot";
    case PathRefusal::LinkComponent: return "LinkComponent";
  }
  return "?";
}

// A shared root next to an "outside" folder holding a secret, with links of every
// kind planted inside the root:
//   temp/root/sub/file.txt
//   temp/root/in_link      -> temp/root/sub
//   temp/root/out_link     -> temp/outside           (directory outside)
//   temp/root/secret_link  -> temp/outside/secret.txt
//   temp/root/rootx_link   -> temp/rootx             (shares the root's name as a prefix)
//   temp/root/abs_link     -> /
//   temp/root/dangling     -> temp/outside/missing.txt
//   temp/root/dangling_dir -> temp/outside/missing_dir
//   temp/root/pending      -> temp/root/sub/missing.txt (leads nowhere, though inside)
//   temp/root/loop         -> loop
class SafePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "sub");
    fs::create_directories(temp_ / "outside");
    fs::create_directories(temp_ / "rootx");
    temp_.write("root/sub/file.txt", "inside");
    temp_.write("outside/secret.txt", "secret");
    fs::create_directory_symlink(root_ / "sub", root_ / "in_link");
    fs::create_directory_symlink(temp_ / "outside", root_ / "out_link");
    fs::create_symlink(temp_ / "outside" / "secret.txt", root_ / "secret_link");
    fs::create_directory_symlink(temp_ / "rootx", root_ / "rootx_link");
    fs::create_directory_symlink("/", root_ / "abs_link");
    fs::create_symlink(temp_ / "outside" / "missing.txt", root_ / "dangling");
    fs::create_directory_symlink(temp_ / "outside" / "missing_dir", root_ / "dangling_dir");
    fs::create_symlink("loop", root_ / "loop");
    fs::create_symlink(root_ / "sub" / "missing.txt", root_ / "pending");
  }

  fs::path canonical_root() const { return fs::canonical(root_); }

  test::TempFolder temp_;
  fs::path root_ = temp_ / "root";
};

struct WireCase {
  std::string wire;
  PathRefusal refusal;
  const char* below_root;  // expected path relative to the root when accepted
};

TEST_F(SafePathTest, HostileAndOrdinaryWirePaths) {
  using R = PathRefusal;
  const WireCase cases[] = {
      // Ordinary paths; the last component need not exist (a file about to be written).
      {"sub\\file.txt", R::None, "sub/file.txt"},
      {"sub\\new.txt", R::None, "sub/new.txt"},
      {"new\\deeper\\file.txt", R::None, "new/deeper/file.txt"},
      {"음악\\노래 1.mp3", R::None, "음악/노래 1.mp3"},
      {"\\sub\\file.txt", R::None, "sub/file.txt"},
      {"sub\\file.txt\\", R::None, "sub/file.txt"},
      {"\\sub\\", R::None, "sub"},
      {"...", R::None, "..."},
      {".hidden", R::None, ".hidden"},
      {"a..b", R::None, "a..b"},
      {" ", R::None, " "},
      // ':' is an ordinary byte in a Linux file name: a drive letter becomes a folder name.
      {"C:\\x", R::None, "C:/x"},
      {"C:", R::None, "C:"},
      // Empty paths and empty components.
      {"", R::EmptyPath, nullptr},
      {"\\", R::EmptyPath, nullptr},
      {"\\\\", R::EmptyPath, nullptr},
      {"a\\\\b", R::EmptyComponent, nullptr},
      {"\\\\a", R::EmptyComponent, nullptr},
      {"a\\\\", R::EmptyComponent, nullptr},
      {"\\\\\\", R::EmptyComponent, nullptr},
      // Dot components, wherever they are.
      {".", R::DotComponent, nullptr},
      {"..", R::DotComponent, nullptr},
      {"a\\..\\..\\etc", R::DotComponent, nullptr},
      {"a\\.\\b", R::DotComponent, nullptr},
      {"..\\outside\\secret.txt", R::DotComponent, nullptr},
      {"sub\\..", R::DotComponent, nullptr},
      // Slashes and NUL bytes inside a component.
      {"a/b", R::BadCharacter, nullptr},
      {"a/../b", R::BadCharacter, nullptr},
      {"/etc/passwd", R::BadCharacter, nullptr},
      {"..//etc", R::BadCharacter, nullptr},  // one component: only backslashes separate
      {std::string("file.txt\0.jpg", 13), R::BadCharacter, nullptr},
      {std::string("\0", 1), R::BadCharacter, nullptr},
      {std::string("sub\\\0", 5), R::BadCharacter, nullptr},
      // Links inside the root.
      {"in_link\\file.txt", R::None, "sub/file.txt"},
      {"in_link\\new.txt", R::None, "sub/new.txt"},
      {"in_link", R::None, "sub"},
      {"out_link", R::OutsideRoot, nullptr},
      {"out_link\\secret.txt", R::OutsideRoot, nullptr},
      {"out_link\\not_yet.txt", R::OutsideRoot, nullptr},
      {"secret_link", R::OutsideRoot, nullptr},
      {"rootx_link\\file", R::OutsideRoot, nullptr},
      {"abs_link\\etc\\passwd", R::OutsideRoot, nullptr},
      {"dangling", R::OutsideRoot, nullptr},
      {"dangling_dir\\file.txt", R::OutsideRoot, nullptr},
      {"in_link\\..\\dangling", R::DotComponent, nullptr},
      // A link that leads nowhere cannot be shown to stay inside, wherever it points.
      {"pending", R::OutsideRoot, nullptr},
      {"loop", R::OutsideRoot, nullptr},
      {"loop\\x", R::OutsideRoot, nullptr},
  };
  const fs::path root = canonical_root();
  for (const WireCase& c : cases) {
    SCOPED_TRACE("wire path \"" + c.wire + "\"");
    ResolvedPath resolved = resolve_below(root_, c.wire);
    EXPECT_STREQ(name_of(resolved.refusal), name_of(c.refusal));
    EXPECT_EQ(static_cast<bool>(resolved), c.refusal == PathRefusal::None);
    if (c.below_root != nullptr) {
      EXPECT_EQ(resolved.path, root / c.below_root);
    } else {
      EXPECT_TRUE(resolved.path.empty()) << resolved.path;
    }
  }
}

TEST_F(SafePathTest, TheRootItselfOnlyWhenAllowed) {
  const fs::path root = canonical_root();
  for (const char* wire : {"", "\\", "\\\\"}) {
    SCOPED_TRACE(wire);
    EXPECT_EQ(resolve_below(root_, wire).refusal, PathRefusal::EmptyPath);
    ResolvedPath resolved = resolve_below(root_, wire, /*allow_root=*/true);
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved.path, root);
  }
  // allow_root does not loosen any other check.
  EXPECT_EQ(resolve_below(root_, "..", true).refusal, PathRefusal::DotComponent);
  EXPECT_EQ(resolve_below(root_, "a\\\\b", true).refusal, PathRefusal::EmptyComponent);
  EXPECT_EQ(resolve_below(root_, "out_link", true).refusal, PathRefusal::OutsideRoot);
}

TEST_F(SafePathTest, RootGivenThroughALinkOrAsARelativeOrMissingPath) {
  const fs::path root = canonical_root();
  fs::create_directory_symlink(root_, temp_ / "root_link");
  ResolvedPath through_link = resolve_below(temp_ / "root_link", "sub\\file.txt");
  ASSERT_TRUE(through_link);
  EXPECT_EQ(through_link.path, root / "sub" / "file.txt");

  EXPECT_EQ(resolve_below(temp_ / "no_such_root", "a").refusal, PathRefusal::RootUnavailable);
  EXPECT_EQ(resolve_below(root_ / "sub" / "file.txt", "a").refusal, PathRefusal::RootUnavailable);
  EXPECT_EQ(resolve_below(root_ / "dangling_dir", "a").refusal, PathRefusal::RootUnavailable);
  // Component checks come first, so a hostile path is refused as such even without a root.
  EXPECT_EQ(resolve_below(temp_ / "no_such_root", "..").refusal, PathRefusal::DotComponent);
}

TEST_F(SafePathTest, RefusingLinksRefusesEveryLinkBelowTheRootWhereverItPoints) {
  using R = PathRefusal;
  const WireCase cases[] = {
      {"sub\\file.txt", R::None, "sub/file.txt"},
      {"sub\\new.txt", R::None, "sub/new.txt"},
      {"new\\deeper\\file.txt", R::None, "new/deeper/file.txt"},
      {"\\sub\\", R::None, "sub"},
      // Inside the root or out of it, a link is a link.
      {"in_link", R::LinkComponent, nullptr},
      {"in_link\\file.txt", R::LinkComponent, nullptr},
      {"in_link\\new.txt", R::LinkComponent, nullptr},
      {"out_link\\secret.txt", R::LinkComponent, nullptr},
      {"secret_link", R::LinkComponent, nullptr},
      {"abs_link\\etc\\passwd", R::LinkComponent, nullptr},
      {"dangling", R::LinkComponent, nullptr},
      {"pending", R::LinkComponent, nullptr},
      {"loop\\x", R::LinkComponent, nullptr},
      // The checks of the text come first, as without the rule.
      {"in_link\\..\\sub", R::DotComponent, nullptr},
      {"a\\\\b", R::EmptyComponent, nullptr},
      {"a/b", R::BadCharacter, nullptr},
      {"", R::EmptyPath, nullptr},
  };
  const fs::path root = canonical_root();
  for (const WireCase& c : cases) {
    SCOPED_TRACE("wire path \"" + c.wire + "\"");
    ResolvedPath resolved = resolve_below(root_, c.wire, false, LinkRule::Refuse);
    EXPECT_STREQ(name_of(resolved.refusal), name_of(c.refusal));
    EXPECT_EQ(resolved.path, c.below_root != nullptr ? root / c.below_root : fs::path());
  }
  // The root itself may be reached through a link: only what lies below it is judged.
  fs::create_directory_symlink(root_, temp_ / "root_link");
  ResolvedPath through_link = resolve_below(temp_ / "root_link", "sub\\file.txt", false, LinkRule::Refuse);
  ASSERT_TRUE(through_link);
  EXPECT_EQ(through_link.path, root / "sub" / "file.txt");
  EXPECT_EQ(resolve_below(root_, "", true, LinkRule::Refuse).path, root);
}

TEST(PathWithin, ComparesWholeComponents) {
  const struct {
    const char* path;
    const char* folder;
    bool within;
  } cases[] = {
      {"/a/b", "/a/b", true}, {"/a/b/c", "/a/b", true}, {"/a/bc", "/a/b", false}, {"/a", "/a/b", false},
      {"/a/b", "/", true},    {"/x/b", "/a/b", false},   {"/a/b/c/d", "/a", true},
  };
  for (const auto& c : cases) EXPECT_EQ(is_within(c.path, c.folder), c.within) << c.path << " in " << c.folder;
}

// Opening the FIFO with the blocking flag would hang; if it ever does, the writer
// end opened here releases it so the test fails instead of hanging.
std::optional<int> open_with_bound(const fs::path& path, int flags) {
  auto opened = std::async(std::launch::async, [&] { return open_regular_file(path, flags); });
  if (opened.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return opened.get();
  int other_end = ::open(path.c_str(), ((flags & O_ACCMODE) == O_RDONLY ? O_WRONLY : O_RDONLY) | O_NONBLOCK);
  int fd = opened.get();
  if (fd >= 0) ::close(fd);
  if (other_end >= 0) ::close(other_end);
  return std::nullopt;
}

TEST_F(SafePathTest, OpenRegularFileRefusesSpecialFilesWithoutBlocking) {
  const fs::path fifo = temp_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(open_with_bound(fifo, O_RDONLY), -1) << "a FIFO is refused at once";
  EXPECT_EQ(open_with_bound(fifo, O_WRONLY), -1);
  EXPECT_EQ(open_with_bound(fifo, O_RDWR), -1);

  EXPECT_EQ(open_regular_file(root_ / "sub", O_RDONLY), -1) << "a directory";
  EXPECT_EQ(open_regular_file(root_ / "secret_link", O_RDONLY), -1) << "a link as last component";
  EXPECT_EQ(open_regular_file(root_ / "in_link", O_RDONLY), -1) << "a link to a directory";
  EXPECT_EQ(open_regular_file(root_ / "dangling", O_WRONLY | O_CREAT, 0600), -1) << "creating through a dangling link";
  EXPECT_FALSE(fs::exists(temp_ / "outside" / "missing.txt"));
  EXPECT_EQ(open_regular_file("/dev/null", O_RDONLY), -1) << "a device";
  EXPECT_EQ(open_regular_file(root_ / "missing.txt", O_RDONLY), -1);
}

TEST_F(SafePathTest, OpenRegularFileOpensAndCreatesRegularFiles) {
  int fd = open_regular_file(root_ / "sub" / "file.txt", O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "the descriptor is left blocking";
  EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  char buffer[16] = {};
  EXPECT_EQ(::read(fd, buffer, sizeof buffer), 6);
  EXPECT_STREQ(buffer, "inside");
  ::close(fd);

  // A link in the middle of the path is followed; only the last component must not be one.
  fd = open_regular_file(root_ / "in_link" / "created.txt", O_WRONLY | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::write(fd, "new", 3), 3);
  ::close(fd);
  EXPECT_TRUE(fs::is_regular_file(root_ / "sub" / "created.txt"));
}

}  // namespace
}  // namespace dovel::platform
