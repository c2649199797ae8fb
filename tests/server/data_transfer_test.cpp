// The data thread end to end: a test peer on the other end of a socket asks for
// files the way a downloading client does.
#include "server/data_thread.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/text.h"
#include "db/database_lock.h"
#include "platform/cp949.h"
#include "platform/socket.h"
#include "server/data_connections.h"
#include "server/upload_monitor.h"
#include "service/frame.h"
#include "service/service_session.h"
#include "service/user_list_store.h"
#include "share/file_hash.h"
#include "support/eventually.h"
#include "support/share_server_home.h"
#include "util/letter_pair.h"
#include "util/little_endian.h"
#include "util/log_files.h"
#include "wire/info_block.h"

namespace dovel::server {
namespace {

using test::eventually;
using namespace std::chrono_literals;
using share::ArchiveVerdict;

constexpr int64_t kSongSize = 100000;
constexpr int64_t kMiB = 1048576;
const std::string kNoHash(32, '0');

// Bytes that differ from position to position, so that a shifted range shows.
std::string pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 13 + i / 251) % 256);
  return bytes;
}

// The first reading is when the request was checked; every later one is two
// seconds on: the upload took exactly 2000 ms.
class TwoSecondUploadClock final : public platform::Clock {
 public:
  platform::Tick tick() const override { return read_.exchange(true) ? 7000 : 5000; }
  uint64_t performance_counter() const override { return platform::system_clock().performance_counter(); }
  platform::LocalDateTime local_now() const override { return platform::system_clock().local_now(); }
  int64_t unix_seconds() const override { return platform::system_clock().unix_seconds(); }
  void restart() { read_ = false; }

 private:
  mutable std::atomic<bool> read_{false};
};

class FakeArchiveChecker final : public share::ArchiveChecker {
 public:
  ArchiveVerdict check_archive(const std::filesystem::path& file, bool probe_all) override {
    std::lock_guard guard(lock_);
    asked_.emplace_back(file, probe_all);
    return verdict;
  }
  std::vector<std::pair<std::filesystem::path, bool>> asked() const {
    std::lock_guard guard(lock_);
    return asked_;
  }
  std::atomic<ArchiveVerdict> verdict{ArchiveVerdict::Allowed};

 private:
  mutable std::mutex lock_;
  std::vector<std::pair<std::filesystem::path, bool>> asked_;
};

// A download request as the requesting side formats it, by default the whole of
// public/Music/song.bin by path. Fields are UTF-8 and travel in their CP949 form;
// one that has none travels as it is.
struct Request {
  std::string mode = "1", index = "0", path = "Music", user = "peer", level = "3", hash, size = std::to_string(kSongSize), start = "0",
              end = std::to_string(kSongSize), adult = "1", address = "127.0.0.9", port = "9911", password, name = "song.bin",
              follow_up = "0", nickname = "이웃", tag = "dovel", privilege = "0";
  std::optional<std::string> raw;  // sent instead of the fields

  std::string wire() const {
    if (raw) return *raw;
    std::vector<std::string> fields;
    for (const std::string* field : {&mode, &index, &path, &user, &level, &hash, &size, &start, &end, &adult, &address, &port, &password,
                                     &name, &follow_up, &nickname, &tag, &privilege}) {
      fields.push_back(platform::utf8_to_cp949(*field).value_or(*field));
    }
    return base::join(fields, "|");
  }
};

// What the test peer received.
struct Exchange {
  std::string hello;   // the 16-bit value 1
  std::string answer;  // status, friend byte, flags byte, 0, 0
  std::string info;    // the information block, when accepted
  std::string data;
  int status() const { return answer.empty() ? -1 : static_cast<uint8_t>(answer[0]); }
};

// The downloading side of one data connection.
class TestPeer {
 public:
  TestPeer(std::shared_ptr<DataConnection> connection, std::future<void> server, platform::UniqueFd fd)
      : connection_(std::move(connection)), server_(std::move(server)), fd_(std::move(fd)) {}

  int fd() const { return fd_.get(); }
  void send(std::string_view bytes) { ASSERT_EQ(platform::send_all(fd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  void send_request(const std::string& wire) { send(wire::build_peer_frame(wire)); }
  // Up to `count` bytes: fewer when the server closed or half a minute passed.
  std::string read(size_t count) {
    std::string bytes(count, '\0');
    size_t got = 0;
    while (got < count) {
      const ssize_t n = platform::receive_some(fd(), bytes.data() + got, count - got, 30000);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }
  std::string read_to_end() {
    std::string bytes;
    char buffer[65536];
    while (true) {
      const ssize_t n = platform::receive_some(fd(), buffer, sizeof buffer, 30000);
      if (n <= 0) return bytes;
      bytes.append(buffer, static_cast<size_t>(n));
    }
  }
  void close() { fd_.reset(); }
  // False when the data thread is still running half a minute on; it is then
  // stopped, so that a thread that never ends fails the test instead of hanging it.
  bool server_ended() {
    if (server_.wait_for(30s) == std::future_status::ready) return true;
    connection_->running = false;
    connection_->socket->shutdown();
    return false;
  }

 private:
  std::shared_ptr<DataConnection> connection_;
  std::future<void> server_;  // before the socket: it closes before the end is awaited
  platform::UniqueFd fd_;
};

class DataTransferTest : public ::testing::Test, protected test::ShareServerHome {
 protected:
  DataTransferTest()
      : ShareServerHome({.clock = &clock,
                         .owner = {"owner", 5, "주인", "tokenA", "tokenB"},
                         .shares = {{"public", settings::SHARE_READ},
                                    {"adult", settings::SHARE_READ | settings::SHARE_ADULT},
                                    {"friends", settings::SHARE_READ | settings::SHARE_FRIEND},
                                    {"secret", settings::SHARE_READ | settings::SHARE_SECRET}},
                         .archive = &archive}) {}

  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    ASSERT_TRUE(settings.update([](settings::StoredSettings& values) {
      values.folder_pass = "열려라";
      values.max_upload = 3;
      values.ultra_turbo = false;
    }));
    song = pattern(kSongSize, 1);
    for (const char* place : {"shares/public/Music/song.bin", "shares/adult/song.bin", "shares/friends/song.bin", "shares/secret/song.bin"}) {
      temp.write(place, song);
    }
    // Same size, other bytes: what a request must never reach.
    temp.write("outside/song.bin", pattern(kSongSize, 2));
    temp.write("shares/song.bin", pattern(kSongSize, 3));
  }
  void TearDown() override { util::ConfigureLogFiles(temp.path(), platform::system_clock()); }

  static std::filesystem::path sparse(const std::filesystem::path& path, int64_t size) { return test::write_sparse_file(path, size); }

  // Starts the data thread on `server_end`, listed first as the server does.
  TestPeer start(platform::UniqueFd server_end, platform::UniqueFd peer_end, const std::string& listed_user = "") {
    auto connection = std::make_shared<DataConnection>();
    connection->id = ++next_id;
    connection->socket = std::make_shared<wire::PeerSocket>(std::move(server_end));
    if (!listed_user.empty()) connection->set_user_id(listed_user);
    list.add(connection);
    last_connection = connection;
    auto served = std::async(std::launch::async, [this, connection, thread_options = options] {
      serve_data_connection(context, list, connection, thread_options);
    });
    return TestPeer(connection, std::move(served), std::move(peer_end));
  }

  TestPeer connect(const std::string& listed_user = "") {
    int fds[2] = {-1, -1};
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    return start(platform::UniqueFd(fds[0]), platform::UniqueFd(fds[1]), listed_user);
  }

  TestPeer connect_loopback() {
    const platform::Ipv4 loopback = *platform::parse_ipv4("127.0.0.1");
    platform::UniqueFd listener(platform::make_tcp_listener(loopback, 0, 1));
    platform::UniqueFd client(platform::create_tcp_socket());
    EXPECT_TRUE(platform::connect_tcp(client.get(), loopback, platform::local_port(listener.get()), 5000));
    platform::UniqueFd accepted(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    EXPECT_TRUE(accepted.valid());
    return start(std::move(accepted), std::move(client));
  }

  Exchange exchange(const std::string& wire, const std::string& listed_user = "") {
    TestPeer peer = connect(listed_user);
    Exchange result;
    result.hello = peer.read(2);
    peer.send_request(wire);
    result.answer = peer.read(5);
    if (result.status() == 1) result.info = peer.read(wire::kInfoBlockSize);
    result.data = peer.read_to_end();
    EXPECT_TRUE(peer.server_ended());
    return result;
  }

  // Reads up to the information block of an accepted download, leaving the data unread.
  void begin_download(TestPeer& peer, const Request& request) {
    ASSERT_EQ(peer.read(2), std::string("\x01\x00", 2));
    peer.send_request(request.wire());
    ASSERT_EQ(peer.read(5).substr(0, 1), "\x01");
    ASSERT_EQ(peer.read(wire::kInfoBlockSize).size(), wire::kInfoBlockSize);
  }

  // Another listed data connection, as if another upload were running.
  std::shared_ptr<DataConnection> list_other(const std::string& user_id) {
    auto other = std::make_shared<DataConnection>();
    other->id = ++next_id;
    other->socket = std::make_shared<wire::PeerSocket>(platform::UniqueFd());
    other->set_user_id(user_id);
    other->request_read = true;
    list.add(other);
    return other;
  }

  void insert_row(const std::string& hash, const std::string& name, const std::string& path, int64_t size) {
    std::lock_guard guard(db::database_lock());
    db::Sqlite3Statement insert = databases.data.Prepare(
        "Insert Into shared_files (hash,name,extention,file_type,size,path,right,shared_name,shared_index) "
        "Values (?,?,'bin',1,?,?,1,'public',0)");
    insert.Bind(0, hash);
    insert.Bind(1, name);
    insert.Bind(2, size);
    insert.Bind(3, path);
    insert.Execute();
  }

  std::string upload_log() const {
    std::string text;
    const auto folder = util::ProcessLog()->file_for(util::kUploadLog, platform::system_clock().local_now()).parent_path();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) text += test::read_file(entry.path());
    return text;
  }

  TwoSecondUploadClock clock;
  FakeArchiveChecker archive;
  DataConnectionList list;
  DataThreadOptions options{30000, 50};
  uint64_t next_id = 100;
  std::shared_ptr<DataConnection> last_connection;
  std::string song;
};

std::string answer(int status, int friend_byte, int flags) {
  return {static_cast<char>(status), static_cast<char>(friend_byte), static_cast<char>(flags), '\0', '\0'};
}

TEST_F(DataTransferTest, RequestsAreCheckedInOrderAndRefusedWithTheirCode) {
  struct Situation {
    bool blocked = false;
    bool is_friend = false;
    uint32_t max_upload = 3;
    bool same_user_uploading = false;
    bool other_user_uploading = false;
    bool listed_as_requester = false;  // this connection already carries the requester's ID
    ArchiveVerdict archive = ArchiveVerdict::Allowed;
    std::string folder_pass = "열려라";
  };
  struct Case {
    const char* what;
    std::function<void(Request&)> change;
    Situation situation;
    std::string expected;
  };
  const auto size_plus = [](int64_t extra) { return std::to_string(kSongSize + extra); };
  const uint32_t kAdult = settings::SHARE_READ | settings::SHARE_ADULT;
  const uint32_t kFriend = settings::SHARE_READ | settings::SHARE_FRIEND;
  const uint32_t kSecret = settings::SHARE_READ | settings::SHARE_SECRET;
  const std::vector<Case> cases = {
      {"a plain request", {}, {}, answer(1, 0, 1)},
      {"fewer than 12 fields", [](Request& r) { r.raw = "1|0|Music|peer|3||100000|0|100000|1|127.0.0.9"; }, {}, answer(5, 0, 0)},
      {"a name that is not CP949", [](Request& r) { r.name = "song\x80.bin"; }, {}, answer(5, 0, 0)},
      {"start at the size", [&](Request& r) { r.start = r.end = size_plus(0); }, {}, answer(5, 0, 0)},
      {"end beyond the size", [&](Request& r) { r.end = size_plus(1); }, {}, answer(5, 0, 0)},
      {"an empty range", [](Request& r) { r.start = r.end = "10"; }, {}, answer(5, 0, 0)},
      {"a negative start", [](Request& r) { r.start = "-1"; }, {}, answer(5, 0, 0)},
      {"an unknown mode", [](Request& r) { r.mode = "2"; }, {}, answer(5, 0, 0)},
      {"the wrong size", [&](Request& r) { r.size = r.end = size_plus(-1); }, {}, answer(5, 0, 0)},
      {"no such file", [](Request& r) { r.name = "missing.bin"; }, {}, answer(5, 0, 0)},
      {"a share index of another share", [](Request& r) { r.index = "3"; }, {}, answer(1, 0, 1)},
      {"by hash without a hash", [](Request& r) { r.mode = "0"; }, {}, answer(6, 0, 0)},
      {"an unknown hash naming no file",
       [](Request& r) {
         r.mode = "0";
         r.hash = kNoHash;
         r.path = r.name = "";
       },
       {},
       answer(6, 0, 0)},
      {"an unknown hash naming a shared file is hashed on demand",
       [](Request& r) {
         r.mode = "0";
         r.hash = kNoHash;
       },
       {},
       answer(1, 0, 1)},
      {"an adult folder for a minor",
       [](Request& r) {
         r.index = "1";
         r.path = "";
         r.adult = "0";
       },
       {},
       answer(7, 0, kAdult)},
      {"a blocked user", {}, {.blocked = true}, answer(30, 0, 0)},
      {"blocking comes before everything else", [&](Request& r) { r.end = size_plus(1); },
       {.blocked = true, .max_upload = 0, .same_user_uploading = true}, answer(30, 0, 0)},
      {"a friends' folder for a stranger",
       [](Request& r) {
         r.index = "2";
         r.path = "";
       },
       {},
       answer(31, 0, kFriend)},
      {"a friends' folder for a friend",
       [](Request& r) {
         r.index = "2";
         r.path = "";
       },
       {.is_friend = true}, answer(1, 1, kFriend)},
      {"a friends' folder for its owner, in any letter case",
       [](Request& r) {
         r.index = "2";
         r.path = "";
         r.user = "OWNER";
       },
       {}, answer(1, 0, kFriend)},
      {"the archive-check privilege opens no friends' folder",
       [](Request& r) {
         r.index = "2";
         r.path = "";
         r.privilege = "1";
       },
       {}, answer(31, 0, kFriend)},
      {"nor a secret one",
       [](Request& r) {
         r.index = "3";
         r.path = "";
         r.privilege = "1";
       },
       {}, answer(35, 0, kSecret)},
      {"a secret folder without password",
       [](Request& r) {
         r.index = "3";
         r.path = "";
       },
       {},
       answer(35, 0, kSecret)},
      {"a secret folder with the wrong password",
       [](Request& r) {
         r.index = "3";
         r.path = "";
         r.password = "열려";
       },
       {},
       answer(35, 0, kSecret)},
      {"a secret folder with its password",
       [](Request& r) {
         r.index = "3";
         r.path = "";
         r.password = "열려라";
       },
       {},
       answer(1, 0, kSecret)},
      {"a secret folder while no password is set",
       [](Request& r) {
         r.index = "3";
         r.path = "";
       },
       {.folder_pass = ""}, answer(35, 0, kSecret)},
      {"more uploads than allowed", {}, {.max_upload = 1, .other_user_uploading = true}, answer(3, 0, 0)},
      {"this upload counts too, but is allowed", {}, {.max_upload = 1}, answer(1, 0, 1)},
      {"the same user's upload still runs", {}, {.same_user_uploading = true}, answer(33, 0, 0)},
      {"and that comes before the upload limit", {}, {.max_upload = 1, .same_user_uploading = true}, answer(33, 0, 0)},
      {"a follow-up waits for the same user's upload too", [](Request& r) { r.follow_up = "1"; }, {.same_user_uploading = true},
       answer(33, 0, 0)},
      {"this connection is not another upload of the user", {}, {.listed_as_requester = true}, answer(1, 0, 1)},
      {"the upload limit comes before the range", [&](Request& r) { r.end = size_plus(1); },
       {.max_upload = 1, .other_user_uploading = true}, answer(3, 0, 0)},
      {"the range comes before the folder's rules",
       [&](Request& r) {
         r.index = "1";
         r.path = "";
         r.adult = "0";
         r.end = size_plus(1);
       },
       {},
       answer(5, 0, 0)},
      {"the folder's rules come before the archive check",
       [](Request& r) {
         r.index = "1";
         r.path = "";
         r.adult = "0";
       },
       {.archive = ArchiveVerdict::Forbidden}, answer(7, 0, kAdult)},
      {"an archive holding forbidden files", {}, {.archive = ArchiveVerdict::Forbidden}, answer(39, 0, 1)},
      {"an archive that cannot be checked", {}, {.archive = ArchiveVerdict::Error}, answer(40, 0, 1)},
      {"a resumed download skips the archive check", [](Request& r) { r.start = "1"; }, {.archive = ArchiveVerdict::Forbidden},
       answer(1, 0, 1)},
      {"a privileged download skips the archive check", [](Request& r) { r.privilege = "1"; }, {.archive = ArchiveVerdict::Forbidden},
       answer(1, 0, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Situation& s = c.situation;
    blocks.set_entries(s.blocked ? std::map<std::string, std::string>{{"PEER", "이웃"}} : std::map<std::string, std::string>{});
    friends.set_entries(s.is_friend ? std::map<std::string, std::string>{{"Peer", "이웃"}} : std::map<std::string, std::string>{});
    ASSERT_TRUE(settings.update([&](settings::StoredSettings& values) { 
      values.max_upload = s.max_upload;
      values.folder_pass = s.folder_pass;
    }));
    archive.verdict = s.archive;
    std::vector<std::shared_ptr<DataConnection>> others;
    if (s.same_user_uploading) others.push_back(list_other("Peer"));
    if (s.other_user_uploading) others.push_back(list_other("someone"));
    Request request;
    if (c.change) c.change(request);

    const Exchange result = exchange(request.wire(), s.listed_as_requester ? "peer" : "");
    EXPECT_EQ(result.hello, std::string("\x01\x00", 2));
    EXPECT_EQ(result.answer, c.expected);
    EXPECT_EQ(result.info.size(), result.status() == 1 ? wire::kInfoBlockSize : 0u);
    if (result.status() == 1) {
      EXPECT_EQ(result.data, song.substr(std::stoul(request.start)));
    } else {
      EXPECT_EQ(result.data, "");
    }
    for (const auto& other : others) list.remove(other->id);
    EXPECT_EQ(list.count(), 0u);
  }
  EXPECT_EQ(meter.running_uploads, 0);
}

TEST_F(DataTransferTest, ConnectionsThatSentNoRequestYetTakeNoUploadPlace) {
  ASSERT_TRUE(settings.update([](settings::StoredSettings& values) { values.max_upload = 1; }));
  auto silent = std::make_shared<DataConnection>();
  silent->id = ++next_id;
  silent->socket = std::make_shared<wire::PeerSocket>(platform::UniqueFd());
  list.add(silent);
  EXPECT_EQ(exchange(Request().wire()).status(), 1) << "a connection still silent is no running upload";
  list_other("someone");
  EXPECT_EQ(exchange(Request().wire()).status(), 3);
}

TEST_F(DataTransferTest, UnreadableRequestsAreAnsweredWithFour) {
  const auto length_word = [](uint32_t length) {
    std::string word;
    util::append_u32(word, length ^ service::kScrambleKey);
    return word;
  };
  const struct {
    const char* what;
    std::string sent;
  } cases[] = {
      {"nothing at all", ""},
      {"an empty frame", length_word(0)},
      {"a frame longer than 1024 bytes", wire::build_peer_frame(Request().wire() + "|" + std::string(1024, 'x'))},
      {"half a frame", length_word(100) + "1|0|Mus"},
      {"half a length word", "\x01\x02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestPeer peer = connect();
    EXPECT_EQ(peer.read(2), std::string("\x01\x00", 2));
    peer.send(c.sent);
    ::shutdown(peer.fd(), SHUT_WR);
    EXPECT_EQ(peer.read(5), answer(4, 0, 0));
    EXPECT_EQ(peer.read_to_end(), "");
    EXPECT_TRUE(peer.server_ended());
  }
}

TEST_F(DataTransferTest, ARequestOfExactly1024BytesIsRead) {
  Request request;
  request.tag = "dovel" + std::string(1024 - request.wire().size(), 'x');
  ASSERT_EQ(request.wire().size(), 1024u);
  EXPECT_EQ(exchange(request.wire()).status(), 1);
}

TEST_F(DataTransferTest, SendsTheInformationBlockAndExactlyTheRequestedBytes) {
  const share::FileHash hash = hashing.hash_on_demand("Music", "song.bin", kSongSize, 0, share::any_share);
  ASSERT_EQ(hash, *share::sampled_md5_of_file(share_folder("public") / "Music/song.bin"));
  const struct {
    const char* what;
    std::function<void(Request&)> change;
    bool ultra_turbo;
    int64_t start, end;
  } cases[] = {
      {"a range by path", [](Request& r) { r.start = "1000", r.end = "51000"; }, false, 1000, 51000},
      {"the last byte", [](Request& r) { r.start = "99999"; }, false, 99999, kSongSize},
      {"the whole file by hash",
       [&](Request& r) {
         r.mode = "0";
         r.hash = hash;
         r.path = "";
       },
       false, 0, kSongSize},
      {"a range by hash with UltraTurbo",
       [&](Request& r) {
         r.mode = "0";
         r.hash = hash;
         r.start = "17";
         r.end = "99000";
       },
       true, 17, 99000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(settings.update([&](settings::StoredSettings& values) { values.ultra_turbo = c.ultra_turbo; }));
    Request request;
    c.change(request);
    const uint64_t counted_before = meter.uploaded_bytes;

    const Exchange result = exchange(request.wire());
    EXPECT_EQ(result.answer, answer(1, 0, settings::SHARE_READ));
    ASSERT_EQ(result.info.size(), wire::kInfoBlockSize);
    EXPECT_EQ(util::DecodeWire(result.info.substr(0, 36).c_str()), "owner");
    EXPECT_EQ(std::string(result.info.substr(36, 32).c_str()), "tokenA");
    EXPECT_EQ(std::string(result.info.substr(68, 32).c_str()), "tokenB");
    EXPECT_EQ(result.info[100], 5);
    EXPECT_EQ(util::read_u32(result.info.data() + 104), 0u);
    EXPECT_EQ(std::string(result.info.substr(108, 2016).c_str()), "Music");
    EXPECT_EQ(result.info.substr(2124, 32), hash);
    EXPECT_EQ(result.data, song.substr(static_cast<size_t>(c.start), static_cast<size_t>(c.end - c.start)));
    EXPECT_EQ(meter.uploaded_bytes - counted_before, static_cast<uint64_t>(c.end - c.start));
  }
}

TEST_F(DataTransferTest, NothingOutsideTheSharesIsServed) {
  std::filesystem::create_symlink(temp / "outside/song.bin", share_folder("public") / "Music/link.bin");
  std::filesystem::create_directory_symlink(temp / "outside", share_folder("public") / "out");
  const share::FileHash song_hash = hashing.hash_on_demand("Music", "song.bin", kSongSize, 0, share::any_share);
  ASSERT_FALSE(song_hash.empty());
  // Rows that a damaged or doctored table could hold.
  const std::string kRowLeavesByPath = "feedfacefeedfacefeedfacefeedface";
  const std::string kRowLeavesByName = "0ddba110ddba110ddba110ddba110ddb";
  insert_row(kRowLeavesByPath, "song", "..\\..\\outside", kSongSize);
  insert_row(kRowLeavesByName, "../../outside/song", "", kSongSize);
  insert_row("abc", "song", "Music", kSongSize);

  const struct {
    const char* what;
    std::function<void(Request&)> change;
    int status;
  } cases[] = {
      {"parent folders", [](Request& r) { r.path = "..\\..\\outside"; }, 5},
      {"parent folders with slashes", [](Request& r) { r.path = "../../outside"; }, 5},
      {"the parent folder as the whole path", [](Request& r) { r.path = ".."; }, 5},
      {"a path ending in the parent folder", [](Request& r) { r.path = "Music\\.."; }, 5},
      {"a slash inside a component", [](Request& r) { r.path = "Music/.."; }, 5},
      {"a name that climbs", [](Request& r) { r.path = "", r.name = "../song.bin"; }, 5},
      {"a name that climbs with backslashes", [](Request& r) { r.path = "", r.name = "..\\..\\outside\\song.bin"; }, 5},
      {"the parent folder as the name", [](Request& r) { r.path = "", r.name = ".."; }, 5},
      {"a link to a file outside", [](Request& r) { r.name = "link.bin"; }, 5},
      {"a linked folder", [](Request& r) { r.path = "out"; }, 5},
      {"a known hash with names outside",
       [&](Request& r) {
         r.mode = "0";
         r.hash = song_hash;
         r.path = "..\\..\\outside";
       },
       1},
      {"an unknown hash with names outside",
       [](Request& r) {
         r.mode = "0";
         r.hash = kNoHash;
         r.path = "..\\..\\outside";
       },
       6},
      {"an unknown hash with the parent folder as the path",
       [](Request& r) {
         r.mode = "0";
         r.hash = kNoHash;
         r.path = "..";
       },
       6},
      {"an unknown hash with a link",
       [](Request& r) {
         r.mode = "0";
         r.hash = kNoHash;
         r.name = "link.bin";
       },
       6},
      {"a stored row whose path leaves the share",
       [&](Request& r) {
         r.mode = "0";
         r.hash = kRowLeavesByPath;
         r.path = r.name = "";
       },
       6},
      {"a stored row whose name leaves the share",
       [&](Request& r) {
         r.mode = "0";
         r.hash = kRowLeavesByName;
         r.path = r.name = "";
       },
       6},
      {"a stored hash that is not 32 hex digits",
       [](Request& r) {
         r.mode = "0";
         r.hash = "abc";
         r.path = r.name = "";
       },
       6},
      {"quotes for a hash",
       [](Request& r) {
         r.mode = "0";
         r.hash = "\" Or 1=1 Or \"\"=\"0123456789abcdef";
         r.path = r.name = "";
       },
       6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Request request;
    c.change(request);
    const Exchange result = exchange(request.wire());
    EXPECT_EQ(result.status(), c.status);
    EXPECT_EQ(result.data, c.status == 1 ? song : "");
  }
}

TEST_F(DataTransferTest, UploadsOfAMebibyteOrMoreAreLoggedAndEveryByteIsCountedOnce) {
  const struct {
    const char* name;
    int64_t size;
    const char* line;  // nullptr: not logged
  } cases[] = {
      {"k900.bin", 921600, nullptr},
      {"short.bin", kMiB - 1, nullptr},
      {"mib.bin", kMiB, "이웃, 1,048,576바이트(1,024k), 512.00K, mib.bin"},
      {"big.bin", kMiB + 5, "이웃, 1,048,581바이트(1,024k), 512.00K, big.bin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sparse(share_folder("public") / c.name, c.size);
    clock.restart();
    const uint64_t counted_before = meter.uploaded_bytes;
    Request request;
    request.path = "";
    request.name = c.name;
    request.size = request.end = std::to_string(c.size);

    const Exchange result = exchange(request.wire());
    EXPECT_EQ(result.status(), 1);
    EXPECT_EQ(static_cast<int64_t>(result.data.size()), c.size);
    EXPECT_EQ(meter.uploaded_bytes - counted_before, static_cast<uint64_t>(c.size));
    const std::string log = upload_log();
    if (c.line != nullptr) {
      EXPECT_EQ(log.rfind(util::kUploadLogHeader, 0), 0u);
      EXPECT_NE(log.find(std::string("  ") + c.line + "\r\n"), std::string::npos) << log;
    } else {
      EXPECT_EQ(log.find(c.name), std::string::npos) << log;
    }
  }
}

TEST_F(DataTransferTest, APeerThatLeavesAfterAMebibyteEndedItsUploadNormally) {
  sparse(share_folder("public") / "large.bin", 8 * kMiB);
  Request request;
  request.path = "";
  request.name = "large.bin";
  request.size = request.end = std::to_string(8 * kMiB);
  TestPeer peer = connect();
  begin_download(peer, request);
  ASSERT_EQ(peer.read(2 * kMiB).size(), static_cast<size_t>(2 * kMiB));
  peer.close();
  ASSERT_TRUE(peer.server_ended());
  EXPECT_NE(upload_log().find(", large.bin\r\n"), std::string::npos);
  EXPECT_TRUE(monitor.uploads().empty());
}

TEST_F(DataTransferTest, AFileThatShrinksWhileItIsSentEndsTheUpload) {
  const std::string content = pattern(static_cast<size_t>(4 * kMiB), 4);
  const auto file = temp.write("shares/public/shrinks.bin", content);
  Request request;
  request.path = "";
  request.name = "shrinks.bin";
  request.size = request.end = std::to_string(4 * kMiB);
  TestPeer peer = connect();
  begin_download(peer, request);
  // The peer reads nothing yet, so the upload waits on its socket well before 2 MiB.
  ASSERT_TRUE(eventually([&] { return monitor.uploads().size() == 1; }));
  ASSERT_LT(monitor.uploads().front()->current, 2 * kMiB);
  std::filesystem::resize_file(file, static_cast<uintmax_t>(2 * kMiB));

  EXPECT_EQ(peer.read_to_end(), content.substr(0, static_cast<size_t>(2 * kMiB)));
  ASSERT_TRUE(peer.server_ended());
  EXPECT_EQ(upload_log().find("shrinks.bin"), std::string::npos) << "a failed upload is not logged";
  EXPECT_TRUE(monitor.uploads().empty());
  EXPECT_EQ(meter.uploaded_bytes, static_cast<uint64_t>(2 * kMiB));
}

TEST_F(DataTransferTest, TheMonitorFollowsAnUploadAndAStopEndsItPromptly) {
  const int64_t size = 64 * kMiB;
  const auto file = sparse(share_folder("public") / "movie.bin", size);
  Request request;
  request.path = "";
  request.name = "movie.bin";
  request.size = request.end = std::to_string(size);
  request.level = "4";
  TestPeer peer = connect_loopback();
  begin_download(peer, request);
  ASSERT_EQ(peer.read(100000).size(), 100000u);

  ASSERT_TRUE(eventually([&] { return monitor.uploads().size() == 1; }));
  const auto upload = monitor.uploads().front();
  EXPECT_EQ(upload->id, last_connection->id);
  EXPECT_EQ(upload->nickname, "이웃");
  EXPECT_EQ(upload->file_name, "movie.bin");
  EXPECT_EQ(upload->hash, *share::sampled_md5_of_file(file));
  EXPECT_EQ(upload->user_id, "peer");
  EXPECT_EQ(upload->level, 4);
  EXPECT_EQ(upload->peer_address, "127.0.0.9");
  EXPECT_EQ(upload->peer_port, 9911);
  EXPECT_EQ(upload->start, 0);
  EXPECT_EQ(upload->end, size);
  EXPECT_GE(upload->current, 100000);
  EXPECT_EQ(upload->started_tick, 5000u);
  EXPECT_EQ(meter.running_uploads, 1);

  list.stop_all();
  EXPECT_LT(peer.read_to_end().size(), static_cast<size_t>(size - 100000));
  ASSERT_TRUE(peer.server_ended());
  EXPECT_TRUE(monitor.uploads().empty());
  EXPECT_LT(upload->current, size);
  EXPECT_EQ(meter.running_uploads, 0);
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(upload_log().find("movie.bin"), std::string::npos);
}

TEST_F(DataTransferTest, EachChunkWaitsThePublishedDelayAndAStopCutsTheWaitShort) {
  meter.upload_delay_ms = 60000;
  TestPeer peer = connect();
  begin_download(peer, Request());
  EXPECT_EQ(peer.read(8192), song.substr(0, 8192));
  EXPECT_EQ(platform::wait_readable(peer.fd(), 200), platform::WaitResult::Timeout) << "the next chunk waits for the delay";
  list.stop_all();
  EXPECT_EQ(peer.read_to_end(), "");
  EXPECT_TRUE(peer.server_ended());
}

TEST_F(DataTransferTest, ANewDownloadWaitsForTheSameUsersUploadToEnd) {
  options.same_user_wait_ms = 30000;
  const auto other = list_other("PEER");
  TestPeer peer = connect();
  ASSERT_EQ(peer.read(2), std::string("\x01\x00", 2));
  peer.send_request(Request().wire());
  std::this_thread::sleep_for(200ms);
  list.remove(other->id);
  EXPECT_EQ(peer.read(5), answer(1, 0, 1));
  EXPECT_EQ(peer.read(wire::kInfoBlockSize).size(), wire::kInfoBlockSize);
  EXPECT_EQ(peer.read_to_end(), song);
  EXPECT_TRUE(peer.server_ended());
}

TEST_F(DataTransferTest, AStoppedConnectionGivesUpWaitingForTheSameUser) {
  options.same_user_wait_ms = 60000;
  list_other("peer");
  TestPeer peer = connect();
  last_connection->running = false;
  ASSERT_EQ(peer.read(2), std::string("\x01\x00", 2));
  peer.send_request(Request().wire());
  EXPECT_EQ(peer.read(5), answer(33, 0, 0));
  EXPECT_TRUE(peer.server_ended());
}

TEST_F(DataTransferTest, OnlyANewDownloadHasEveryArchiveEntryProbed) {
  archive.verdict = ArchiveVerdict::Allowed;
  for (const char* follow_up : {"0", "1"}) {
    Request request;
    request.follow_up = follow_up;
    EXPECT_EQ(exchange(request.wire()).status(), 1);
  }
  const auto asked = archive.asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].first, std::filesystem::canonical(share_folder("public") / "Music/song.bin"));
  EXPECT_TRUE(asked[0].second);
  EXPECT_FALSE(asked[1].second);
}

}  // namespace
}  // namespace dovel::server
