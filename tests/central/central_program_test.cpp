// dovel-central as operators run it: the accounts command line on a home that a
// running service uses, and the service itself started, used and stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "central/central_fixture.h"
#include "platform/spawn.h"
#include "support/eventually.h"
#include "service/endpoints.h"
#include "support/run_program.h"

namespace dovel::central::test {
namespace {

dovel::test::ProgramResult central_program(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), DOVEL_CENTRAL_PATH);
  return dovel::test::run_program(arguments);
}

class AccountCommandsTest : public CentralFixture {
 protected:
  dovel::test::ProgramResult run(std::vector<std::string> arguments) {
    arguments.push_back("--home");
    arguments.push_back(home.path().string());
    return central_program(arguments);
  }
};

TEST_F(AccountCommandsTest, UserAddedOnTheCommandLineLogsIn) {
  auto added = run({"user", "add", "Carol", "pw1", "--label", "캐롤", "--level", "3", "--adult"});
  ASSERT_EQ(added.exit_code, 0) << added.errors;
  EXPECT_EQ(added.output, "added carol\n");

  service::LoginReply reply = login("carol", "pw1").reply;
  EXPECT_EQ(reply.result, service::kLoginOk);
  EXPECT_EQ(reply.member_label, "캐롤");
  EXPECT_EQ(reply.member_level, 3);
  EXPECT_EQ(reply.is_adult, 1);
  EXPECT_NE(run({"user", "list"}).output.find("\tcarol\t캐롤\t3\t1\t"), std::string::npos);
}

TEST_F(AccountCommandsTest, SetChangesTheNextLoginAndDelRemoves) {
  ASSERT_EQ(run({"user", "add", "dave", "old"}).exit_code, 0);
  auto changed = run({"user", "set", "dave", "--password", "new", "--privilege-a", "1", "--transfer", "1", "--warning-level", "2",
                      "--suspension-kind", "1", "--warning-text", "경고 내역", "--adult", "1"});
  ASSERT_EQ(changed.exit_code, 0) << changed.errors;
  EXPECT_EQ(login("dave", "old").reply.reason, service::kReasonWrongPassword);
  service::LoginReply reply = login("dave", "new").reply;
  ASSERT_EQ(reply.result, service::kLoginOk);
  EXPECT_EQ(reply.privilege_a, 1);
  EXPECT_EQ(reply.transfer_flag, 1);
  EXPECT_EQ(reply.warning_level, 2);
  EXPECT_EQ(reply.suspension_kind, 1);
  EXPECT_EQ(reply.is_adult, 1);
  EXPECT_EQ(central->accounts().find("dave")->warning_text, "경고 내역");

  ASSERT_EQ(run({"user", "del", "dave"}).exit_code, 0);
  EXPECT_EQ(login("dave", "new").reply.reason, service::kReasonUnknownUser);
}

// --adult is one flag for both commands: alone it means 1, wherever it stands,
// also last after --home; 0 or 1 right after it is its value.
TEST_F(AccountCommandsTest, AdultIsTheSameFlagForAddAndSetWhereverItStands) {
  const std::string home_path = home.path().string();
  struct Case {
    std::vector<std::string> arguments;
    std::string user;
    int adult;
  };
  const Case cases[] = {
      {{"--home", home_path, "user", "add", "hana", "pw", "--adult"}, "hana", 1},
      {{"user", "add", "duri", "pw", "--home", home_path, "--adult"}, "duri", 1},
      {{"user", "add", "--adult", "seti", "pw", "--home", home_path}, "seti", 1},
      {{"user", "add", "neti", "pw", "--adult", "0", "--home", home_path}, "neti", 0},
      {{"--home", home_path, "user", "set", "neti", "--adult"}, "neti", 1},
      {{"--home", home_path, "user", "set", "hana", "--adult", "0"}, "hana", 0},
  };
  for (const Case& c : cases) {
    auto result = central_program(c.arguments);
    ASSERT_EQ(result.exit_code, 0) << c.arguments[2] << " " << c.arguments[3] << ": " << result.errors;
    EXPECT_EQ(central->accounts().find(c.user)->adult, c.adult == 1) << c.user;
  }
  EXPECT_EQ(central_program({"--home", home_path, "user", "set", "hana", "--adult", "2"}).exit_code, 2);
}

TEST_F(AccountCommandsTest, RefusalsHaveTheirExitCodes) {
  ASSERT_EQ(run({"user", "add", "erin", "pw"}).exit_code, 0);
  struct Case {
    std::vector<std::string> arguments;
    int exit_code;
  };
  const Case cases[] = {
      {{"user", "add", "erin", "pw"}, 1},
      {{"user", "add", "sixteen-letters!", "pw"}, 1},
      {{"user", "add", "frank", "sixteen-letters!"}, 1},
      {{"user", "add", "frank", "pw", "--label", "스물한바이트가넘는긴라벨"}, 1},
      {{"user", "del", "nobody"}, 1},
      {{"user", "set", "nobody", "--level", "1"}, 1},
      {{"user", "set", "erin", "--warning-level", "256"}, 2},
      {{"user", "set", "erin", "--points", "-1"}, 2},
      {{"false-reports", "set", "not-a-hash", "1"}, 2},
      {{"false-reports", "set", "0123456789abcdef0123456789abcdef", "65536"}, 2},
      {{"false-reports", "set", "0123456789abcdef0123456789abcdef"}, 2},
      {{"false-reports", "clear"}, 2},
      {{"user", "add", "frank"}, 2},
      {{"user", "remove", "erin"}, 2},
      {{"--host", "not-an-address"}, 2},
      {{"--no-such-option", "1"}, 2},
  };
  for (const Case& c : cases) {
    auto result = run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.arguments[0] << " " << (c.arguments.size() > 1 ? c.arguments[1] : "") << ": " << result.errors;
  }
  EXPECT_EQ(central_program({"user", "list"}).exit_code, 2) << "--home is needed";
}

TEST_F(AccountCommandsTest, PointsAndFalseReportsAreWhatThePointServersAnswer) {
  ASSERT_EQ(run({"user", "add", "gina", "pw"}).exit_code, 0);
  EXPECT_EQ(central->accounts().find("gina")->points, kDefaultPointBalance) << "new accounts can download at once";
  auto changed = run({"user", "set", "gina", "--points", "42"});
  ASSERT_EQ(changed.exit_code, 0) << changed.errors;
  EXPECT_EQ(central->accounts().find("gina")->points, 42) << "the running service sees the change";
  EXPECT_NE(run({"user", "list"}).output.find("\tgina\t\t0\t0\t0\t0\t0\t0\t0\t0\t42\t"), std::string::npos);

  auto set = run({"false-reports", "set", "0123456789ABCDEF0123456789ABCDEF", "5"});
  ASSERT_EQ(set.exit_code, 0) << set.errors;
  EXPECT_EQ(set.output, "false reports of 0123456789abcdef0123456789abcdef: 5\n");
  EXPECT_EQ(central->false_reports().count("0123456789abcdef0123456789abcdef"), 5);
  EXPECT_EQ(run({"false-reports", "list"}).output, "hash\tfalse_reports\n0123456789abcdef0123456789abcdef\t5\n");
  ASSERT_EQ(run({"false-reports", "set", "0123456789abcdef0123456789abcdef", "0"}).exit_code, 0);
  EXPECT_EQ(run({"false-reports", "list"}).output, "hash\tfalse_reports\n") << "0 removes the entry";
}

TEST(CentralProgramHelpTest, HelpPrintsTheUsageWithoutAHome) {
  for (const char* word : {"--help", "-h"}) {
    auto result = central_program({word});
    EXPECT_EQ(result.exit_code, 0) << word << ": " << result.errors;
    EXPECT_NE(result.output.find("--maintenance MESSAGE"), std::string::npos) << word;
    EXPECT_NE(result.output.find("/admin/update-file"), std::string::npos) << word;
  }
}

// The real program on an address of its own, stopped as a service manager stops it.
TEST(CentralProgramTest, ServesUntilTerminated) {
  dovel::test::TempFolder home;
  const platform::Ipv4 address = dovel::test::unique_loopback_address();
  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  ASSERT_EQ(central_program({"user", "add", "alice", "pw", "--home", home.path().string()}).exit_code, 0);

  std::optional<pid_t> pid =
      platform::spawn_process({DOVEL_CENTRAL_PATH, "--home", home.path().string(), "--host", platform::format_ipv4(address)});
  ASSERT_TRUE(pid);
  const service::Endpoint authentication{address, service::ServiceConfig::defaults().authentication_port};
  std::optional<CentralClient> session;
  EXPECT_TRUE(dovel::test::eventually([&] { return (session = CentralClient::connect(client_address, authentication)).has_value(); },
                                    std::chrono::seconds(30)));
  if (session) {
    service::LoginRequest request{"alice", "pw", 0, service::kClientVersion, true, service::program_integrity_value()};
    ASSERT_TRUE(session->send_frame(service::kLoginType, *service::build_login_request(request)));
    std::optional<std::string> body = session->read_short_reply();
    ASSERT_TRUE(body);
    EXPECT_EQ(service::parse_login_reply(*body)->result, service::kLoginOk);
  }

  ::kill(*pid, SIGTERM);
  int status = 0;
  const bool ended = dovel::test::eventually([&] { return ::waitpid(*pid, &status, WNOHANG) == *pid; }, std::chrono::seconds(30));
  if (!ended) {
    ::kill(*pid, SIGKILL);
    platform::wait_process(*pid);
  }
  ASSERT_TRUE(ended) << "no orderly stop on SIGTERM";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  if (session) {
    EXPECT_EQ(session->wait_for_end(), CentralClient::End::Orderly);
  }

  service::ServiceConfigLoad written = service::load_service_config(home.path());
  EXPECT_TRUE(written.problems.empty());
  EXPECT_EQ(written.config.host_a, address);
  EXPECT_EQ(written.config.web_base, "http://" + platform::format_ipv4(address) + ":11080");
}

}  // namespace
}  // namespace dovel::central::test
