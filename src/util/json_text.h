#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::util {

// A JSON string literal of a text: quotes, backslashes and control characters
// escaped; bytes that are not UTF-8 become U+FFFD, so the result is always valid.
std::string json_quote(std::string_view text);

// One JSON object written field by field, in the order given.
class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view value);
  JsonObject& add(std::string_view key, const char* value) { return add(key, std::string_view(value)); }
  JsonObject& add(std::string_view key, bool value);
  JsonObject& add(std::string_view key, int64_t value);
  JsonObject& add(std::string_view key, uint64_t value);
  JsonObject& add(std::string_view key, int value) { return add(key, static_cast<int64_t>(value)); }
  // A value that is JSON already (an object or an array).
  JsonObject& add_json(std::string_view key, std::string_view json);
  std::string text() const { return fields_.empty() ? "{}" : fields_ + "}"; }

 private:
  void key(std::string_view name);
  std::string fields_;
};

// A JSON array of values that are JSON already.
std::string json_array(const std::vector<std::string>& values);

}  // namespace dovel::util
