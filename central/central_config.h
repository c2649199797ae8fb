#pragma once

#include <cstddef>
#include <filesystem>

#include "central/startup_documents.h"
#include "service/endpoints.h"

namespace dovel::central {

// The bounds that keep one client (or many) from exhausting the service.
struct Limits {
  size_t channel_capacity = 500;         // registrations per registration channel (36 beyond)
  size_t max_sessions = 2000;            // logged-in users (login result 19 beyond)
  size_t max_connections = 2500;         // open connections per listener; more are closed at once
  size_t max_port_tests = 16;            // port tests at one time per endpoint (code 3 beyond)
  size_t outbox_items = 256;             // pushes or relayed results waiting for one connection
  int held_idle_ms = 5 * 60 * 1000;      // a connection that holds a session, registration, announcement or ticket
  int request_idle_ms = 30 * 1000;       // a connection that holds nothing yet
  int frame_ms = 10000;                  // the rest of a frame once its first byte came
  int send_ms = 10000;                   // every send
  int close_drain_ms = 2000;             // reading what the client still sends after our FIN
  int connect_back_ms = 3000;            // the port test's TCP connect-back
  int echo_wait_ms = 5000;               // the port test's wait for the UDP echo
};

struct CentralConfig {
  std::filesystem::path home;            // the database, the request log and service.conf
  service::ServiceConfig service;        // hosts and ports of every role
  bool open_signup = false;              // unknown IDs become accounts at their first login
  StatusFileFields status_file;          // what the web host's status file says at start
  Limits limits;
};

}  // namespace dovel::central
