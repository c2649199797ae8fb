#include "app/control_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/message_ids.h"
#include "platform/cp949.h"
#include "platform/unix_socket.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; reached only when something is wrong.
constexpr auto kArrival = 30s;
constexpr int kPatientWaitMs = 30000;

const std::string kUnknown = R"({"ok":false,"error":"unknown command; commands: status, request URL, log [POSITION], visible on|off, exit"})";
const std::string kBadVisibility = R"({"ok":false,"error":"visible takes on or off"})";
const std::string kBadPosition = R"({"ok":false,"error":"log takes a position: log [POSITION]"})";
const std::string kBadRequest = R"({"ok":false,"error":"잘못된 요청입니다."})";
const std::string kLineTooLong = R"({"ok":false,"error":"line too long"})";

mainframe::HubStatus busy_status() {
  mainframe::HubStatus status;
  status.ready = true;
  status.logged_in = true;
  status.connected = true;
  status.user_id = "mimi";
  status.server_usable = true;
  status.share_server_running = true;
  status.share_port = 9910;
  status.control_connections = 2;
  status.registered = true;
  status.server_shown = true;
  status.channel = 3;
  status.file_index_open = true;
  status.hashing = true;
  status.hash_progress = {"/srv/음악", "노래.mp3(1234)"};
  status.hash_counts.files = 10;
  status.hash_counts.hashed = 4;
  status.shared_mib = 512;
  status.shared_files = 10;
  status.uploaded_bytes = 1000;
  status.downloaded_bytes = 2000;
  status.running_uploads = 1;
  server::UploadRow row;
  row.id = 7;
  row.nickname = "친구";
  row.file_name = R"(say "hi".mp3)";
  row.requested = "1 K";
  row.sent = "0 K";
  row.speed = "0.00K";
  row.remaining = "00:00:01";
  status.uploads.push_back(row);
  return status;
}

// What the commands act on: a fixed status, a log of three lines, a recording hub.
struct Target {
  Target() {
    for (const char* line : {"첫째 줄", R"(둘째 "줄")", "셋째"}) log.append(line);
  }
  ControlTarget control() { return {[] { return busy_status(); }, &log, &hub, {}}; }

  mainframe::StatusLog log;
  test::RecordingTarget hub;
};

TEST(ControlAnswer, StatusReportsEveryPartOfTheHub) {
  Target target;
  EXPECT_EQ(control_answer("status", target.control()),
            R"json({"ok":true,"ready":true,"logged_in":true,"connected":true,"user_id":"mimi",)json"
            R"json("share_server":{"usable":true,"running":true,"port":9910,"control_connections":2},)json"
            R"json("registered":true,"server_shown":true,"channel":3,"file_index":true,)json"
            R"json("hashing":{"active":true,"folder":"/srv/음악","file":"노래.mp3(1234)","files":10,"hashed":4},)json"
            R"json("shared_mib":512,"shared_files":10,"uploaded_bytes":1000,"downloaded_bytes":2000,"running_uploads":1,"running_downloads":0,)json"
            R"json("uploads":[{"id":7,"nickname":"친구","file":"say \"hi\".mp3","requested":"1 K","sent":"0 K","speed":"0.00K","remaining":"00:00:01"}]})json");
}

TEST(ControlAnswer, VisibleAsksTheHubToShowOrHideTheServer) {
  for (const auto& [line, shown] : {std::pair{"visible on", 1u}, std::pair{"visible off", 0u}}) {
    Target target;
    ASSERT_EQ(control_answer(line, target.control()), R"({"ok":true})");
    ASSERT_EQ(target.hub.seen().size(), 1u);
    EXPECT_EQ(target.hub.seen()[0].id, core::UM_SET_SERVER_VISIBILITY);
    EXPECT_EQ(target.hub.seen()[0].wparam, shown) << line;
  }
}

TEST(ControlAnswer, AnswersEachCommandAndRefusesBadLines) {
  struct Case {
    std::string line;
    std::string answer;
    core::MessageId posted;  // 0: nothing reaches the hub
    std::string posted_text;
  };
  const std::vector<Case> cases = {
      {"log", R"({"ok":true,"first":0,"next":3,"lines":["첫째 줄","둘째 \"줄\"","셋째"]})", 0, ""},
      {"log 0", R"({"ok":true,"first":0,"next":3,"lines":["첫째 줄","둘째 \"줄\"","셋째"]})", 0, ""},
      {"  log   2 \r", R"({"ok":true,"first":2,"next":3,"lines":["셋째"]})", 0, ""},
      {"log 3", R"({"ok":true,"first":3,"next":3,"lines":[]})", 0, ""},
      {"log 18446744073709551615", R"({"ok":true,"first":3,"next":3,"lines":[]})", 0, ""},
      {"log -1", kBadPosition, 0, ""},
      {"log x", kBadPosition, 0, ""},
      {"log 1 2", kBadPosition, 0, ""},
      {"log 18446744073709551616", kBadPosition, 0, ""},
      {"request dovel://search/노래", R"({"ok":true,"kind":3})", core::UM_CARRY_OUT_REQUEST, "dovel://search/노래"},
      {"request   dovel://server/10.1.2.3:9910  ", R"({"ok":true,"kind":1})", core::UM_CARRY_OUT_REQUEST, "dovel://server/10.1.2.3:9910"},
      {"request", kBadRequest, 0, ""},
      {"request http://example.invalid/x", kBadRequest, 0, ""},
      {"request dovel://", kBadRequest, 0, ""},
      {"exit", R"({"ok":true})", core::UM_EXIT_COMMAND, ""},
      {"visible off", R"({"ok":true})", core::UM_SET_SERVER_VISIBILITY, ""},
      {"visible  on ", R"({"ok":true})", core::UM_SET_SERVER_VISIBILITY, ""},
      {"visible", kBadVisibility, 0, ""},
      {"visible yes", kBadVisibility, 0, ""},
      {"exit now", kUnknown, 0, ""},
      {"status now", kUnknown, 0, ""},
      {"", kUnknown, 0, ""},
      {"stat", kUnknown, 0, ""},
      {"\xFF\xFE", kUnknown, 0, ""},
  };
  for (const Case& test_case : cases) {
    Target target;
    EXPECT_EQ(control_answer(test_case.line, target.control()), test_case.answer) << test_case.line;
    const std::vector<test::RecordingTarget::Seen> seen = target.hub.seen();
    if (test_case.posted == 0) {
      EXPECT_TRUE(seen.empty()) << test_case.line;
    } else {
      ASSERT_EQ(seen.size(), 1u) << test_case.line;
      EXPECT_EQ(seen[0].id, test_case.posted) << test_case.line;
      EXPECT_EQ(seen[0].text, test_case.posted_text) << test_case.line;
    }
  }
}

TEST(ControlAnswer, FurtherCommandsTakeTheRestOfTheLine) {
  Target target;
  ControlTarget control = target.control();
  std::vector<std::string> arguments;
  control.commands["cd"] = [&arguments](std::string_view argument) {
    arguments.emplace_back(argument);
    return std::string(R"({"ok":true})");
  };
  EXPECT_EQ(control_answer("cd  음악\\가요 ", control), R"({"ok":true})");
  EXPECT_EQ(control_answer("cd", control), R"({"ok":true})");
  EXPECT_EQ(arguments, (std::vector<std::string>{"음악\\가요", ""}));
  EXPECT_EQ(control_answer("cdx", control),
            R"({"ok":false,"error":"unknown command; commands: status, request URL, log [POSITION], visible on|off, exit, cd"})");
}

TEST(ControlAnswer, LogLinesThatAreNotUtf8StillGiveValidJson) {
  Target target;
  target.log.append("broken \xC7\xD1 cp949");
  const std::string answer = control_answer("log 3", target.control());
  EXPECT_TRUE(platform::is_valid_utf8(answer));
  EXPECT_EQ(answer, "{\"ok\":true,\"first\":3,\"next\":4,\"lines\":[\"broken \xEF\xBF\xBD\xEF\xBF\xBD cp949\"]}");
}

// One connection to the control socket, reading its answers line by line.
class ControlClient {
 public:
  explicit ControlClient(const std::filesystem::path& socket) : fd_(platform::connect_unix(socket)) {}

  bool connected() const { return fd_.valid(); }
  bool send(const std::string& bytes) { return platform::send_all(fd_.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()); }

  // The next answer, or nullopt when the connection ended first.
  std::optional<std::string> answer() {
    while (true) {
      const size_t end = received_.find('\n');
      if (end != std::string::npos) {
        std::string line = received_.substr(0, end);
        received_.erase(0, end + 1);
        return line;
      }
      char buffer[4096];
      const ssize_t got = platform::receive_some(fd_.get(), buffer, sizeof buffer, kPatientWaitMs);
      if (got <= 0) return std::nullopt;
      received_.append(buffer, static_cast<size_t>(got));
    }
  }

  // Whether the channel closed the connection (end of stream or a reset) with nothing more to say.
  bool closed_by_channel() {
    if (!received_.empty() || platform::wait_readable(fd_.get(), kPatientWaitMs) != platform::WaitResult::Ready) return false;
    char byte;
    return ::recv(fd_.get(), &byte, 1, 0) <= 0;
  }

 private:
  platform::UniqueFd fd_;
  std::string received_;
};

class ControlChannelTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(channel_.start(socket_)); }

  // A client whose connection the channel has taken up: it answered a first command.
  std::unique_ptr<ControlClient> served_client() {
    auto client = std::make_unique<ControlClient>(socket_);
    if (!client->connected() || !client->send("log 3\n") || client->answer() != R"({"ok":true,"first":3,"next":3,"lines":[]})") return nullptr;
    return client;
  }

  test::TempFolder home_;
  const std::filesystem::path socket_ = control_socket_path(home_.path());
  Target target_;
  ControlChannel channel_{target_.control()};
};

TEST_F(ControlChannelTest, SocketIsForItsOwnerOnlyAndGoesWithTheChannel) {
  struct stat status {};
  ASSERT_EQ(::lstat(socket_.c_str(), &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0600u);

  std::unique_ptr<ControlClient> client = served_client();
  ASSERT_NE(client, nullptr);
  channel_.stop();
  EXPECT_TRUE(client->closed_by_channel());
  EXPECT_FALSE(std::filesystem::exists(socket_));
}

TEST_F(ControlChannelTest, AnswersEveryLineInOrderHoweverItArrives) {
  ControlClient client(socket_);
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(client.send("status\nlog 2\nbogus\nreq"));
  ASSERT_TRUE(client.send("uest dovel://search/노래\r\nex"));
  ASSERT_TRUE(client.send("it\n"));
  EXPECT_EQ(client.answer(), control_answer("status", target_.control()));
  EXPECT_EQ(client.answer(), R"({"ok":true,"first":2,"next":3,"lines":["셋째"]})");
  EXPECT_EQ(client.answer(), kUnknown);
  EXPECT_EQ(client.answer(), R"({"ok":true,"kind":3})");
  EXPECT_EQ(client.answer(), R"({"ok":true})");

  ASSERT_TRUE(target_.hub.wait_for(2, kArrival));
  const std::vector<test::RecordingTarget::Seen> seen = target_.hub.seen();
  EXPECT_EQ(seen[0].id, core::UM_CARRY_OUT_REQUEST);
  EXPECT_EQ(seen[0].text, "dovel://search/노래");
  EXPECT_EQ(seen[1].id, core::UM_EXIT_COMMAND);
}

TEST_F(ControlChannelTest, LineUpToTheLimitIsServedALongerOneEndsTheConnection) {
  const std::string prefix = "request dovel://search/";
  ControlClient at_limit(socket_);
  ASSERT_TRUE(at_limit.connected());
  ASSERT_TRUE(at_limit.send(prefix + std::string(kMaxControlLine - prefix.size(), 'a') + "\n"));
  EXPECT_EQ(at_limit.answer(), R"({"ok":true,"kind":3})");
  ASSERT_TRUE(target_.hub.wait_for(1, kArrival));

  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::vector<Case> too_long = {
      {"a whole line one byte too long", prefix + std::string(kMaxControlLine + 1 - prefix.size(), 'b') + "\n"},
      {"a much longer whole line", prefix + std::string(3 * kMaxControlLine, 'c') + "\n"},
      {"no line end in sight", std::string(kMaxControlLine + 1, 'd')},
  };
  for (const Case& test_case : too_long) {
    ControlClient client(socket_);
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.send(test_case.bytes)) << test_case.what;
    EXPECT_EQ(client.answer(), kLineTooLong) << test_case.what;
    EXPECT_TRUE(client.closed_by_channel()) << test_case.what;
  }
  std::unique_ptr<ControlClient> after = served_client();
  EXPECT_NE(after, nullptr) << "the channel serves on";
  EXPECT_EQ(target_.hub.seen().size(), 1u) << "no over-long request was carried out";
}

TEST_F(ControlChannelTest, ClientsBeyondTheLimitAreTurnedAway) {
  std::vector<std::unique_ptr<ControlClient>> clients;
  for (size_t i = 0; i < kMaxControlClients; ++i) {
    clients.push_back(served_client());
    ASSERT_NE(clients.back(), nullptr) << i;
  }
  ControlClient one_too_many(socket_);
  ASSERT_TRUE(one_too_many.connected()) << "the listener takes the connection before it can refuse it";
  EXPECT_EQ(one_too_many.answer(), R"({"ok":false,"error":"too many clients"})");
  EXPECT_TRUE(one_too_many.closed_by_channel());

  ASSERT_TRUE(clients.front()->send("log 3\n"));
  EXPECT_EQ(clients.front()->answer(), R"({"ok":true,"first":3,"next":3,"lines":[]})") << "those served before are still served";

  clients.pop_back();
  EXPECT_NE(served_client(), nullptr) << "a place that came free is taken again";
}

}  // namespace
}  // namespace dovel::app
