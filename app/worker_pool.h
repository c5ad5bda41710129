// Worker processes: each piece of work runs in a forked copy of this process with a time
// limit and reports back through a pipe, so work that crashes or hangs costs only itself.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zenthor {

class WorkerPool {
public:
    using Clock = std::chrono::steady_clock;

    // A worker that has ended, by itself or stopped at its time limit.
    struct Ended {
        std::size_t task = 0;
        pid_t pid = -1;
        int status = 0;         // as waitpid gives it
        bool timedOut = false;  // stopped at its time limit
        std::string report;     // everything it wrote on its pipe
    };

    WorkerPool(unsigned size, Clock::duration timeLimit);
    ~WorkerPool();  // stops and reaps the workers still running
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    bool Full() const { return m_running.size() >= m_size; }
    bool Empty() const { return m_running.empty(); }

    // Starts a worker for `task`: it runs `work` with the write end of its pipe and exits
    // with what `work` returns, running no exit handlers (they belong to the parent's
    // state). False with `error` set when no worker can be started.
    bool Start(std::size_t task, const std::function<int(int reportFd)>& work, std::string& error);

    // Waits until workers end or pass their time limit (those are stopped), or until
    // `wakeBy`; appends the ended workers to `ended`. False with `error` set when waiting fails.
    bool Wait(std::optional<Clock::time_point> wakeBy, std::vector<Ended>& ended, std::string& error);

private:
    struct Running {
        pid_t pid = -1;
        int fd = -1;
        std::size_t task = 0;
        Clock::time_point deadline;
        std::string report;
    };

    static int Reap(pid_t pid);

    unsigned m_size;
    Clock::duration m_timeLimit;
    std::vector<Running> m_running;
};

}  // namespace zenthor
