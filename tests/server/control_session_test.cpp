#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <set>

#include "base/text.h"
#include "db/database_lock.h"
#include "platform/cp949.h"
#include "server/server_fixture.h"
#include "service/frame.h"
#include "share/file_hash.h"
#include "support/cp949_text.h"
#include "util/letter_pair.h"
#include "wire/peer_frame.h"

namespace dovel::server {
namespace {

using dovel::test::cp949;

// The records of a listing, the first one (the folder's own) apart.
struct Listing {
  std::string folder;
  std::set<std::string> records;
};

Listing parse_listing(const std::string& frame) {
  Listing listing;
  if (frame.empty() || frame.front() != 'L') return listing;
  std::vector<std::string> records = base::split(*platform::cp949_to_utf8(frame.substr(1)), '*');
  if (!records.empty() && records.back().empty()) records.pop_back();
  if (records.empty()) return listing;
  listing.folder = records.front();
  for (size_t i = 1; i < records.size(); ++i) {
    // Drop the time stamp: "F|name|size|time|flags|" -> "F|name|size|flags|".
    std::vector<std::string> fields = base::split(records[i], '|');
    if (fields.size() >= 5 && (fields[0] == "F" || fields[0] == "D") && fields[1] != "..") fields.erase(fields.begin() + 3);
    listing.records.insert(base::join(fields, "|"));
  }
  return listing;
}

class ControlSessionTest : public ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    set_shares({{"Public", settings::SHARE_READ},
                {"Adult", settings::SHARE_READ | settings::SHARE_ADULT},
                {"Friends", settings::SHARE_READ | settings::SHARE_FRIEND},
                {"Secret", settings::SHARE_READ | settings::SHARE_SECRET}});
    settings.update([](settings::StoredSettings& values) { values.folder_pass = "열쇠"; });
    temp.write("shares/Public/a.txt", "abc");
    temp.write("shares/Public/sub/b.bin", "bb");
    temp.write("shares/Public/empty.txt", "");
    temp.write("shares/Public/[DOVEL]partial.avi", "part");
    temp.write("shares/Secret/s.txt", "secret");
    temp.write("shares/Adult/x.txt", "x");
    temp.write("shares/Friends/f.txt", "f");
    temp.write("outside/passwd", "root:x");
    start_server();
  }
};

TEST_F(ControlSessionTest, GreetingTellsWhoTheOwnerIs) {
  temp.write("intro.html", "<b>안녕</b>");
  auto peer = test::TestPeer::connect(server->port(), wire::kControlKind);
  ASSERT_TRUE(peer);
  EXPECT_EQ(peer->read_control_answer(), std::string("OKKK\x0b", 5));
  std::vector<std::string> greeting = peer->read_greeting();
  ASSERT_EQ(greeting.size(), 4u);
  EXPECT_EQ(greeting[0], cp949("Downer|5|주인장") + std::string(1, '\0'));
  EXPECT_EQ(greeting[1], cp949("I0|<b>안녕</b>"));
  EXPECT_EQ(greeting[2], std::string("210\a0\a0.00\a-1") + std::string(1, '\0'));
  EXPECT_EQ(greeting[3], "5");
}

TEST_F(ControlSessionTest, RootAndFolderListings) {
  auto peer = browse();
  EXPECT_EQ(ask(peer, "L"), "Lroot*R|Public|0|0|1*R|Adult|0|0|5*R|Friends|0|0|9*R|Secret|0|0|17*");
  Listing top = parse_listing(ask(peer, "C\\Public"));
  EXPECT_EQ(top.folder, "root\\Public");
  EXPECT_EQ(top.records, (std::set<std::string>{"D|..|0|0|1|", "F|a.txt|3|1|", "D|sub|0|1|"})) << "no empty or partial files";
  Listing sub = parse_listing(ask(peer, "Csub"));
  EXPECT_EQ(sub.folder, "root\\Public\\sub");
  EXPECT_EQ(sub.records, (std::set<std::string>{"D|..|0|0|1|", "F|b.bin|2|1|"}));
  EXPECT_EQ(parse_listing(ask(peer, "C..")).folder, "root\\Public");
  EXPECT_EQ(parse_listing(ask(peer, "C..")).folder, "root") << "up from the top of a share is the root";
}

TEST_F(ControlSessionTest, AccessRulesOfEachShare) {
  auto peer = browse();
  EXPECT_EQ(ask(peer, "C\\Adult"), "X");
  peer.send_frame("A1");
  EXPECT_EQ(parse_listing(ask(peer, "C\\Adult")).folder, "root\\Adult");

  EXPECT_EQ(ask(peer, "C\\Friends"), "X");
  peer.send_frame(std::string("Dpal|3|친구") + '\0');
  EXPECT_EQ(ask(peer, "C\\Friends"), "X");
  friends.set_entries({{"PAL", "친구\x07memo"}});
  EXPECT_EQ(parse_listing(ask(peer, "C\\Friends")).folder, "root\\Friends") << "IDs compare without ASCII case";

  EXPECT_EQ(ask(peer, "C\\Secret"), "P");
  EXPECT_EQ(ask(peer, "C\\Secret|" + cp949("틀림")), "P");
  EXPECT_EQ(parse_listing(ask(peer, "C\\Secret|" + cp949("열쇠"))).folder, "root\\Secret");
  EXPECT_EQ(parse_listing(ask(peer, "C\\Secret")).folder, "root\\Secret") << "the held password still opens it";
}

TEST_F(ControlSessionTest, OwnerOpensFriendOnlyShares) {
  auto peer = browse();
  peer.send_frame(std::string("DOwner|1|me") + '\0');
  EXPECT_EQ(parse_listing(ask(peer, "C\\Friends")).folder, "root\\Friends");
}

TEST_F(ControlSessionTest, EveryShareAPathEntersIsChecked) {
  auto peer = browse();
  const struct {
    const char* path;
    const char* answer;
  } hostile[] = {
      {"Public\\\\Secret", "P"},  // the empty component returns to the root
      {"\\Public\\\\Friends", "X"},
      {"Public\\\\Adult", "X"},
      {"Public\\sub\\\\Secret", "P"},
  };
  for (const auto& c : hostile) EXPECT_EQ(ask(peer, std::string("C") + c.path), c.answer) << c.path;
  EXPECT_EQ(parse_listing(ask(peer, "L")).folder, "root") << "a refused change leaves the session where it was";
}

TEST_F(ControlSessionTest, PathsNeverLeaveTheShares) {
  std::filesystem::create_directory_symlink(temp / "outside", share_folder("Public") / "link");
  auto peer = browse();
  const struct {
    const char* path;
    const char* folder;
  } harmless[] = {
      {"..", "root"},
      {"Public\\link", "root\\Public"},
      {"\\Public\\sub\\..", "root\\Public"},
      {"\\Public\\sub\\etc:passwd", "root\\Public\\sub"},
      {"\\Public\\..", "root"},
  };
  for (const auto& c : harmless) {
    Listing listing = parse_listing(ask(peer, std::string("C") + c.path));
    EXPECT_EQ(listing.folder, c.folder) << c.path;
    for (const std::string& record : listing.records) EXPECT_EQ(record.find("passwd"), std::string::npos) << c.path;
  }
  EXPECT_EQ(parse_listing(ask(peer, "C\\Public")).records.count("D|link|0|1|"), 0u) << "links are not listed";

  // A "./" or ".\" anywhere in a path ends the connection.
  for (const char* closing : {"./x", "Public\\..\\Secret", "Public\\a/../../..", "..\\..\\etc"}) {
    auto other = browse();
    EXPECT_TRUE(other.send_frame(std::string("C") + closing));
    EXPECT_TRUE(other.closed_within()) << closing;
  }
}

TEST_F(ControlSessionTest, PlacingBySharedIndexStillChecksTheShare) {
  auto peer = browse();
  temp.write("shares/Secret/inner/i.txt", "i");
  peer.send_frame(std::string("Dstranger|0|nick|3") + '\0');  // ShareIndex 3 is the secret share
  EXPECT_EQ(ask(peer, "L"), "P");
  EXPECT_EQ(ask(peer, "Zs"), "P") << "no folder list either";
  EXPECT_EQ(ask(peer, "Csub"), "P");
  EXPECT_EQ(parse_listing(ask(peer, "Cinner|" + cp949("열쇠"))).folder, "root\\Secret\\inner") << "the right password opens it";

  auto other = browse();
  other.send_frame(std::string("Dsomeone|10|nick|0") + '\0');
  EXPECT_EQ(parse_listing(ask(other, "L")).folder, "root\\Public") << "an open share is listed at once";
  const auto rows = monitor.peer_rows();
  ASSERT_EQ(rows.size(), 2u);
  for (const PeerRow& row : rows) EXPECT_EQ(row.level, 9) << "levels outside 1..9 are stored as 9";
}

TEST_F(ControlSessionTest, FrameLengthsOutsideTheRangeCloseTheConnection) {
  for (uint32_t length : {0u, 1024u}) {
    auto peer = browse();
    std::string word(4, '\0');
    uint32_t scrambled = length ^ service::kScrambleKey;
    std::memcpy(word.data(), &scrambled, 4);
    peer.send_raw(word + std::string(length, 'L'));
    EXPECT_TRUE(peer.closed_within()) << length;
  }
  auto peer = browse();
  EXPECT_TRUE(peer.send_frame("Q"));
  EXPECT_TRUE(peer.closed_within()) << "an unknown letter ends the connection";
}

TEST_F(ControlSessionTest, BlockedPeersAreTurnedAway) {
  blocks.set_entries({{"pest", ""}});
  auto peer = browse();
  EXPECT_EQ(ask(peer, std::string("Dpest|3|nick|-1") + '\0'), "3");
  // The connection stays, as peers expect after "3"; no share lets the user in.
  EXPECT_EQ(ask(peer, "C\\Public"), "X");
  EXPECT_EQ(ask(peer, "Ha.txt|3"), "1");
  EXPECT_EQ(parse_listing(ask(peer, "L")).folder, "root");
}

TEST_F(ControlSessionTest, HashRequestsAreAnsweredByTheWorker) {
  const auto file = share_folder("Public") / "a.txt";
  const std::string expected = *share::sampled_md5_of_file(file);
  auto peer = browse();
  ask(peer, "C\\Public");
  EXPECT_EQ(ask(peer, "Ha.txt|3"), "H" + expected + "|a.txt|3");
  EXPECT_EQ(ask(peer, "Ra.txt|3"), "R" + expected + "|a.txt|3");
  EXPECT_EQ(ask(peer, "Ka.txt|3"), "K" + expected + "|a.txt|3|" + util::EncodeWire("owner"));
  EXPECT_EQ(ask(peer, "Hmissing.txt|3"), "1");
  EXPECT_EQ(ask(peer, "H..|3"), "1");
  EXPECT_EQ(ask(peer, "H../../outside/passwd|6"), "1");
  peer.send_frame("Hno-size");
  EXPECT_EQ(ask(peer, "L").front(), 'L') << "a malformed request gets no answer";
}

TEST_F(ControlSessionTest, AHashRequestNeedsTheFilesOwnSize) {
  auto peer = browse();
  ask(peer, "C\\Public");
  for (const char* wrong : {"0", "2", "4", "-3"}) EXPECT_EQ(ask(peer, std::string("Ha.txt|") + wrong), "1") << wrong;
  EXPECT_EQ(ask(peer, "Ha.txt|3").front(), 'H');
}

TEST_F(ControlSessionTest, AHashRequestIsAnsweredFromTheSharesRowsOnly) {
  // The secret share holds a hashed file of the same name and size as one asked for in the public share.
  {
    std::lock_guard guard(db::database_lock());
    databases.data.Execute("Insert Into shared_files (hash,name,extention,file_type,size,path,shared_index,hash_version,uniq_id,right) "
                           "Values ('0123456789abcdef0123456789abcdef','s','txt',1,6,'',3,7,1,17)");
  }
  auto peer = browse();
  ask(peer, "C\\Public");
  EXPECT_EQ(ask(peer, "Hs.txt|6"), "1") << "the secret share's row stays unseen";
}

TEST_F(ControlSessionTest, FindByHashEntersTheFilesFolder) {
  const std::string hash = *share::sampled_md5_of_file(share_folder("Public") / "sub/b.bin");
  {
    std::lock_guard guard(db::database_lock());
    databases.data.Execute("Insert Into shared_files (hash,name,extention,file_type,size,path,shared_index,hash_version,uniq_id,right) "
                           "Values ('" + hash + "','b','bin',1,2,'sub',0,7,1,1)");
  }
  auto peer = browse();
  EXPECT_EQ(parse_listing(ask(peer, "F" + hash)).folder, "root\\Public\\sub");
  peer.send_frame("F00000000000000000000000000000000");
  peer.send_frame("F' OR 1=1 --");
  EXPECT_EQ(parse_listing(ask(peer, "L")).folder, "root\\Public\\sub") << "unknown hashes get no answer";
}

TEST_F(ControlSessionTest, FolderDownloadListIsBoundedAndStaysInside) {
  settings.update([](settings::StoredSettings& values) { values.max_for_folder_down = 3; });
  for (int i = 0; i < 520; ++i) temp.write("shares/Public/many/f" + std::to_string(i) + ".txt", "x");
  temp.write("shares/Public/many/deeper/d.txt", "dd");
  auto peer = browse();
  EXPECT_TRUE(peer.send_frame("Zmany"));
  EXPECT_TRUE(peer.closed_within()) << "a folder list outside a share ends the connection";

  auto inside = browse();
  ask(inside, "C\\Public");
  for (const std::string path : {"many", "\\many", "Public\\many", "\\Public\\many"}) {
    std::string answer = ask(inside, "Z" + path);
    ASSERT_EQ(answer.substr(0, 6), "Zmany\x01") << path;
    ASSERT_EQ(answer.back(), '\0');
    std::vector<std::string> parts = base::split(answer.substr(6, answer.size() - 7), '|');
    ASSERT_GE(parts.size(), 7u);
    EXPECT_EQ(parts[0], "500");
    EXPECT_EQ(parts[1], util::EncodeWire("owner"));
    EXPECT_EQ(parts[2], "tokenA");
    EXPECT_EQ(parts[3], "tokenB");
    EXPECT_EQ(parts[4], "0");
    EXPECT_EQ(parts[5], "");
    EXPECT_EQ(base::split(parts[6], '\x07').size(), 500u) << path;
  }
  const char* escaping[] = {"..\\..\\outside", "many\\..\\..", "../outside", "\\"};
  for (const char* path : escaping) inside.send_frame(std::string("Z") + path);
  EXPECT_EQ(parse_listing(ask(inside, "L")).folder, "root\\Public") << "escaping folder lists get no answer";
}

// Hashing that takes as long as the test says: every hash on demand waits for the release.
class HeldHashing final : public share::HashService {
 public:
  bool active() const override { return false; }
  share::FileHash hash_on_demand(std::string_view, std::string_view, int64_t, settings::ShareIndex, const share::ShareFilter&) override {
    released_.wait();
    return {};
  }
  void release() { release_.set_value(); }

 private:
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
};

// Writes as much of `bytes` as the connection takes; stops when it has taken
// nothing for a second (the other side stopped reading). The bytes written.
size_t write_until_stalled(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    if (platform::wait_writable(fd, 1000) != platform::WaitResult::Ready) break;
    const ssize_t sent = ::send(fd, bytes.data() + written, bytes.size() - written, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0 && errno != EAGAIN && errno != EINTR) break;
    if (sent > 0) written += static_cast<size_t>(sent);
  }
  return written;
}

TEST_F(ControlSessionTest, AFloodOfHashRequestsIsReadOnlyAsFastAsItIsAnswered) {
  HeldHashing held;
  context.hashing = &held;
  auto flooder = browse();
  ask(flooder, "C\\Public");
  int small = 16 * 1024;
  ::setsockopt(flooder.fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  std::string flood;
  constexpr int kRequests = 100000;
  for (int i = 0; i < kRequests; ++i) flood += wire::build_peer_frame("Hnobody.bin|1");
  // The flooder never reads; its worker is held at the first request.
  const size_t taken = write_until_stalled(flooder.fd(), flood);
  EXPECT_LT(taken, flood.size() / 4) << "the session stopped reading once its worker had enough waiting";

  auto other = browse();
  EXPECT_EQ(parse_listing(ask(other, "C\\Public")).folder, "root\\Public") << "other peers are served meanwhile";
  held.release();
  server->stop_share_server(false);
  context.hashing = &hashing;
}

}  // namespace
}  // namespace dovel::server
