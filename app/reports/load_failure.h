// Why a model or mesh file gave nothing to import, in words for the user, from what the
// loader's observer heard: the file missing or unreadable, no mesh entry in it, entries
// dropped as malformed, references missing, refused or filtered as level of detail (with
// the hint to --include-lods).
#pragma once

#include <string>

namespace zenthor {

class LoadLog;

// One line (no trailing newline) for a load of `file` that returned false.
std::string ExplainLoadFailure(const std::string& file, const LoadLog& log);

// Loads `file` again with an observer and explains why it fails; when it loads after all
// (the importer failed for a reason of its own), says so.
std::string ExplainImportFailure(const std::string& file, bool includeLods);

}  // namespace zenthor
