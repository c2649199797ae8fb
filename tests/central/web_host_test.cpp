#include <gtest/gtest.h>
#include <httplib.h>

#include "app/service_status.h"
#include "app/update_list.h"
#include "central/central_fixture.h"
#include "central/command_line.h"
#include "platform/cp949.h"
#include "util/http_get.h"
#include "util/letter_pair.h"

namespace dovel::central::test {
namespace {

class WebHostTest : public CentralFixture {
 protected:
  std::string web_base() const { return central->config().service.web_base; }

  // The page's body as the client gets it (CP949), or "<failed>".
  std::string get(const std::string& path) {
    std::string body;
    return util::HttpGet(web_base(), kReplyTimeoutMs, path, body) ? body : "<failed>";
  }

  httplib::Result post(const std::string& path, const httplib::Params& form) {
    httplib::Client client(web_base());
    client.set_connection_timeout(20);
    client.set_read_timeout(20);
    return client.Post(path.c_str(), form);
  }
};

TEST_F(WebHostTest, StartUpChecksFindTheServiceOpenAndNothingToUpdate) {
  for (const std::string path : {"/server.xml?d=12345", "/dovel/server.xml?d=1"}) {
    std::string status = get(path);
    EXPECT_NE(status.find("<status checking=\"0\""), std::string::npos) << path;
    EXPECT_NE(status.find("<config magic=\"0\" psub=\"0\"/>"), std::string::npos) << path;
  }
  for (const std::string path : {"/update.xml", "/dovel/update/update.xml"}) {
    std::string updates = get(path);
    EXPECT_NE(updates.find("<update>"), std::string::npos) << path;
    EXPECT_EQ(updates.find("<file"), std::string::npos) << path;
  }
}

TEST_F(WebHostTest, WarningStatusAnswersTheAccountsFields) {
  add_user("alice");
  AccountChanges changes;
  changes.warning_level = 2;
  changes.suspension_kind = 1;
  changes.warning_text = "업로드 중지";
  ASSERT_EQ(central->accounts().update("alice", changes), AccountStore::Change::Done);
  struct Case {
    std::string query;
    std::string answer;
  };
  const Case cases[] = {
      {util::EncodeWire("alice"), "2\x06" "1\x06업로드 중지"},
      {util::EncodeWire("nobody"), "0\x06" "0\x06"},
      {"not-an-encoding", "0\x06" "0\x06"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::cp949_to_utf8(get("/client/warn_status.html?q_id=" + c.query)), c.answer) << c.query;
  }
}

TEST_F(WebHostTest, PagesTheClientOpensAreThere) {
  for (const char* path : {"/", "/client/banner.html", "/login/logout.html", "/client/dovel.html", "/client/hompy.html?q_id_userid=a",
                           "/client/srh_fileid.html?q_id_fid=x", "/client/srh_warn.html", "/user/ins_user_before.html?q_left_menu=user",
                           "/user/chk_password2.html?q_left_menu=user"}) {
    EXPECT_NE(get(path).find("<body>"), std::string::npos) << path;
  }
  EXPECT_NE(get("/app/recommend_dovel.html?q_keyword=abc").find("<body></body>"), std::string::npos) << "the side pane stays hidden";
  EXPECT_EQ(get("/no/such/page.html"), "<failed>");
}

TEST_F(WebHostTest, AdminPushesReachOnlineUsers) {
  add_user("alice");
  CentralClient alice = logged_in("alice");
  httplib::Result notice = post("/admin/notice", {{"text", "서버 점검 예정"}});
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->status, 200);
  std::optional<service::Push> push = alice.next_push(service::kNoticePush);
  ASSERT_TRUE(push);
  EXPECT_EQ(platform::cp949_to_utf8(push->text), "서버 점검 예정");

  httplib::Result line = post("/admin/line", {{"text", "hello"}, {"to", "alice"}});
  ASSERT_TRUE(line);
  EXPECT_EQ(line->body, "pushed to 1 sessions\n");
  EXPECT_TRUE(alice.next_push(service::kSystemLinePush));

  httplib::Result empty = post("/admin/notice", {});
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 400);
}

TEST_F(WebHostTest, AdminSwitchesTheStatusFileFieldByField) {
  httplib::Result closed = post("/admin/status", {{"checking", "True"}, {"message", "서버 \"교체\" <1> & 2\r\n둘째 줄"}, {"endtime", "오후 3시"}});
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->status, 200);
  app::StatusFile file = app::ReadStatusFile(get("/dovel/server.xml?d=1"));
  EXPECT_TRUE(file.status.closed_for_maintenance);
  EXPECT_EQ(file.status.notice, "서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n서버 \"교체\" <1> & 2\r\n둘째 줄\r\n\r\n<<일시>>\r\n\r\n오후 3시")
      << "quotes, markup characters and line breaks come back as they were given";
  EXPECT_EQ(file.switches, (app::StatusFile::Switches{false, false}));

  ASSERT_TRUE(post("/admin/status", {{"magic", "1"}, {"psub", "true"}}));
  file = app::ReadStatusFile(get("/server.xml"));
  EXPECT_TRUE(file.status.closed_for_maintenance) << "fields not given keep their values";
  EXPECT_EQ(file.switches, (app::StatusFile::Switches{true, true}));

  ASSERT_TRUE(post("/admin/status", {{"checking", "0"}}));
  EXPECT_FALSE(app::ReadStatusFile(get("/dovel/server.xml?d=2")).status.closed_for_maintenance);
  EXPECT_EQ(central->startup_documents().status().message, "서버 \"교체\" <1> & 2\r\n둘째 줄");
}

TEST_F(WebHostTest, AdminSwitchesTheUpdateList) {
  ASSERT_TRUE(post("/admin/update-file", {{"name", "Dovel.bin"}, {"version", "1.2.3"}}));
  ASSERT_TRUE(post("/admin/update-file", {{"name", "skin/메인.png"}, {"version", "2"}, {"check_size", "false"}}));
  ASSERT_TRUE(post("/admin/update-file", {{"name", "Dovel.bin"}, {"version", "1.2.10"}}));
  const app::UpdateList listed{{"Dovel.bin", "1.2.10", ""}, {"skin/메인.png", "2", "false"}};
  EXPECT_EQ(app::ReadUpdateList(get("/dovel/update/update.xml")), listed) << "a name given again replaces its entry";

  httplib::Result cleared = post("/admin/update-clear", {});
  ASSERT_TRUE(cleared);
  EXPECT_EQ(cleared->status, 200);
  EXPECT_EQ(app::ReadUpdateList(get("/update.xml")), app::UpdateList{});
}

TEST_F(WebHostTest, AdminRefusesWhatTheDocumentsCannotCarry) {
  struct Case {
    std::string path;
    httplib::Params form;
  };
  const Case cases[] = {
      {"/admin/status", {{"message", std::string(kMaxStatusTextBytes + 1, 'x')}}},
      {"/admin/status", {{"checking", std::string(kMaxSwitchTextBytes + 1, '1')}}},
      {"/admin/status", {{"message", "emoji \xF0\x9F\x98\x80 has no CP949 form"}}},
      {"/admin/status", {{"endtime", "bell \x07"}}},
      {"/admin/update-file", {{"version", "1"}}},
      {"/admin/update-file", {{"name", ""}, {"version", "1"}}},
      {"/admin/update-file", {{"name", std::string(kMaxUpdateNameBytes + 1, 'n')}}},
      {"/admin/update-file", {{"name", "a.bin"}, {"version", std::string(kMaxUpdateVersionBytes + 1, '1')}}},
  };
  for (const Case& c : cases) {
    httplib::Result refused = post(c.path, c.form);
    ASSERT_TRUE(refused) << c.path;
    EXPECT_EQ(refused->status, 400) << c.path << " " << c.form.begin()->first;
  }
  EXPECT_EQ(central->startup_documents().status(), StatusFileFields{}) << "a refused change changes nothing";
  EXPECT_TRUE(central->startup_documents().update_files().empty());

  auto put_file = [this](const std::string& name, const std::string& version) {
    httplib::Result result = post("/admin/update-file", {{"name", name}, {"version", version}});
    return result ? result->status : -1;
  };
  for (size_t i = 0; i < kMaxUpdateFiles; ++i) ASSERT_EQ(put_file("file" + std::to_string(i), "1"), 200);
  EXPECT_EQ(put_file("one-too-many", "1"), 400);
  EXPECT_EQ(put_file("file0", "2"), 200) << "replacing still works when full";
}

// dovel-central --maintenance ... --magic: the status file from the first request on.
class WebHostFromCommandLineTest : public WebHostTest {
 protected:
  void configure(CentralConfig& config) override {
    CommandLine line =
        parse_command_line({"--home", "unused", "--maintenance", "정기 점검", "--maintenance-end", "내일 오전 6시", "--magic"});
    ASSERT_TRUE(line.command) << line.error;
    config.status_file = line.command->status_file;
  }
};

TEST_F(WebHostFromCommandLineTest, ServesTheMaintenanceGivenAtStart) {
  app::StatusFile file = app::ReadStatusFile(get("/dovel/server.xml?d=3"));
  EXPECT_TRUE(file.status.closed_for_maintenance);
  EXPECT_EQ(file.status.notice, "서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n정기 점검\r\n\r\n<<일시>>\r\n\r\n내일 오전 6시");
  EXPECT_EQ(file.switches, (app::StatusFile::Switches{true, false}));
}

TEST(StatusFileCommandLine, RefusesTextsTheStatusFileCannotCarry) {
  EXPECT_EQ(parse_command_line({"--home", "h"}).command->status_file, StatusFileFields{});
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--home", "h", "--maintenance", std::string(kMaxStatusTextBytes + 1, 'x')},
           {"--home", "h", "--maintenance-end", "\xF0\x9F\x98\x80"},
           {"--home", "h", "--maintenance"},
       }) {
    EXPECT_FALSE(parse_command_line(arguments).command) << arguments.back().substr(0, 20);
  }
}

}  // namespace
}  // namespace dovel::central::test
