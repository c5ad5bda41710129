// Runs the built zenthor program as a whole process for the benchmarks that measure it
// end to end: wall time, the child's peak resident memory, and what it printed.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace zenthor::bench {

struct ZenthorRun {
    int exitCode = -1;
    double seconds = 0;
    double peakMiB = 0;     // the child's maximum resident set size
    double cpuSeconds = 0;  // user and system time of the child and the workers it waited for
    std::string err;        // what it wrote on standard error
};

// ZENTHOR_EXE, or the program built beside the benchmarks (<build>/bin/zenthor).
inline std::string ZenthorProgram() {
    if (const char* exe = std::getenv("ZENTHOR_EXE")) {
        return exe;
    }
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path program = self.parent_path().parent_path() / "bin" / "zenthor";
    if (!std::filesystem::exists(program)) {
        throw std::runtime_error(program.string() + " is missing: build the zenthor target first");
    }
    return program.string();
}

// Runs zenthor (or another build of it, or a peer program it is measured against:
// `program`) with `args`; standard output is dropped, standard error kept.
inline ZenthorRun RunZenthorProcess(const std::vector<std::string>& args,
                                    const std::string& program = ZenthorProgram()) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);

    char errPath[] = "/tmp/zenthor-bench-stderr-XXXXXX";
    const int errFd = mkstemp(errPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);

    ZenthorRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;

    lseek(errFd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n; (n = read(errFd, buffer, sizeof buffer)) > 0;) {
        run.err.append(buffer, static_cast<std::size_t>(n));
    }
    close(errFd);
    unlink(errPath);
    return run;
}

}  // namespace zenthor::bench
