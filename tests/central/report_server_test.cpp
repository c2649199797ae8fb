#include <gtest/gtest.h>

#include "central/central_fixture.h"
#include "util/little_endian.h"

namespace dovel::central::test {
namespace {

class ReportTest : public CentralFixture {
 protected:
  int send_report(size_t endpoint, std::string_view payload) {
    auto client = connect(endpoints().report[endpoint]);
    EXPECT_TRUE(client && client->send_frame(service::kDownloadReportType, payload));
    std::optional<std::string> answer = client ? client->read_fixed_reply(2) : std::nullopt;
    return answer ? util::read_u16(answer->data()) : -1;
  }
};

TEST_F(ReportTest, ReportIsStoredWithItsSender) {
  service::DownloadReport report{42, {"alice", "bob"}, "영화.avi", 1000000, 999999};
  EXPECT_EQ(send_report(1, *service::build_download_report(report)), 1);
  std::vector<StoredReport> stored = central->reports().list();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].report.account_serial, 42);
  EXPECT_EQ(stored[0].report.owners, (std::vector<std::string>{"alice", "bob"}));
  EXPECT_EQ(stored[0].report.file_name, "영화.avi");
  EXPECT_EQ(stored[0].report.size, 1000000);
  EXPECT_EQ(stored[0].report.received, 999999);
  EXPECT_EQ(stored[0].reporter.rfind(platform::format_ipv4(client_address) + ":", 0), 0u);
}

TEST_F(ReportTest, MalformedReportIsRefusedAndNotStored) {
  for (const std::string& payload : {std::string("1\x07" "a\x07" "f"), std::string("x\x07" "a\x07" "f\x07" "1\x07" "1"), std::string("\xff\xff")}) {
    EXPECT_EQ(send_report(0, payload), 0);
  }
  EXPECT_TRUE(central->reports().list().empty());
}

}  // namespace
}  // namespace dovel::central::test
