// Writing a whole text to a file descriptor.
#pragma once

#include <string>

namespace zenthor {

// Writes all of `text` to `fd`, going on after interruptions and partial writes; stops
// quietly at the first error (a terminal or pipe that has gone away).
void WriteAll(int fd, const std::string& text);

}  // namespace zenthor
