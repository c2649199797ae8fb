#include <gtest/gtest.h>
#include <httplib.h>

#include "central/central_fixture.h"
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

}  // namespace
}  // namespace dovel::central::test
