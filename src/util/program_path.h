#pragma once

#include <filesystem>
#include <string_view>

namespace dovel::util {

// The program folder is the client's data home: databases, Log/, Download/ and
// Upload/ live there. Set once at start; readable from every thread.
void SetProgramFolder(const std::filesystem::path& folder);
std::filesystem::path ProgramFolder();

// Program folder + name; backslashes in `name` separate folders, as in
// ProgramPath("Log\\System").
std::filesystem::path ProgramPath(std::string_view name);

}  // namespace dovel::util
