// The text of the import summary message box.
#pragma once

#include <cstdint>
#include <string>

namespace zenthor {

inline constexpr const char* kImportSummaryTitle = "Zenthor Model Importer (by Brindle)";

// "Imported OK!", the object count with at least two digits, the polygon total,
// a rule and the credits, formatted into a zeroed 512-byte buffer as the
// message box shows it.
std::string FormatImportSummary(int objectCount, std::int64_t polygonTotal);

}  // namespace zenthor
