#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::settings {

struct StoredSettings;

// Sections of the settings key ("setting" is the same key: names there ignore case).
inline constexpr std::string_view kSettingSection = "Setting";
inline constexpr std::string_view kLowerSettingSection = "setting";
inline constexpr std::string_view kSharedFolderSection = "SharedFolderList";
// Sections of the profile file.
inline constexpr std::string_view kProfileSection = "dovel";
inline constexpr std::string_view kProfileSettingSection = "Setting";

// The numbers a value may hold; any other stored number is read as `repaired`.
template <typename Number>
struct Range {
  Number low;
  Number high;
  Number repaired;

  constexpr bool contains(Number value) const { return value >= low && value <= high; }
  constexpr Number repair(Number value) const { return contains(value) ? value : repaired; }
  // How many values the range holds, as the rows of a list that shows it.
  constexpr int count() const { return static_cast<int>(high - low) + 1; }
};
using NumberRange = Range<uint32_t>;
using ProfileRange = Range<int>;

// A stored value is either a member of the typed settings, loaded and saved
// with all the others, or (no member) a value one window reads and writes on
// its own, at the moment it needs it.

// A DWORD flag of the settings key: any number but 0 is on.
struct FlagSetting {
  std::string_view name;
  bool initial;  // before the store is read
  bool on_load;  // when the store has none
  bool StoredSettings::*member = nullptr;
  std::string_view section = kSettingSection;

  constexpr bool from_store(std::optional<uint32_t> stored) const { return stored ? *stored != 0 : on_load; }
};

// A DWORD number of the settings key.
struct NumberSetting {
  std::string_view name;
  uint32_t initial;
  uint32_t on_load;
  std::optional<NumberRange> range;  // none: every number is kept
  uint32_t StoredSettings::*member = nullptr;
  std::string_view section = kSettingSection;

  constexpr uint32_t from_store(std::optional<uint32_t> stored) const {
    if (!stored) return on_load;
    return range ? range->repair(*stored) : *stored;
  }
};

// What a text that is missing or empty in the store becomes on load.
enum class TextDefault {
  Empty,
  RandomServerTitle,  // one of the default server titles, picked at random
  DownloadFolder,     // the data home's "Download/" folder, created
};

// How a text is kept in the store.
enum class TextForm {
  Plain,
  Trimmed,     // as typed; leading and trailing blanks are removed on load
  LetterPair,  // in the letter-pair encoding; plain in memory
};

// A string of the settings key; every text is empty before the store is read.
struct TextSetting {
  std::string_view name;
  TextDefault on_load;
  TextForm form;
  std::string StoredSettings::*member = nullptr;
  std::string_view section = kSettingSection;
};

// A number of the profile file (window placement and view choices); each is
// read and written by one window on its own.
struct ProfileSetting {
  std::string_view section;
  std::string_view name;
  int on_load;
  std::optional<ProfileRange> range = std::nullopt;
  // A second name every write also goes to (empty: none).
  std::string_view also_written_as = {};

  constexpr int from_store(std::optional<int> stored) const {
    if (!stored) return on_load;
    return range ? range->repair(*stored) : *stored;
  }
};

}  // namespace dovel::settings
