// How a worker and its parent talk: the parent writes one job line at a time on the job
// pipe; the worker answers on the report pipe with report lines (report_lines.h) closed by
// the line "end". Both pipes sit at fixed descriptor numbers in the worker, so its standard
// output stays the terminal's and nothing a plug-in prints can pass for a report.
#pragma once

#include <string_view>

namespace zenthor {

inline constexpr int kJobFd = 3;
inline constexpr int kReportFd = 4;
inline constexpr std::string_view kEndLine = "end\n";
// A worker that will take no further job says so before its "end".
inline constexpr std::string_view kRetireLine = "retire\n";

}  // namespace zenthor
