// Where the running program is, for what sits beside it in the build tree and in an
// installation (plug-ins, the browse page) and for starting its own workers.
#pragma once

#include <filesystem>

namespace zenthor {

// The program's file, links resolved; empty when the system does not say.
std::filesystem::path ProgramPath();

}  // namespace zenthor
