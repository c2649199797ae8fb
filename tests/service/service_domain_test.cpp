#include "service/service_domain.h"

#include <gtest/gtest.h>

namespace dovel::service {
namespace {

TEST(ServiceDomain, IsTheHostOfTheWebHost) {
  struct Case {
    const char* web_base;
    const char* domain;
  };
  const Case cases[] = {
      {"http://127.0.0.1:11080", "127.0.0.1"},
      {"https://WWW.Dovel.Example", "www.dovel.example"},
      {"http://user:pw@web.example:8080/base", "web.example"},
      {"http://[::1]:8080", "::1"},
      {"http://", ""},
      {"", ""},
  };
  for (const Case& each : cases) EXPECT_EQ(service_domain(each.web_base), each.domain) << each.web_base;
}

TEST(ServiceDomain, AddressesThatNameItAreFoundInAnyCase) {
  const char* web_base = "http://web.example:8080";
  EXPECT_TRUE(mentions_service_domain("http://WEB.EXAMPLE/me", web_base));
  EXPECT_TRUE(mentions_service_domain("web.example.other.org", web_base));
  EXPECT_FALSE(mentions_service_domain("http://example.org/web", web_base));
  EXPECT_FALSE(mentions_service_domain("anything", "")) << "no domain known, nothing refused";
}

}  // namespace
}  // namespace dovel::service
