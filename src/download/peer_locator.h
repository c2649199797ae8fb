#pragma once

#include <optional>
#include <string>

#include "download/download_item.h"
#include "service/endpoints.h"

namespace dovel::download {

// Where a user's share server is now, for a source whose stored address no
// longer answers.
class PeerLocator {
 public:
  virtual ~PeerLocator() = default;
  // nullopt when nobody knows the user's server.
  virtual std::optional<Source> locate(const std::string& peer_id) = 0;
};

// Asks the service's address-lookup servers in turn.
class ServiceLocator final : public PeerLocator {
 public:
  explicit ServiceLocator(service::ServiceEndpoints endpoints) : endpoints_(std::move(endpoints)) {}
  std::optional<Source> locate(const std::string& peer_id) override;

 private:
  const service::ServiceEndpoints endpoints_;
};

}  // namespace dovel::download
