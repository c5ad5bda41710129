#include "app/support/program_path.h"

#include <system_error>

namespace zenthor {

std::filesystem::path ProgramPath() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program;
}

}  // namespace zenthor
