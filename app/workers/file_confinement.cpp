#include "app/workers/file_confinement.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// The rights of the first ABI run from executing to making symbolic links; later ABIs
// added these.
constexpr std::uint64_t kFirstAbiRights = (std::uint64_t{1} << 13) - 1;
constexpr std::uint64_t kRefer = std::uint64_t{1} << 13;     // ABI 2
constexpr std::uint64_t kTruncate = std::uint64_t{1} << 14;  // ABI 3
constexpr std::uint64_t kIoctlDev = std::uint64_t{1} << 15;  // ABI 5

constexpr std::uint64_t kRead = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
constexpr std::uint64_t kReadWrite = kRead | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                                     LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_DIR |
                                     LANDLOCK_ACCESS_FS_MAKE_REG | kRefer | kTruncate;

// Every right the kernel's ABI knows: what is not handled stays allowed.
std::uint64_t HandledRights(int abi) {
    std::uint64_t rights = kFirstAbiRights;
    if (abi >= 2) rights |= kRefer;
    if (abi >= 3) rights |= kTruncate;
    if (abi >= 5) rights |= kIoctlDev;
    return rights;
}

std::string Why(const std::string& step) {
    return step + ": " + std::strerror(errno);
}

struct OwnedFd {
    int fd;
    ~OwnedFd() {
        if (fd >= 0) close(fd);
    }
};

bool AllowBelow(int ruleset, const fs::path& folder, std::uint64_t rights, std::string& error) {
    const OwnedFd beneath{open(folder.c_str(), O_PATH | O_CLOEXEC)};
    if (beneath.fd < 0) {
        error = Why("cannot open " + folder.string());
        return false;
    }
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights;
    rule.parent_fd = beneath.fd;
    if (syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0) {
        error = Why("cannot allow " + folder.string());
        return false;
    }
    return true;
}

}  // namespace

int LandlockAbi() {
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi > 0 ? static_cast<int>(abi) : 0;
}

Confinement ConfineFileAccess(const fs::path& readable, const fs::path& writable, std::string& error) {
    const int abi = LandlockAbi();
    if (abi == 0) {
        return Confinement::Unavailable;
    }
    const std::uint64_t handled = HandledRights(abi);
    landlock_ruleset_attr attributes{};
    attributes.handled_access_fs = handled;
    const OwnedFd ruleset{static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0))};
    if (ruleset.fd < 0) {
        error = Why("cannot make a Landlock ruleset");
        return Confinement::Failed;
    }
    // /proc/self leads to this process's own folder, which the memory check reads.
    if (!AllowBelow(ruleset.fd, readable, kRead & handled, error) ||
        !AllowBelow(ruleset.fd, writable, kReadWrite & handled, error) ||
        !AllowBelow(ruleset.fd, "/proc/self", kRead & handled, error)) {
        return Confinement::Failed;
    }
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        error = Why("cannot give up new privileges");
        return Confinement::Failed;
    }
    if (syscall(SYS_landlock_restrict_self, ruleset.fd, 0) != 0) {
        error = Why("cannot confine the process");
        return Confinement::Failed;
    }
    return Confinement::Enforced;
}

}  // namespace zenthor
