#include "service/launcher_address.h"

#include <gtest/gtest.h>

namespace dovel::service {
namespace {

platform::Ipv4 ip(const char* dotted) { return *platform::parse_ipv4(dotted); }

TEST(LauncherAddress, TheChannelListensOnLoopbackWhateverTheClientBindsTo) {
  const struct {
    const char* bind;
    const char* channel;
  } cases[] = {
      {"0.0.0.0", "127.0.0.1"},           // no bind address
      {"127.0.0.1", "127.0.0.1"},
      {"127.0.0.2", "127.0.0.2"},         // clients on one machine, each on its own loopback address
      {"127.255.255.254", "127.255.255.254"},
      {"192.168.0.10", "127.0.0.1"},      // an address of the network
      {"10.1.2.3", "127.0.0.1"},
      {"126.255.255.255", "127.0.0.1"},   // just below loopback
      {"128.0.0.1", "127.0.0.1"},         // just above
      {"255.255.255.255", "127.0.0.1"},
  };
  for (const auto& c : cases) {
    ServiceEndpoints endpoints = ServiceEndpoints::defaults();
    endpoints.bind_address = ip(c.bind);
    endpoints.launcher_port = 4100;
    const Endpoint channel = launcher_channel_endpoint(endpoints);
    EXPECT_EQ(platform::format_ipv4(channel.address), c.channel) << c.bind;
    EXPECT_EQ(channel.port, 4100) << "the data home's launcher_port";
  }
}

TEST(LauncherAddress, TheDataHomesPortIsTheChannelsPort) {
  ServiceConfigLoad load = parse_service_config("launcher_port = 31999\nbind_address = 192.168.7.7\n");
  ASSERT_TRUE(load.problems.empty());
  const Endpoint channel = launcher_channel_endpoint(load.config.endpoints());
  EXPECT_EQ(channel, (Endpoint{ip("127.0.0.1"), 31999}));
}

}  // namespace
}  // namespace dovel::service
