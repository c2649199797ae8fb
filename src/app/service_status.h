#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/update_host.h"

namespace dovel::app {

// What the service's status file ("server.xml") says.
struct ServiceStatus {
  // The service is closed for maintenance: the start must end after the
  // caller has shown `notice` (with an OK button).
  bool closed_for_maintenance = false;
  std::string notice;  // UTF-8; empty unless closed
};

// The status file as read, before anything program-wide is touched.
struct StatusFile {
  struct Switches {
    bool magic = false;
    bool psub = false;
    bool operator==(const Switches&) const = default;
  };
  ServiceStatus status;
  // From its "config" element; nullopt without one (the switches keep their values).
  std::optional<Switches> switches;
};

// Reads a status file: "config" (attributes magic and psub) and "status"
// (checking, message, endtime), each the first such element anywhere in the
// document. A switch or "checking" is on for "true" in any case or "1";
// anything else, an absent attribute included, is off. A document that cannot
// be read counts as an open service with no switches.
StatusFile ReadStatusFile(std::string_view document);

// The service status check at start-up: fetches the status file from the
// update host, sets the program-wide switches `magic` and `psub`
// (ServiceSwitches) from it, and tells whether the service is closed for
// maintenance. Any failure (no answer within the time limit, an error status,
// a document that cannot be read) counts as an open service and leaves the
// switches as they were.
ServiceStatus CheckServiceStatus(const UpdateHost& host);

}  // namespace dovel::app
