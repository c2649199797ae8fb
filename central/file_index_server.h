#pragma once

#include "central/connection_handler.h"
#include "central/file_index.h"
#include "central/held_connections.h"

namespace dovel::central {

// A file-index server's side of one connection: the announcement of a share
// server's large files, kept while the connection stays open, and source lookups.
class FileIndexHandler final : public ConnectionHandler {
 public:
  FileIndexHandler(FileIndex& index, HeldConnections& held) : index_(index), held_(held), holder_(index.new_holder()) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  void on_end(Connection& connection) override;
  size_t max_payload() const override;
  bool holds_state() const override { return announced_; }

 private:
  void announce(Connection& connection, std::string_view payload);
  void look_up(Connection& connection, std::string_view payload);

  FileIndex& index_;
  HeldConnections& held_;
  const uint64_t holder_;
  bool announced_ = false;
  HeldConnections::Id held_id_ = 0;
};

}  // namespace dovel::central
