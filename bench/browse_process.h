// `zenthor browse` as a process of its own for the benchmarks: started over a tree, ready
// once it prints its address, its memory read from /proc, stopped with Ctrl-C.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/zenthor_run.h"

extern char** environ;

namespace zenthor::bench {

class BrowseProcess {
public:
    explicit BrowseProcess(std::vector<std::string> args) {
        char outPath[] = "/tmp/zenthor-bench-browse-XXXXXX";
        m_out = mkstemp(outPath);
        unlink(outPath);
        args.insert(args.begin(), {ZenthorProgram(), "browse"});
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, m_out, 1);
        posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        for (int tries = 0; tries < 3000 && m_port < 0; ++tries) {
            std::ifstream in("/proc/self/fd/" + std::to_string(m_out));
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (const std::size_t at = text.find("http://127.0.0.1:");
                at != std::string::npos && text.find('\n', at) != std::string::npos) {
                m_port = std::stoi(text.substr(at + 17));
            }
            usleep(10000);
        }
    }
    ~BrowseProcess() {
        Stop();
        close(m_out);
    }
    BrowseProcess(const BrowseProcess&) = delete;
    BrowseProcess& operator=(const BrowseProcess&) = delete;

    int Port() const { return m_port; }

    // A line of /proc/PID/status in KiB ("VmRSS", "VmHWM").
    double Kib(const std::string& field) const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1));
        }
        return 0;
    }

    // Ctrl-C, then waits; the seconds until the process had ended.
    double Stop() {
        if (m_pid <= 0) return 0;
        const auto start = std::chrono::steady_clock::now();
        kill(m_pid, SIGINT);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_port = -1;
};

}  // namespace zenthor::bench
