#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/update_host.h"
#include "platform/cp949.h"

namespace dovel::app::test {

inline constexpr std::string_view kFakeHostBase = "http://update.test";

// An update host without a server: serves documents by URL prefix and records
// every URL asked for. A URL without a document fails, as an unreachable host does.
class FakeUpdateHost {
 public:
  void serve(const std::string& url_prefix, std::string document) { (*documents_)[url_prefix] = std::move(document); }
  const std::vector<std::string>& requests() const { return *requests_; }

  UpdateHost host() const {
    auto fetch = [documents = documents_, requests = requests_](const std::string& url) -> std::optional<std::string> {
      requests->push_back(url);
      for (const auto& [prefix, document] : *documents) {
        if (url.rfind(prefix, 0) == 0) return document;
      }
      return std::nullopt;
    };
    return UpdateHost{std::string(kFakeHostBase), fetch};
  }

 private:
  std::shared_ptr<std::map<std::string, std::string>> documents_ = std::make_shared<std::map<std::string, std::string>>();
  std::shared_ptr<std::vector<std::string>> requests_ = std::make_shared<std::vector<std::string>>();
};

// A document as the update host sends it: declared euc-kr, in CP949.
inline std::string euc_kr_document(const std::string& utf8_body) {
  return platform::utf8_to_cp949("<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n" + utf8_body).value();
}

}  // namespace dovel::app::test
