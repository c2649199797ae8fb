#include "service/auth_messages.h"

#include <cstring>

#include "platform/cp949.h"
#include "service/wire_text.h"
#include "util/little_endian.h"
#include "util/md5.h"

namespace dovel::service {
namespace {

constexpr size_t kIdField = 16;
constexpr size_t kLabelField = 21;
constexpr size_t kTokenField = 32;
constexpr size_t kNoteField = 32;
constexpr size_t kMaxChatBytes = 1024;

// Fixed fields of a reply as sent: too long a text is cut to the field (the
// field need not hold a terminator).
std::string padded(std::string_view utf8, size_t width) {
  std::optional<std::string> text = fixed_text(utf8, width, true);
  return text ? *text : std::string(width, '\0');
}

}  // namespace

IntegrityValue program_integrity_value() {
  util::Md5 md5;
  md5.update("Dovel Build 11672");
  std::string hex = md5.hex_digest();
  IntegrityValue value{};
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return value;
}

std::optional<std::string> build_login_request(const LoginRequest& request) {
  auto id = fixed_text(request.user_id, kIdField);
  auto password = fixed_text(request.password, kIdField);
  if (request.user_id.empty() || request.password.empty() || !id || !password) return std::nullopt;
  std::string payload = *id + *password;
  util::append_u32(payload, request.tick);
  util::append_u16(payload, request.version);
  payload += static_cast<char>(request.allow_memo ? 1 : 0);
  payload.append(reinterpret_cast<const char*>(request.integrity.data()), request.integrity.size());
  return payload;
}

std::optional<LoginRequest> parse_login_request(std::string_view payload) {
  if (payload.size() != kLoginRequestSize) return std::nullopt;
  auto id = read_fixed_text(payload.substr(0, kIdField));
  auto password = read_fixed_text(payload.substr(kIdField, kIdField));
  if (!id || !password) return std::nullopt;
  LoginRequest request;
  request.user_id = *id;
  request.password = *password;
  request.tick = util::read_u32(payload.data() + 32);
  request.version = util::read_u16(payload.data() + 36);
  request.allow_memo = payload[38] != 0;
  std::memcpy(request.integrity.data(), payload.data() + 39, request.integrity.size());
  return request;
}

std::string build_login_reply(const LoginReply& reply) {
  std::string body;
  util::append_u16(body, kLoginType);
  body += static_cast<char>(reply.result);
  body += static_cast<char>(static_cast<int8_t>(reply.reason));
  body += padded(reply.user_id, kIdField);
  body += padded(reply.member_label, kLabelField);
  body += padded(reply.auth_token_a, kTokenField);
  body += padded(reply.auth_token_b, kTokenField);
  util::append_u64(body, static_cast<uint64_t>(reply.account_serial));
  util::append_u32(body, static_cast<uint32_t>(reply.member_level));
  for (uint8_t flag : {reply.is_adult, reply.transfer_flag, reply.privilege_b, reply.privilege_a, reply.warning_level,
                       reply.suspension_kind, reply.extra_flag}) {
    body += static_cast<char>(flag);
  }
  body += padded(reply.session_note, kNoteField);
  return body;
}

std::optional<LoginReply> parse_login_reply(std::string_view body) {
  if (body.size() < 4) return std::nullopt;
  LoginReply reply;
  reply.result = static_cast<uint8_t>(body[2]);
  reply.reason = static_cast<int8_t>(body[3]);
  // A failure may come without the rest; read the fields that are there.
  std::string full(body);
  full.resize(std::max(full.size(), kLoginReplySize), '\0');
  auto text = [&full](size_t offset, size_t width) { return read_fixed_text(std::string_view(full).substr(offset, width)); };
  auto id = text(4, kIdField);
  auto label = text(20, kLabelField);
  auto token_a = text(41, kTokenField);
  auto token_b = text(73, kTokenField);
  auto note = text(124, kNoteField);
  if (!id || !label || !token_a || !token_b || !note) return std::nullopt;
  reply.user_id = *id;
  reply.member_label = *label;
  reply.auth_token_a = *token_a;
  reply.auth_token_b = *token_b;
  reply.account_serial = static_cast<int64_t>(util::read_u64(full.data() + 105));
  reply.member_level = static_cast<int32_t>(util::read_u32(full.data() + 113));
  reply.is_adult = static_cast<uint8_t>(full[117]);
  reply.transfer_flag = static_cast<uint8_t>(full[118]);
  reply.privilege_b = static_cast<uint8_t>(full[119]);
  reply.privilege_a = static_cast<uint8_t>(full[120]);
  reply.warning_level = static_cast<uint8_t>(full[121]);
  reply.suspension_kind = static_cast<uint8_t>(full[122]);
  reply.extra_flag = static_cast<uint8_t>(full[123]);
  reply.session_note = *note;
  return reply;
}

std::string build_duplicate_check_reply(bool connected) {
  std::string reply;
  util::append_u16(reply, kDuplicateCheckType);
  reply += std::string(2, '\0');
  reply += static_cast<char>(connected ? 1 : 0);
  return reply;
}

std::string build_online_count_reply(uint32_t count) {
  std::string reply;
  util::append_u16(reply, kOnlineCountType);
  util::append_u16(reply, 0);
  util::append_u32(reply, count);
  return reply;
}

std::optional<uint32_t> parse_online_count_reply(std::string_view reply) {
  if (reply.size() != 8) return std::nullopt;
  return util::read_u32(reply.data() + 4);
}

std::string build_push(uint16_t type, std::string_view text) {
  std::string push;
  util::append_u16(push, static_cast<uint16_t>(2 + text.size()));
  util::append_u16(push, type);
  push.append(text);
  return push;
}

std::optional<Push> parse_push_body(std::string_view body) {
  if (body.size() < 2) return std::nullopt;
  return Push{util::read_u16(body.data()), std::string(body.substr(2))};
}

RelayedMemo split_relayed_memo(std::string_view text) {
  RelayedMemo memo;
  size_t first = text.find('\x07');
  memo.marker = std::string(text.substr(0, first));
  if (first == std::string_view::npos) return memo;
  size_t second = text.find('\x07', first + 1);
  memo.sender = std::string(text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
  if (second != std::string_view::npos) memo.body = std::string(text.substr(second + 1));
  return memo;
}

std::optional<std::string> build_relayed_memo(std::string_view marker, std::string_view sender, std::string_view body) {
  std::string text(marker);
  text += '\x07';
  text += sender;
  text += '\x07';
  text += body;
  return platform::utf8_to_cp949(text);
}

std::optional<std::string> build_id_request(std::string_view user_id) {
  auto id = platform::utf8_to_cp949(user_id);
  if (!id || id->empty() || id->size() > kMaxLoginText || id->find('\0') != std::string::npos) return std::nullopt;
  return *id + '\0';
}

std::optional<std::string> parse_id_request(std::string_view payload) {
  if (payload.size() < 2 || payload.size() > kMaxLoginText + 1 || payload.find('\0') != payload.size() - 1) return std::nullopt;
  return platform::cp949_to_utf8(payload.substr(0, payload.size() - 1));
}

std::optional<std::string> build_chat_message(const ChatMessage& message) {
  auto target = platform::utf8_to_cp949(message.target);
  auto text = platform::utf8_to_cp949(message.text);
  if (!target || !text || target->empty() || text->empty() || target->size() > kMaxLoginText || text->size() > kMaxChatBytes) {
    return std::nullopt;
  }
  if (target->find_first_of(std::string_view("\x07\0", 2)) != std::string::npos || text->find('\0') != std::string::npos) return std::nullopt;
  return *target + '\x07' + *text + '\0';
}

std::optional<ChatMessage> parse_chat_message(std::string_view payload) {
  if (payload.empty() || payload.back() != '\0') return std::nullopt;
  payload.remove_suffix(1);
  const size_t separator = payload.find('\x07');
  if (separator == std::string_view::npos || payload.find('\0') != std::string_view::npos) return std::nullopt;
  std::string_view target = payload.substr(0, separator);
  std::string_view text = payload.substr(separator + 1);
  if (target.empty() || text.empty() || target.size() > kMaxLoginText || text.size() > kMaxChatBytes) return std::nullopt;
  auto target_text = platform::cp949_to_utf8(target);
  auto message_text = platform::cp949_to_utf8(text);
  if (!target_text || !message_text) return std::nullopt;
  return ChatMessage{*target_text, *message_text};
}

}  // namespace dovel::service
