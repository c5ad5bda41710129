// Letter case as zenthor ignores it: in file extensions, folder names and its own keywords,
// all ASCII, so no locale takes part.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zenthor {

std::string AsciiLower(std::string_view text);
bool EqualIgnoringCase(std::string_view a, std::string_view b);
// True when `path`'s extension is `extension` (".model"), letter case ignored.
bool HasExtension(const std::filesystem::path& path, std::string_view extension);

}  // namespace zenthor
