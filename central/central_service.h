#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "central/account_store.h"
#include "central/central_config.h"
#include "central/false_report_store.h"
#include "central/report_store.h"
#include "central/startup_documents.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace dovel::central {

// The whole stand-in service in one object: authentication, the three
// registration channels, the three file-index servers, the search relay, the
// port tests, the two point servers, the download reports and the web host, on
// the hosts and ports of the configuration, with its state in the home folder.
// Tests run it in-process:
//
//   CentralConfig config;
//   config.home = folder;
//   config.service = service::ServiceConfig::defaults();
//   config.service.host_a = config.service.host_b = address;  // and web_base
//   CentralService central(config);
//   central.accounts().add({"alice", "secret"});
//   ASSERT_TRUE(central.start());
class CentralService {
 public:
  explicit CentralService(CentralConfig config, const platform::Clock& clock = platform::system_clock());
  ~CentralService();
  CentralService(const CentralService&) = delete;
  CentralService& operator=(const CentralService&) = delete;

  // Binds every role. On failure nothing stays bound and `error` says what failed.
  bool start(std::string* error = nullptr);
  // Ends every connection and joins every thread; also done by the destructor.
  void stop();

  const CentralConfig& config() const { return config_; }
  AccountStore& accounts();
  ReportStore& reports();
  FalseReportStore& false_reports();
  // The status file and update list the web host serves.
  StartupDocuments& startup_documents();
  uint32_t online_count() const;
  // Pushes a text (UTF-8) of a push type to every session, or to one ID's;
  // how many took it, or nullopt when the text has no CP949 form.
  std::optional<size_t> push(uint16_t type, std::string_view text, const std::optional<std::string>& to = std::nullopt);

  std::filesystem::path request_log_file() const;
  // Ends, in order, every registration and announcement connection from `client`; how many.
  size_t end_registrations_from(platform::Ipv4 client);

 private:
  struct Parts;

  CentralConfig config_;
  const platform::Clock& clock_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace dovel::central
