#pragma once

#include <string_view>

namespace dovel::app {

enum class VersionOrder { Older, Same, Newer, Incomparable };

// How version text `a` stands to `b`. Identical texts are the same version,
// whatever they hold. Otherwise both must be dotted numbers ("1", "1.2.10",
// "2024.01"): compared number by number, so "1.2.10" is newer than "1.2.3";
// leading zeros do not count ("1.02" is "1.2") and missing trailing numbers
// are 0 ("1.2" is "1.2.0"); numbers of any length compare without overflow.
// A text with anything else in it (a letter, a blank, an empty part as in
// "1..2" or "1.", a sign) cannot be ordered: Incomparable.
VersionOrder CompareVersions(std::string_view a, std::string_view b);

// True when `have` is `wanted` or newer. An incomparable pair is not: the file
// counts as out of date, and the update brings the identical text.
bool VersionAtLeast(std::string_view have, std::string_view wanted);

}  // namespace dovel::app
