// The exit statuses of zenthor's commands, one home for every command and the batch run.
#pragma once

namespace zenthor {

inline constexpr int kExitSuccess = 0;
// The command failed: a file did not import, an output or report could not be written.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// --strict: everything imported, but something was left out.
inline constexpr int kExitLeftOut = 3;

}  // namespace zenthor
