#include "app/service_status.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "app/update_check.h"
#include "fake_update_host.h"
#include "platform/socket.h"
#include "settings/service_switches.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

using test::euc_kr_document;
using test::FakeUpdateHost;

std::string status_document(const std::string& checking, const std::string& message = "서버 교체", const std::string& endtime = "오후 3시") {
  return euc_kr_document("<dovel><config magic=\"0\" psub=\"0\"/><status checking=\"" + checking + "\" message=\"" + message +
                         "\" endtime=\"" + endtime + "\"/></dovel>");
}

TEST(ReadStatusFile, CheckingOnClosesTheServiceWithTheNotice) {
  struct Case {
    std::string checking;
    bool closed;
  };
  const Case cases[] = {
      {"TRUE", true}, {"1", true},     {"True", true},  {"true", true}, {"tRUe", true},   {"", false},
      {"yes", false}, {"0", false},    {"false", false}, {"2", false},   {" 1", false},  {"true ", false},
  };
  for (const Case& c : cases) {
    StatusFile file = ReadStatusFile(status_document(c.checking));
    EXPECT_EQ(file.status.closed_for_maintenance, c.closed) << '"' << c.checking << '"';
    EXPECT_EQ(file.status.notice.empty(), !c.closed) << '"' << c.checking << '"';
  }
  EXPECT_EQ(ReadStatusFile(status_document("1")).status.notice,
            "서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n서버 교체\r\n\r\n<<일시>>\r\n\r\n오후 3시");
  EXPECT_EQ(ReadStatusFile(status_document("1", "100% &amp; %s", "")).status.notice,
            "서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n100% & %s\r\n\r\n<<일시>>\r\n\r\n")
      << "the message is data, not a format";
  EXPECT_FALSE(ReadStatusFile(euc_kr_document("<dovel><status message=\"x\"/></dovel>")).status.closed_for_maintenance)
      << "no checking attribute";
}

TEST(ReadStatusFile, SwitchesComeFromTheConfigElement) {
  struct Case {
    std::string config;
    std::optional<StatusFile::Switches> switches;
  };
  const Case cases[] = {
      {"<config magic=\"true\" psub=\"1\"/>", StatusFile::Switches{true, true}},
      {"<config magic=\"TRUE\" psub=\"0\"/>", StatusFile::Switches{true, false}},
      {"<config magic=\"yes\" psub=\"True\"/>", StatusFile::Switches{false, true}},
      {"<config/>", StatusFile::Switches{false, false}},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    StatusFile file = ReadStatusFile(euc_kr_document("<dovel>" + c.config + "</dovel>"));
    EXPECT_EQ(file.switches, c.switches) << c.config;
    EXPECT_FALSE(file.status.closed_for_maintenance) << c.config;
  }
}

TEST(ReadStatusFile, TheFirstElementAnywhereCounts) {
  StatusFile file = ReadStatusFile(euc_kr_document(
      "<dovel><a><b><status checking=\"1\" message=\"안쪽\" endtime=\"\"/></b><config psub=\"1\"/></a>"
      "<status checking=\"0\"/><config magic=\"1\" psub=\"0\"/></dovel>"));
  EXPECT_TRUE(file.status.closed_for_maintenance);
  EXPECT_NE(file.status.notice.find("안쪽"), std::string::npos);
  EXPECT_EQ(file.switches, (StatusFile::Switches{false, true}));
}

TEST(ReadStatusFile, WhatCannotBeReadIsAnOpenServiceWithoutSwitches) {
  const std::string unreadable[] = {
      "",
      "<html><body>502 Bad Gateway</body></html",
      "<?xml version=\"1.0\" encoding=\"euc-kr\"?><dovel><status checking=\"1\" message=\"\xff\xfe\"/></dovel>",
      "<dovel><config magic=\"1\"/><status checking=\"1\"/>",  // cut short
      std::string("<dovel><status checking=\"1\"/>\0</dovel>", sizeof "<dovel><status checking=\"1\"/>\0</dovel>" - 1),
  };
  for (const std::string& document : unreadable) {
    StatusFile file = ReadStatusFile(document);
    EXPECT_FALSE(file.status.closed_for_maintenance) << document;
    EXPECT_FALSE(file.switches) << document;
  }
}

TEST(CheckServiceStatus, AsksTheStatusFileWithATickAndSetsTheProgramSwitches) {
  FakeUpdateHost host;
  host.serve("http://update.test/dovel/server.xml?d=", euc_kr_document("<dovel><config magic=\"1\" psub=\"true\"/></dovel>"));
  ServiceStatus status = CheckServiceStatus(host.host());
  EXPECT_FALSE(status.closed_for_maintenance) << "a status file without a status element lets the start go on";
  EXPECT_TRUE(settings::ServiceSwitches::magic());
  EXPECT_TRUE(settings::ServiceSwitches::psub());
  ASSERT_EQ(host.requests().size(), 1u);
  EXPECT_TRUE(std::regex_match(host.requests()[0], std::regex(R"(http://update\.test/dovel/server\.xml\?d=-?[0-9]+)"))) << host.requests()[0];

  FakeUpdateHost closing;
  closing.serve("http://update.test/dovel/server.xml", status_document("1"));
  status = CheckServiceStatus(closing.host());
  EXPECT_TRUE(status.closed_for_maintenance);
  EXPECT_NE(status.notice.find("서버 교체"), std::string::npos);
  EXPECT_FALSE(settings::ServiceSwitches::magic()) << "the switches are set also when the service is closed";
  EXPECT_FALSE(settings::ServiceSwitches::psub());
}

TEST(CheckServiceStatus, FailuresLeaveTheServiceOpenAndTheSwitchesAsTheyWere) {
  FakeUpdateHost setting;
  setting.serve("http://update.test/dovel/server.xml", euc_kr_document("<dovel><config magic=\"1\" psub=\"1\"/></dovel>"));
  CheckServiceStatus(setting.host());

  FakeUpdateHost unreachable;
  EXPECT_FALSE(CheckServiceStatus(unreachable.host()).closed_for_maintenance);
  FakeUpdateHost garbled;
  garbled.serve("http://update.test/dovel/server.xml", "<dovel><config magic=\"0\" psub=\"0\"/><status checking=\"1\">");
  EXPECT_FALSE(CheckServiceStatus(garbled.host()).closed_for_maintenance);
  EXPECT_FALSE(CheckServiceStatus(UpdateHost{"http://update.test", nullptr}).closed_for_maintenance);
  EXPECT_TRUE(settings::ServiceSwitches::magic());
  EXPECT_TRUE(settings::ServiceSwitches::psub());
}

// A host that takes the connection and never answers: both checks give up at
// their time limit (a short one here) and the start goes on.
TEST(StartupChecks, ASilentHostHoldsTheStartOnlyUntilTheTimeLimit) {
  const platform::Ipv4 address = dovel::test::unique_loopback_address();
  const int listener = platform::make_tcp_listener(address, 0, 8);  // never accepts: the kernel completes the connections
  ASSERT_GE(listener, 0);
  const UpdateHost silent{"http://" + platform::format_ipv4(address) + ":" + std::to_string(platform::local_port(listener)),
                          HttpDocumentFetch(300)};
  dovel::test::TempFolder program_folder;
  program_folder.write("Dovel.bin", "program");

  EXPECT_FALSE(CheckServiceStatus(silent).closed_for_maintenance);
  EXPECT_FALSE(CheckForUpdate(silent, program_folder.path()));
  ::close(listener);
}

}  // namespace
}  // namespace dovel::app
