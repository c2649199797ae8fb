#include "service/endpoints.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace dovel::service {
namespace {

platform::Ipv4 ip(const char* dotted) { return *platform::parse_ipv4(dotted); }

Endpoint at(const char* dotted, uint16_t port) { return {ip(dotted), port}; }

// ServiceConfig has no comparison of its own; its text form names every field.
void expect_same(const ServiceConfig& actual, const ServiceConfig& expected) { EXPECT_EQ(actual.format(), expected.format()); }

TEST(ServiceEndpoints, Defaults) {
  ServiceEndpoints e = ServiceEndpoints::defaults();
  EXPECT_EQ(e.authentication, at("127.0.0.1", 11060));
  EXPECT_EQ(e.registration,
            (std::array{at("127.0.0.1", 11072), at("127.0.0.1", 11073), at("127.0.0.1", 11074)}));
  EXPECT_EQ(e.file_index, (std::array{at("127.0.0.1", 11082), at("127.0.0.1", 11083), at("127.0.0.1", 11084)}));
  EXPECT_EQ(e.source_lookup, e.file_index);
  EXPECT_EQ(e.relay, (std::array{at("127.0.0.1", 11090), at("127.0.0.1", 11090)}));
  EXPECT_EQ(e.port_test, (std::array{at("127.0.0.1", 11050), at("127.0.0.1", 11050)}));
  EXPECT_EQ(e.web_base, "http://127.0.0.1:11080");
  EXPECT_EQ(e.launcher_port, 31222);
}

// With both hosts on loopback the defaults cannot show which host serves what.
TEST(ServiceEndpoints, RolesGoToTheirHosts) {
  ServiceConfig config = ServiceConfig::defaults();
  config.host_a = ip("10.0.0.1");
  config.host_b = ip("10.0.0.2");
  ServiceEndpoints e = config.endpoints();
  EXPECT_EQ(e.authentication, at("10.0.0.1", 11060));
  EXPECT_EQ(e.registration, (std::array{at("10.0.0.1", 11072), at("10.0.0.1", 11073), at("10.0.0.2", 11074)}));
  EXPECT_EQ(e.file_index, (std::array{at("10.0.0.1", 11082), at("10.0.0.1", 11083), at("10.0.0.2", 11084)}));
  EXPECT_EQ(e.source_lookup, e.file_index);
  EXPECT_EQ(e.relay, (std::array{at("10.0.0.1", 11090), at("10.0.0.2", 11090)}));
  // The port test asks host B first.
  EXPECT_EQ(e.port_test, (std::array{at("10.0.0.2", 11050), at("10.0.0.1", 11050)}));
}

TEST(ServiceConfigParse, ReadsKeysAroundCommentsAndBlanks) {
  auto load = parse_service_config(
      "# the test rig\n"
      "\n"
      "   \n"
      "host_a=10.1.2.3\n"
      "  host_b   =   10.1.2.4  \r\n"
      "\t# indented comment\n"
      "authentication_port = 2000\n"
      "registration_ports =  3001   3002 3003\n"
      "file_index_ports = 4001 4002 4003\n"
      "relay_port = 5000\n"
      "port_test_port = 6000\n"
      "web_host = https://service.test:8443\n"
      "launcher_port = 7000");
  EXPECT_TRUE(load.problems.empty()) << load.problems.front();
  const ServiceConfig& c = load.config;
  EXPECT_EQ(c.host_a, ip("10.1.2.3"));
  EXPECT_EQ(c.host_b, ip("10.1.2.4"));
  EXPECT_EQ(c.authentication_port, 2000);
  EXPECT_EQ(c.registration_ports, (std::array<uint16_t, 3>{3001, 3002, 3003}));
  EXPECT_EQ(c.file_index_ports, (std::array<uint16_t, 3>{4001, 4002, 4003}));
  EXPECT_EQ(c.relay_port, 5000);
  EXPECT_EQ(c.port_test_port, 6000);
  EXPECT_EQ(c.web_base, "https://service.test:8443");
  EXPECT_EQ(c.launcher_port, 7000);
}

TEST(ServiceConfigParse, EmptyTextGivesDefaults) {
  auto load = parse_service_config("");
  EXPECT_TRUE(load.problems.empty());
  expect_same(load.config, ServiceConfig::defaults());
}

// Each bad line is reported once and leaves the default in place.
TEST(ServiceConfigParse, BadLinesAreReportedAndKeepTheDefault) {
  for (const char* line : {
           "no equals sign here",
           "unknown_key = 1",
           "host_a = 300.1.1.1",
           "host_a = 10.0.0",
           "host_b =",
           "authentication_port = 0",
           "authentication_port = 65536",
           "authentication_port = -1",
           "relay_port = +80",
           "relay_port = 80x",
           "launcher_port = ",
           "registration_ports = 11072 11073",
           "registration_ports = 11072 11073 11074 11075",
           "registration_ports = 11072 0 11074",
           "registration_ports = 11072 11073 x",
           "file_index_ports =",
           "web_host = ftp://service.test",
           "web_host = service.test",
           "web_host = http://service test",
           "web_host = http://",
           "web_host = https:///",
           "web_host = http:///path",
       }) {
    SCOPED_TRACE(line);
    auto load = parse_service_config(std::string("# first line\n") + line + "\n");
    ASSERT_EQ(load.problems.size(), 1u);
    EXPECT_NE(load.problems[0].find("line 2"), std::string::npos) << load.problems[0];
    expect_same(load.config, ServiceConfig::defaults());
  }
}

TEST(ServiceConfigParse, GoodLinesAroundABadOneStillApply) {
  auto load = parse_service_config("relay_port = 1234\nrelay_port = nope\nport_test_port = 4321\n");
  ASSERT_EQ(load.problems.size(), 1u);
  EXPECT_EQ(load.config.relay_port, 1234);
  EXPECT_EQ(load.config.port_test_port, 4321);
}

TEST(ServiceConfigParse, WebHostLosesTrailingSlashes) {
  struct Case {
    const char* value;
    const char* web_base;
  };
  for (const Case& c : {Case{"http://service.test/", "http://service.test"},
                        Case{"http://service.test:8080///", "http://service.test:8080"},
                        Case{"HTTPS://service.test/base/", "HTTPS://service.test/base"},
                        Case{"http://x", "http://x"}}) {
    auto load = parse_service_config(std::string("web_host = ") + c.value);
    EXPECT_TRUE(load.problems.empty()) << c.value;
    EXPECT_EQ(load.config.web_base, c.web_base) << c.value;
  }
}

TEST(ServiceConfigFormat, ParsesBackUnchanged) {
  ServiceConfig config = ServiceConfig::defaults();
  config.host_a = ip("192.168.7.1");
  config.host_b = ip("127.0.0.2");
  config.web_base = "https://service.test:8443/portal";
  config.authentication_port = 1;
  config.registration_ports = {2, 3, 65535};
  config.file_index_ports = {4, 5, 6};
  config.relay_port = 7;
  config.port_test_port = 8;
  config.point_ports = {9, 10};
  config.report_ports = {11, 12};
  config.launcher_port = 13;

  auto load = parse_service_config(config.format());
  EXPECT_TRUE(load.problems.empty()) << load.problems.front();
  expect_same(load.config, config);
  EXPECT_EQ(load.config.host_b, ip("127.0.0.2"));
  EXPECT_EQ(load.config.web_base, config.web_base);
  EXPECT_EQ(load.config.registration_ports, config.registration_ports);
  EXPECT_EQ(load.config.point_ports, config.point_ports);
  EXPECT_EQ(load.config.report_ports, config.report_ports);
  EXPECT_EQ(load.config.launcher_port, 13);

  auto defaults = parse_service_config(ServiceConfig::defaults().format());
  EXPECT_TRUE(defaults.problems.empty());
  expect_same(defaults.config, ServiceConfig::defaults());
}

TEST(ServiceConfigLoad, MissingFileGivesDefaultsWithoutProblems) {
  test::TempFolder home;
  auto load = load_service_config(home.path());
  EXPECT_TRUE(load.problems.empty());
  expect_same(load.config, ServiceConfig::defaults());

  auto nowhere = load_service_config(home / "does-not-exist");
  EXPECT_TRUE(nowhere.problems.empty());
}

TEST(ServiceConfigLoad, ReadsServiceConfInTheDataHome) {
  test::TempFolder home;
  home.write(kServiceConfigFile, "host_b = 127.0.0.2\nrelay_port = banana\n");
  auto load = load_service_config(home.path());
  EXPECT_EQ(load.config.host_b, ip("127.0.0.2"));
  EXPECT_EQ(load.config.relay_port, 11090);
  EXPECT_EQ(load.problems.size(), 1u);
}

}  // namespace
}  // namespace dovel::service
