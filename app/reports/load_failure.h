// Why a model or mesh file, or a file it references, gave nothing to import, in words for
// the user, from what the loader's observer heard. The words never name the file itself:
// whoever prints them says which file they are about.
#pragma once

#include <optional>
#include <string>

namespace zenthor {

class LoadLog;
struct ReferenceRecord;

// Why the file at `path` (as the loader composes paths) cannot be read although something
// is there: the system's reason, "it is a folder", "the file is empty"; nullopt when
// nothing is there.
std::optional<std::string> WhyUnreadable(const std::string& path);

// What became of a reference, in the words of the import report: the loader's outcome
// (ToString), "unreadable" with the system's reason for a missing file that is there, or
// "malformed" with what was wrong and where for a loaded file that gave no mesh.
struct ReferenceVerdict {
    std::string outcome;
    std::string why;
};
ReferenceVerdict JudgeReference(const LoadLog& log, const ReferenceRecord& reference);

// One line (no trailing newline) for a load of `file` that returned false.
std::string ExplainLoadFailure(const std::string& file, const LoadLog& log);

// Loads `file` again with an observer and explains why it fails; when it loads after all
// (the importer failed for a reason of its own), says so.
std::string ExplainImportFailure(const std::string& file, bool includeLods);

}  // namespace zenthor
