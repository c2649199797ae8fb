#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace dovel::service {

// Frame types of the registration channels.
inline constexpr uint16_t kRegisterType = '3';
inline constexpr uint16_t kCountersType = 'B';
inline constexpr uint16_t kPeakSpeedType = '>';
inline constexpr uint16_t kVisibilityType = '?';
inline constexpr uint16_t kTitleType = '9';
inline constexpr uint16_t kUltraTurboType = ';';
inline constexpr uint16_t kServerListType = '4';
inline constexpr uint16_t kAddressLookupType = ':';
inline constexpr uint16_t kPeerListType = '<';
inline constexpr uint16_t kServerListBodyType = 52;
inline constexpr uint16_t kPeerListBodyType = 60;

inline constexpr size_t kRegistrationRecordSize = 127;
inline constexpr size_t kMaxTitleBytes = 50;

// Registration results (the reply's result byte).
inline constexpr int kRegisterNetworkError = 34;
inline constexpr int kRegisterAlreadyRegistered = 35;
inline constexpr int kRegisterChannelFull = 36;
inline constexpr int kRegisterChannelLimit = 37;
inline constexpr int kRegisterOk = 38;
inline constexpr int kRegisterDatabaseError = 39;
inline constexpr int kRegisterNoConnection = 40;

struct RegistrationRecord {
  std::string user_id;
  bool show_server = true;
  bool ultra_turbo = true;
  uint16_t port = 0;
  uint32_t shared_mib = 0;
  uint32_t shared_files = 0;
  uint32_t peak_speed = 0;
  std::string title;  // already masked
};
// The 127-byte record; nullopt when the ID (≤ 15 bytes) or the title (≤ 50 bytes) does not fit or has no CP949 form.
std::optional<std::string> build_registration_record(const RegistrationRecord& record);
std::optional<RegistrationRecord> parse_registration_record(std::string_view payload);

// A one-result reply of the registration channels (register, visibility).
std::string build_result_reply(uint16_t type, int result);  // body, for the long prefix
std::optional<int> parse_result_reply(std::string_view body, uint16_t type);

struct Counters {
  uint32_t shared_mib = 0;
  uint32_t shared_files = 0;
};
std::string build_counters(const Counters& counters);
std::optional<Counters> parse_counters(std::string_view payload);

// '9': the title and its NUL (1..50 bytes of CP949); nullopt when it does not fit.
std::optional<std::string> build_title_payload(std::string_view title);
std::optional<std::string> parse_title_payload(std::string_view payload);  // the UTF-8 title

// '>': the peak speed, u32.
std::string build_peak_speed(uint32_t peak_speed);
std::optional<uint32_t> parse_peak_speed(std::string_view payload);

// The one-byte switches '?' and ';' (and the memo switch '|' of the authentication server): 1 on, 0 off.
std::string build_switch(bool on);
std::optional<bool> parse_switch(std::string_view payload);

// The payload of the search peer list request.
inline constexpr std::string_view kPeerListRequest = "!";

// The address lookup's answer: port and address, both masked on the wire.
std::string build_address_reply(platform::Ipv4 address, uint16_t port);  // body, for the long prefix
struct ServerAddress {
  platform::Ipv4 address = 0;
  uint16_t port = 0;
};
// nullopt when malformed or when both are zero (no such server).
std::optional<ServerAddress> parse_address_reply(std::string_view body);

// The search peer list: 6-byte entries after the type word.
std::string build_peer_list(const std::vector<ServerAddress>& peers);  // body, for the long prefix
std::optional<std::vector<ServerAddress>> parse_peer_list(std::string_view body);

// One server of a channel's list.
struct ListedServer {
  uint8_t lock = 0;
  uint16_t port = 0;
  int16_t state = 0;
  platform::Ipv4 address = 0;
  uint8_t opened_minute = 0;
  uint8_t opened_hour = 0;
  uint8_t opened_day = 0;
  uint8_t opened_month = 0;
  uint32_t opened_key = 0;  // the packed opening time, as a sort key
  uint32_t shared_mib = 0;
  uint32_t shared_files = 0;
  uint32_t peak_speed = 0;
  std::string user_id;
  std::string title;
};
std::string build_server_list(const std::vector<ListedServer>& servers);  // body, for the long prefix
// Reads a channel's list: at most as many records as the eight counts announce,
// none read past the body; records with a negative state or an overlong title
// are left out. nullopt when the type is not 52.
std::optional<std::vector<ListedServer>> parse_server_list(std::string_view body);

}  // namespace dovel::service
