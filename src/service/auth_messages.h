#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::service {

// Frame types of the authentication server.
inline constexpr uint16_t kLoginType = 'w';
inline constexpr uint16_t kDuplicateCheckType = 'z';
inline constexpr uint16_t kOnlineCountType = '~';
inline constexpr uint16_t kMemoFlagType = '|';
inline constexpr uint16_t kKeepAliveType = 0;
inline constexpr uint16_t kMemoType = 123;
inline constexpr uint16_t kBlockedNoticeType = 128;

// Pushes of the authentication server on the session.
inline constexpr uint16_t kNoticePush = 121;
inline constexpr uint16_t kMemoPush = 123;
inline constexpr uint16_t kSystemLinePush = 125;
inline constexpr uint16_t kOnlineCountPush = 126;

inline constexpr uint16_t kClientVersion = 1165;
inline constexpr size_t kLoginRequestSize = 55;
inline constexpr size_t kLoginReplySize = 156;
inline constexpr size_t kMaxLoginText = 15;

// Login results.
inline constexpr int kLoginOk = 21;
inline constexpr int kLoginFailed = 17;
inline constexpr int kLoginDuplicate = 18;
inline constexpr int kLoginServerFull = 19;
inline constexpr int kLoginWrongVersion = 20;
inline constexpr int kLoginTooLong = -1;
inline constexpr int kLoginNoConnection = -2;
inline constexpr int kLoginNotAuthenticated = -3;
// Reasons of a failed login.
inline constexpr int kReasonDatabase = 10;
inline constexpr int kReasonWrongPassword = 22;
inline constexpr int kReasonUnknownUser = 23;
inline constexpr int kReasonWarned = 24;
// Whether a failed login means the ID or the password is wrong, so that trying
// them again is pointless: only then are stored credentials forgotten.
constexpr bool credentials_refused(int result, int reason) {
  return result == kLoginFailed && (reason == kReasonWrongPassword || reason == kReasonUnknownUser);
}

using IntegrityValue = std::array<uint8_t, 16>;
// The value by which the service recognises this build.
IntegrityValue program_integrity_value();

struct LoginRequest {
  std::string user_id;
  std::string password;
  uint32_t tick = 0;
  uint16_t version = kClientVersion;
  bool allow_memo = true;
  IntegrityValue integrity{};
};
// nullopt when the ID or password is empty, longer than 15 bytes or has no CP949 form.
std::optional<std::string> build_login_request(const LoginRequest& request);
std::optional<LoginRequest> parse_login_request(std::string_view payload);

// What the login reply carries (texts UTF-8).
struct LoginReply {
  int result = 0;
  int reason = 0;
  std::string user_id;
  std::string member_label;
  std::string auth_token_a;
  std::string auth_token_b;
  int64_t account_serial = 0;
  int32_t member_level = 0;
  uint8_t is_adult = 0;
  uint8_t transfer_flag = 0;
  uint8_t privilege_b = 0;
  uint8_t privilege_a = 0;
  uint8_t warning_level = 0;
  uint8_t suspension_kind = 0;
  uint8_t extra_flag = 0;
  std::string session_note;
};
// The reply body (with its type word), ready for the short length prefix.
std::string build_login_reply(const LoginReply& reply);
// Reads a reply body; every text is bounded by its field. nullopt when the body
// is shorter than the result and reason, or a text is not valid CP949.
std::optional<LoginReply> parse_login_reply(std::string_view body);

// The 5-byte duplicate-check answer and the 8-byte online count.
std::string build_duplicate_check_reply(bool connected);
std::string build_online_count_reply(uint32_t count);
std::optional<uint32_t> parse_online_count_reply(std::string_view reply);

// A push: the body after the u16 length (type word and text).
struct Push {
  uint16_t type = 0;
  std::string text;  // as received (CP949)
};
std::string build_push(uint16_t type, std::string_view text);  // with its length prefix
std::optional<Push> parse_push_body(std::string_view body);

// A relayed 123 text: marker, sender, body (split at the first two 0x07).
struct RelayedMemo {
  std::string marker;
  std::string sender;
  std::string body;
};
RelayedMemo split_relayed_memo(std::string_view text);

inline constexpr std::string_view kMemoMarker = "MEMO";
inline constexpr std::string_view kServiceNoticeMarker = "MSG_NOTICE";

// The text of a 123 push (CP949) from its three UTF-8 parts, the inverse of
// split_relayed_memo; nullopt when a part has no CP949 form.
std::optional<std::string> build_relayed_memo(std::string_view marker, std::string_view sender, std::string_view body);

// The payload of the duplicate check and the address lookup: an ID and its NUL.
// nullopt when the ID is empty, longer than 15 bytes or has no CP949 form.
std::optional<std::string> build_id_request(std::string_view user_id);
// The ID (UTF-8) of such a payload; nullopt unless it is 1..15 bytes of CP949 ended by its only NUL.
std::optional<std::string> parse_id_request(std::string_view payload);

// The payload of a memo (123) or a blocked-sender notice (128): target ID, 0x07, text, NUL.
struct ChatMessage {
  std::string target;  // UTF-8
  std::string text;    // UTF-8
};
// nullopt when either part is empty, the ID is longer than 15 bytes, the text
// longer than 1024 bytes, or a part has no CP949 form or holds 0x07 or NUL
// where it would change the split.
std::optional<std::string> build_chat_message(const ChatMessage& message);
std::optional<ChatMessage> parse_chat_message(std::string_view payload);

}  // namespace dovel::service
