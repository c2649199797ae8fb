// dovel-tool set/get/login on a data home of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_registry.h"
#include "dovel_tool_runner.h"
#include "platform/registry_store.h"
#include "service/stored_login.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel {
namespace {

class DovelToolSettingsTest : public ::testing::Test {
 protected:
  test::ProgramResult tool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin() + (arguments[0] == "share" ? 2 : 1), {"--home", home.path().string()});
    return test::run_dovel_tool(arguments);
  }
  std::string get(const std::string& name) { return tool({"get", name}).output; }
  // A text as the settings store keeps it, by its stored name.
  std::string stored_text(const std::string& name) {
    platform::RegistryStore store(home / "config");
    return store.read_string(platform::Hive::CurrentUser, std::string(settings::kFallbackRoot) + "\\Setting", name).value_or("");
  }
  service::StoredLogin stored_login() {
    platform::RegistryStore store(home / "config");
    return service::read_stored_login(settings::SettingsRegistry(store).reader());
  }

  test::TempFolder home;
};

std::string repeated(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

TEST_F(DovelToolSettingsTest, GetListsEveryValueWithTheLoadDefaults) {
  auto all = tool({"get"});
  ASSERT_EQ(all.exit_code, 0) << all.errors;
  for (const char* line : {"ShowServer=1\n", "SharePort=9910\n", "MaxUpload=10\n", "UseIntroURL=0\n", "SelLimitDownSameTime=1\n",
                           "ServerReserveStartTime=0\n", "FolderPass=\n", "MaxForFolderDown=3\n", "AutoTray=0\n", "AutoLogin=0\n",
                           "LimitDownloadSpeed=0\n", "LimitUploadSpeed=0\n", "SendtoDelay=4\n", "AutoSort=4\n"}) {
    EXPECT_NE(all.output.find(line), std::string::npos) << line << all.output;
  }
  EXPECT_NE(all.output.find("DownPath=" + (home / "Download/").string() + "\n"), std::string::npos) << all.output;
  EXPECT_EQ(std::count(all.output.begin(), all.output.end(), '\n'), 26);
}

TEST_F(DovelToolSettingsTest, SetStoresWhatGetReadsWithNamesInAnyCase) {
  struct Case {
    std::string name;
    std::string value;
  };
  const Case cases[] = {
      {"maxupload", "100"},        {"SELLIMITDOWNSAMETIME", "0"}, {"UseMultiDown", "0"},    {"AllowMemo", "0"},
      {"MaxForFolderDown", "6"},   {"LimitDownloadSpeed", "9"},   {"LimitUploadSpeed", "5"}, {"AutoTray", "1"},
      {"IntroURL", "me.example.org/intro"},
  };
  for (const Case& change : cases) {
    auto set = tool({"set", change.name, change.value});
    EXPECT_EQ(set.exit_code, 0) << change.name << ": " << set.errors;
    EXPECT_EQ(set.output, "");
    EXPECT_EQ(get(change.name), change.value + "\n") << change.name;
  }
  EXPECT_EQ(tool({"set", "ServerSubject", "  내 서버  "}).exit_code, 0);
  EXPECT_EQ(get("serversubject"), "내 서버\n") << "blanks around the title are trimmed";
  EXPECT_EQ(get("UseIntroURL"), "0\n") << "other values keep theirs";
}

TEST_F(DovelToolSettingsTest, AChangedSharePortAsksForARestart) {
  auto changed = tool({"set", "shareport", "12345"});
  EXPECT_EQ(changed.exit_code, 0) << changed.errors;
  EXPECT_EQ(changed.output, "공유포트가 변경되었습니다. 프로그램을 종료후 다시 시작해주시기 바랍니다.\n");
  EXPECT_EQ(get("SharePort"), "12345\n");
  EXPECT_EQ(tool({"set", "SharePort", "12345"}).output, "") << "the same port is no change";
}

TEST_F(DovelToolSettingsTest, RefusalsCarryThePagesMessagesAndChangeNothing) {
  const std::string port_message = "포트번호는 1 ~ 65535까지의 숫자이어야 합니다..!!";
  const std::string missing_folder = (home / "nowhere").string();
  struct Case {
    std::string name;
    std::string value;
    std::string message;
  };
  const Case cases[] = {
      {"SharePort", "0", port_message},
      {"SharePort", "70000", port_message},
      {"SharePort", "x1", port_message},
      {"SharePort", "", port_message},
      {"MaxUpload", "0", "MaxUpload 값은 1 ~ 100 사이의 숫자이어야 합니다."},
      {"MaxUpload", "101", "MaxUpload 값은 1 ~ 100 사이의 숫자이어야 합니다."},
      {"MaxForFolderDown", "7", "MaxForFolderDown 값은 0 ~ 6 사이의 숫자이어야 합니다."},
      {"SelLimitDownSameTime", "4", "SelLimitDownSameTime 값은 0 ~ 3 사이의 숫자이어야 합니다."},
      {"ServerReserveStartTime", "24", "ServerReserveStartTime 값은 0 ~ 23 사이의 숫자이어야 합니다."},
      {"ServerReserveEndTime", "-1", "ServerReserveEndTime 값은 0 ~ 23 사이의 숫자이어야 합니다."},
      {"LimitUploadSpeed", "6", "LimitUploadSpeed 값은 0 ~ 5 사이의 숫자이어야 합니다."},
      {"LimitDownloadSpeed", "10", "LimitDownloadSpeed 값은 0 ~ 9 사이의 숫자이어야 합니다."},
      {"usemultidown", "2", "UseMultiDown 값은 0 또는 1이어야 합니다."},
      {"AutoLogin", "yes", "AutoLogin 값은 0 또는 1이어야 합니다."},
      {"ServerSubject", "   ", "내서버제목이 없습니다."},
      {"ServerSubject", "줄\n바꿈", "ServerSubject 값에 쓸 수 없는 글자가 있습니다."},
      {"IntroURL", "http://127.0.0.1:11080/intro.html", "소개페이지 주소에는 서비스의 도메인(127.0.0.1)을 넣을 수 없습니다."},
      {"IntroURL", "http://me.example.org/" + std::string(3000, 'a'), "IntroURL 값이 너무 깁니다."},
      {"DownPath", "", "다운로드폴더가 없습니다."},
      {"DownPath", missing_folder, "다운로드폴더(" + missing_folder + ")가 존재하지 않습니다."},
      {"DownPath", (home / "Upload").string(),
       "다운폴더와 공유폴더 1번째 폴더와 같습니다.\r\n\r\n다운폴더와 공유폴더는 같아서는 안됩니다. 다르게 설정해주십시요."},
      {"FolderPass", "\xff", "FolderPass 값에 쓸 수 없는 글자가 있습니다."},
  };
  const std::string before = tool({"get"}).output;
  for (const Case& refused : cases) {
    auto result = tool({"set", refused.name, refused.value});
    EXPECT_EQ(result.exit_code, 1) << refused.name << "=" << refused.value;
    EXPECT_EQ(result.errors, refused.message + "\n") << refused.name << "=" << refused.value;
  }
  EXPECT_EQ(tool({"get"}).output, before);
}

TEST_F(DovelToolSettingsTest, TheTitleMayHoldFiftyBytesWithHangulCountingTwo) {
  const std::string fifty = repeated("가", 25);
  auto accepted = tool({"set", "ServerSubject", fifty});
  EXPECT_EQ(accepted.exit_code, 0) << accepted.errors;
  EXPECT_EQ(get("ServerSubject"), fifty + "\n");

  for (const std::string& too_long : {fifty + "a", repeated("a", 51), repeated("가", 24) + "abc"}) {
    auto refused = tool({"set", "ServerSubject", too_long});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_EQ(refused.errors, "제목이 50바이트(한글25자, 영문 50자)가 넘으면 안됩니다.\n");
  }
  EXPECT_EQ(get("ServerSubject"), fifty + "\n");
  EXPECT_EQ(tool({"set", "ServerSubject", repeated("a", 50)}).exit_code, 0);
}

TEST_F(DovelToolSettingsTest, AScheduleThatIsOnNeedsDifferentHours) {
  const std::string message = "예약설정 에러: 시작시간과 종료시간이 같으면 안됩니다.\n";
  auto same_hours = tool({"set", "UseServerReserve", "1"});
  EXPECT_EQ(same_hours.exit_code, 1);
  EXPECT_EQ(same_hours.errors, message);
  EXPECT_EQ(get("UseServerReserve"), "0\n");

  ASSERT_EQ(tool({"set", "ServerReserveEndTime", "6"}).exit_code, 0) << "hours may be equal while the schedule is off";
  ASSERT_EQ(tool({"set", "UseServerReserve", "1"}).exit_code, 0);
  for (const char* name : {"ServerReserveStartTime", "ServerReserveEndTime"}) {
    auto refused = tool({"set", name, name == std::string("ServerReserveStartTime") ? "6" : "0"});
    EXPECT_EQ(refused.exit_code, 1) << name;
    EXPECT_EQ(refused.errors, message);
  }
  EXPECT_EQ(get("ServerReserveStartTime") + get("ServerReserveEndTime"), "0\n6\n");
}

TEST_F(DovelToolSettingsTest, TheIntroAddressMustNotNameTheServicesOwnDomain) {
  home.write("service.conf", "web_host = http://www.Dovel.example:8080\n");
  for (const char* address : {"http://WWW.DOVEL.EXAMPLE/me", "www.dovel.example.evil.org"}) {
    auto refused = tool({"set", "IntroURL", address});
    EXPECT_EQ(refused.exit_code, 1) << address;
    EXPECT_EQ(refused.errors, "소개페이지 주소에는 서비스의 도메인(www.dovel.example)을 넣을 수 없습니다.\n");
  }
  EXPECT_EQ(tool({"set", "IntroURL", "http://127.0.0.1/me"}).exit_code, 0) << "loopback is not this service's domain";
}

TEST_F(DovelToolSettingsTest, TheFolderPasswordIsStoredEncodedAndGuardsSecretFolders) {
  ASSERT_EQ(tool({"set", "FolderPass", "비밀번호"}).exit_code, 0);
  EXPECT_NE(stored_text("FolderPass"), "비밀번호");
  EXPECT_EQ(util::Decode(stored_text("FolderPass")), "비밀번호");
  EXPECT_EQ(get("folderpass"), "비밀번호\n");

  std::filesystem::create_directories(home / "secret");
  ASSERT_EQ(tool({"share", "add", "비밀", (home / "secret").string(), "--secret"}).exit_code, 0);
  auto emptied = tool({"set", "FolderPass", ""});
  EXPECT_EQ(emptied.exit_code, 1);
  EXPECT_EQ(emptied.errors, "비밀폴더가 있습니다. 비밀폴더를 위한 암호를 설정해 주세요.\n");
  EXPECT_EQ(get("FolderPass"), "비밀번호\n");
}

TEST_F(DovelToolSettingsTest, LoginKeepsWhatTheLoginWindowReadsBack) {
  auto login = tool({"login", "Alice", "Secret!"});
  ASSERT_EQ(login.exit_code, 0) << login.errors;
  EXPECT_EQ(util::Decode(stored_text("data1")), "alice") << "the ID is kept lower-cased, the password as typed";
  EXPECT_EQ(util::Decode(stored_text("data2")), "Secret!");
  service::StoredLogin read_back = stored_login();
  EXPECT_EQ(read_back.user_id, "alice");
  EXPECT_EQ(read_back.password, "Secret!");
  EXPECT_TRUE(read_back.auto_login);
  EXPECT_EQ(get("AutoLogin"), "1\n");

  ASSERT_EQ(tool({"login", "도벨", "암호"}).exit_code, 0);
  EXPECT_EQ(stored_login().user_id, "도벨");
  EXPECT_EQ(stored_login().password, "암호");
}

TEST_F(DovelToolSettingsTest, SwitchingAutoLoginOffForgetsThePassword) {
  ASSERT_EQ(tool({"login", "alice", "secret"}).exit_code, 0);
  ASSERT_EQ(tool({"set", "autologin", "0"}).exit_code, 0);
  EXPECT_EQ(stored_text("data2"), "");
  EXPECT_EQ(util::Decode(stored_text("data1")), "alice") << "the ID stays for the login window";
  EXPECT_FALSE(stored_login().auto_login);

  ASSERT_EQ(tool({"set", "AutoLogin", "1"}).exit_code, 0);
  EXPECT_EQ(stored_login().password, "") << "switching it on again brings no password back";
}

TEST_F(DovelToolSettingsTest, LoginRefusesWhatTheLoginWouldRefuse) {
  const std::string too_long = "로그인실패: ID가 15자가 넘었거나 또는 Password가 15자가 넘습니다.\n";
  struct Case {
    std::string user_id;
    std::string password;
    std::string message;
  };
  const Case cases[] = {
      {"", "secret", "아이디와 암호를 입력하세요.\n"},
      {"alice", "", "아이디와 암호를 입력하세요.\n"},
      {"sixteen-letters!", "secret", too_long},
      {"alice", "sixteen-letters!", too_long},
      {repeated("가", 8), "secret", too_long},
      {"😀", "secret", "아이디나 암호에 쓸 수 없는 글자가 있습니다.\n"},
      {"alice", "\xff", "아이디나 암호에 쓸 수 없는 글자가 있습니다.\n"},
  };
  for (const Case& refused : cases) {
    auto result = tool({"login", refused.user_id, refused.password});
    EXPECT_EQ(result.exit_code, 1) << refused.user_id;
    EXPECT_EQ(result.errors, refused.message) << refused.user_id;
  }
  EXPECT_EQ(stored_text("data1"), "") << "nothing was kept";
  EXPECT_EQ(tool({"login", "fifteen-letters", repeated("가", 7) + "a"}).exit_code, 0) << "15 bytes fit";
}

TEST_F(DovelToolSettingsTest, CommandLinesThatCannotBeRead) {
  const std::vector<std::vector<std::string>> unreadable = {
      {"set", "SharePort"}, {"set", "NoSuchValue", "1"}, {"set", "data2", "x"}, {"set", "SharePort", "1", "2"},
      {"get", "NoSuchValue"}, {"get", "SharePort", "MaxUpload"}, {"get", "--bogus"}, {"login", "alice"},
  };
  for (const std::vector<std::string>& arguments : unreadable) {
    EXPECT_EQ(tool(arguments).exit_code, 2) << ::testing::PrintToString(arguments);
  }
  EXPECT_EQ(tool({"set", "--", "ServerSubject", "--서버--"}).exit_code, 0) << "a value may begin with dashes after --";
  EXPECT_EQ(get("ServerSubject"), "--서버--\n");
}

}  // namespace
}  // namespace dovel
