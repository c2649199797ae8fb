#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/window_values.h"

namespace dovel::test {

// Window values kept in memory by name, with the table's defaults and repairs
// on read, as the settings key and the profile file give them.
class MemoryWindowValues final : public settings::WindowValues {
 public:
  bool read(const settings::FlagSetting& row) const override { return row.from_store(number<uint32_t>(row.name)); }
  uint32_t read(const settings::NumberSetting& row) const override { return row.from_store(number<uint32_t>(row.name)); }
  std::string read(const settings::TextSetting& row) const override {
    auto found = texts.find(std::string(row.name));
    return found == texts.end() ? std::string() : found->second;
  }
  int read(const settings::ProfileSetting& row) const override { return row.from_store(number<int>(row.name)); }
  void write(const settings::FlagSetting& row, bool on) override { numbers[std::string(row.name)] = on ? 1 : 0; }
  void write(const settings::NumberSetting& row, uint32_t value) override { numbers[std::string(row.name)] = static_cast<int64_t>(value); }
  void write(const settings::TextSetting& row, std::string_view text) override { texts[std::string(row.name)] = std::string(text); }
  void write(const settings::ProfileSetting& row, int value) override {
    numbers[std::string(row.name)] = value;
    if (!row.also_written_as.empty()) numbers[std::string(row.also_written_as)] = value;
  }

  // By value name, as stored.
  std::map<std::string, int64_t> numbers;
  std::map<std::string, std::string> texts;

 private:
  template <typename Number>
  std::optional<Number> number(std::string_view name) const {
    auto found = numbers.find(std::string(name));
    if (found == numbers.end()) return std::nullopt;
    return static_cast<Number>(found->second);
  }
};

}  // namespace dovel::test
